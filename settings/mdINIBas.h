// The settings file store: INI-style files of "[section]" headers and
// "key=value" lines. One file is held in memory at a time; every read is
// answered from memory (with the caller's default when nothing is found) and
// every write rewrites the whole file in a normal form. Before it does, a
// write reads the file again when it changed on disk since this process read
// or wrote it, so that two copies of the program keep each other's keys;
// a lock on the file's folder keeps the other copy from writing between that
// look and the write. The lock is waited for only so long (see
// platform::files::FileLock): when the other copy holds it and stands still
// longer than that (stopped, or in an fsync of some seconds on a slow
// stick), the write goes on without it and reports true, and the other
// copy's rename that follows takes the key back out of the file; the next
// write here reads that file in and loses the key from memory too.
// A read that cannot be answered gives the default; a write that cannot be
// carried out keeps the value in memory only (when it got that far) and
// reports false.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mdINIBas {

std::string GetIniValue(std::string_view section, std::string_view key, std::string_view defaultValue,
                        std::string_view file);
// True when the file on disk now holds the value. False when nothing was
// written: a name holding "[", "]" or "=", a name or value holding a line
// break (it would read back as other lines), an empty file name, a file that
// exists but cannot be read (it is never replaced), or a failed write.
bool SetIniValue(std::string_view section, std::string_view key, std::string_view value, std::string_view file);

// Why the last SetIniValue that returned false wrote nothing, as the system
// words it (for example "Permission denied"); empty when the last write
// succeeded or none was made.
std::string LastWriteError();

// Called once after every load of a file from disk so that the program can
// let pending window events run; whatever it does, the store stays
// consistent. Nothing is installed by default.
void SetEventPump(std::function<void()> pump);

}  // namespace mdINIBas
