#include "files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "ascii_text.h"
#include "asset_dir.h"

namespace platform::files {
namespace {

namespace fs = std::filesystem;
using text::isAsciiLetter;
using text::lowerAscii;
using text::sameLetterNoCase;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeFolder() {
    std::string home = environment("HOME");
    if (!home.empty()) return home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

std::string_view driveOf(std::string_view path) {
    if (path.size() >= 2 && isAsciiLetter(path[0]) && path[1] == ':') return path.substr(0, 2);
    return {};
}

bool sameFileSystem(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0) return false;
    return first.st_dev == second.st_dev;
}

bool isOnSystemDrive(std::string_view folder, const std::string& systemRoot) {
    const std::string_view drive = driveOf(folder);
    if (!drive.empty()) return lowerAscii(drive[0]) == 'c';
    const std::string path(folder);
    struct stat ignored {};
    if (::stat(path.c_str(), &ignored) != 0) return true;
    return sameFileSystem(path, systemRoot);
}

std::string programFolder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return executable.parent_path().string();
}

std::string dataFolder() {
    std::string base = environment("APPDATA");
    if (base.empty()) base = environment("XDG_DATA_HOME");
    if (base.empty()) base = homeFolder() + "/.local/share";
    return base + "/Ostrolab/" + std::string(programName);
}

std::string systemFolder() {
    std::string windir = environment("windir");
    if (!windir.empty()) return windir;
    return platform::assetDir().string();
}

bool ensureFolder(std::string_view folder) {
    std::error_code error;
    fs::create_directories(fs::path(folder), error);
    return fs::is_directory(fs::path(folder), error);
}

bool fileExists(std::string_view path) {
    if (path.empty()) return false;
    std::error_code error;
    return fs::is_regular_file(fs::path(path), error);
}

bool matchesWildcard(std::string_view name, std::string_view pattern) {
    // Greedy match that backtracks only to the last "*": linear in practice
    // and never exponential.
    std::size_t n = 0, p = 0;
    std::size_t starPattern = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || sameLetterNoCase(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starPattern != std::string_view::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::optional<std::string> firstFileMatching(std::string_view folder, std::string_view pattern) {
    std::error_code error;
    fs::directory_iterator entries(fs::path(folder), error);
    if (error) return std::nullopt;
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (matchesWildcard(name, pattern) && entry.is_regular_file(error)) return name;
    }
    return std::nullopt;
}

bool copyFile(std::string_view from, std::string_view to) {
    const fs::path target(to);
    std::error_code error;
    if (fs::exists(target, error) || !fileExists(from)) return false;
    fs::path partial = target;
    partial += ".partial";
    fs::copy_file(fs::path(from), partial, fs::copy_options::overwrite_existing, error);
    if (!error) fs::rename(partial, target, error);
    if (!error) return true;
    fs::remove(partial, error);
    return false;
}

std::optional<std::string> readWholeFile(std::string_view path) {
    const FileDescriptor file(::open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return std::nullopt;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got == 0) return text;
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace platform::files
