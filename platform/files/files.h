// The file system as the program needs it: its data and system folders, the
// drive of a path written on another system, literal existence tests,
// directory searches with wildcards, whole-file reads, safe replacement and
// copies. Paths are byte strings; folders are joined with "/". Standard
// library and POSIX only, so that the settings store can use it too.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace platform::files {

// The name the program's data folder is made from, whatever the executable
// happens to be called (tests run under other names).
constexpr std::string_view programName = "zirpomat";

// The drive of a path: its first two characters when they are a letter and a
// colon, otherwise the empty text (every Linux path).
std::string_view driveOf(std::string_view path);

// True when both paths name existing things on the same file system.
bool sameFileSystem(const std::string& a, const std::string& b);

// Whether a program folder lies on the system drive: for a path with a drive,
// the drive is "C:" in any letter case; otherwise the folder is on the file
// system of systemRoot or of the home folder (homeRoot; by default HOME, else
// the user's entry). A folder that cannot be examined counts as on it.
bool isOnSystemDrive(std::string_view folder, const std::string& systemRoot = "/",
                     const std::optional<std::string>& homeRoot = std::nullopt);

// The folder of the running executable.
std::string programFolder();

// APPDATA, else XDG_DATA_HOME, else HOME/.local/share (the first one set and
// not empty), then "/Ostrolab/zirpomat".
std::string dataFolder();

// windir when set and not empty, else the program's own data folder, whose
// "media" subfolder holds its sounds.
std::string systemFolder();

// Creates a folder and its parents when missing; false when it cannot exist,
// and `why` (when given) tells why.
bool ensureFolder(std::string_view folder, std::error_code* why = nullptr);

// A regular file of exactly this name exists ("*" and "?" are plain
// characters here).
bool fileExists(std::string_view path);

// "*" matches any run of characters, "?" any one; ASCII letters match in any
// letter case.
bool matchesWildcard(std::string_view name, std::string_view pattern);

// The name of the first regular file in a folder that matches a wildcard
// pattern, in the file system's order.
std::optional<std::string> firstFileMatching(std::string_view folder, std::string_view pattern);

// Copies a regular file (of at most maxReadSize bytes) to a new name; the
// target appears complete or not at all, and an existing target is left
// alone (false).
bool copyFile(std::string_view from, std::string_view to);

// The largest file readWholeFile and copyFile take.
inline constexpr std::size_t maxReadSize = 64u << 20;

// The whole content of a regular file of at most maxBytes bytes, read by its
// length. Pipes, devices and folders are refused without reading (or
// waiting for) anything. On failure nothing, and `error` tells why:
// no_such_file_or_directory when nothing has that name,
// errc::invalid_argument for a thing that is no regular file,
// errc::file_too_large beyond maxBytes, otherwise the system's error.
std::optional<std::string> readRegularFile(std::string_view path, std::size_t maxBytes, std::error_code& error);

// readRegularFile with maxReadSize, when the reason does not matter.
std::optional<std::string> readWholeFile(std::string_view path);

// Tells one version of a file from another without reading it: a writer
// that replaces the file makes a new one (another identity), one that writes
// into it changes its size or modification time.
struct FileStamp {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, modifiedSeconds = 0, modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of what a path names now (links followed); nothing when it names
// nothing.
std::optional<FileStamp> fileStamp(std::string_view path);

// Replaces a file's content as a whole, or leaves it as it was. A symbolic
// link is followed to the file it names, which keeps its mode and owner; a
// new file gets the usual mode (0666 less the umask). The bytes go to a new
// temporary file of a short unique name in the target's folder (created
// exclusively, so that nothing else is ever overwritten), are synced, and
// the temporary file is renamed over the target. Temporary files that
// earlier writes of processes no longer running left in that folder are
// removed first. Refuses (errc::permission_denied) an existing target that
// is read-only, and (errc::invalid_argument) one that is no regular file.
// The empty code on success; `written` then gets the stamp of the file
// written, taken before it replaced the target, so that a write by another
// process right after it never passes for this one.
std::error_code replaceFile(std::string_view path, std::string_view bytes, FileStamp* written = nullptr);

// How long a FileLock waits for another process that holds the lock, and
// the clock it reads (the steady clock unless a test hands in its own).
struct LockWait {
    // Waited on past the holder's last change to the folder.
    std::chrono::milliseconds patience{2000};
    // The whole wait, however busy the folder is: a stopped holder in a
    // folder that other programs keep changing must not freeze the caller.
    std::chrono::milliseconds limit{6000};
    std::function<std::chrono::steady_clock::time_point()> now = std::chrono::steady_clock::now;
};

// While it lives, no other process holds a FileLock for a file in the same
// folder (links followed as replaceFile follows them): around a read, a
// comparison and a replaceFile it makes the three one step across processes,
// as long as every holder finishes within the wait. The kernel releases the
// lock of a process that dies. While another process holds it, the wait goes
// on until the folder has not changed for `patience` (any change there, by
// anyone, starts the patience again), and never beyond `limit`. Then held()
// is false and the caller goes on without the lock: it is not excluded any
// more, so a holder that was only slow (stopped, or in an fsync longer than
// the patience) renames its file over the caller's afterwards, and what the
// caller wrote is lost. A folder that cannot be locked is not waited for.
class FileLock {
public:
    explicit FileLock(std::string_view file, const LockWait& wait = {});
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();
    bool held() const { return m_folder >= 0; }

private:
    int m_folder = -1;
};

}  // namespace platform::files
