// The file system as the program needs it: its data and system folders, the
// drive of a path written on another system, literal existence tests,
// directory searches with wildcards, whole-file reads and copies. Paths are
// byte strings; folders are joined with "/".
#pragma once

#include <optional>
#include <string>
#include <string_view>

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
// system of systemRoot. A folder that cannot be examined counts as on it.
bool isOnSystemDrive(std::string_view folder, const std::string& systemRoot = "/");

// The folder of the running executable.
std::string programFolder();

// APPDATA, else XDG_DATA_HOME, else HOME/.local/share (the first one set and
// not empty), then "/Ostrolab/zirpomat".
std::string dataFolder();

// windir when set and not empty, else the program's own data folder, whose
// "media" subfolder holds its sounds.
std::string systemFolder();

// Creates a folder and its parents when missing; false when it cannot exist.
bool ensureFolder(std::string_view folder);

// A regular file of exactly this name exists ("*" and "?" are plain
// characters here).
bool fileExists(std::string_view path);

// "*" matches any run of characters, "?" any one; ASCII letters match in any
// letter case.
bool matchesWildcard(std::string_view name, std::string_view pattern);

// The name of the first regular file in a folder that matches a wildcard
// pattern, in the file system's order.
std::optional<std::string> firstFileMatching(std::string_view folder, std::string_view pattern);

// Copies a file to a new name; the target appears complete or not at all,
// and an existing target is left alone (false).
bool copyFile(std::string_view from, std::string_view to);

// The whole content of a file; nothing when it cannot be opened or read.
std::optional<std::string> readWholeFile(std::string_view path);

}  // namespace platform::files
