#include "files.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <system_error>
#include <thread>
#include <utility>

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
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    ~FileDescriptor() { close(); }
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    // Closes now; false when the system reports a failure (a late write error).
    bool close() {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

std::error_code lastError() { return {errno, std::generic_category()}; }

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// Where a write really goes: the end of any chain of symbolic links.
std::optional<fs::path> writeTarget(const fs::path& file) {
    fs::path target = file;
    std::error_code error;
    for (int hops = 0; fs::is_symlink(target, error); ++hops) {
        if (hops == 40) return std::nullopt;
        const fs::path link = fs::read_symlink(target, error);
        if (error) return std::nullopt;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target;
}

fs::path folderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// Temporary files are named ".zpm-", the writer's process number, "-" and
// six random letters or digits: short whatever the target is called, and
// telling whose they are.
constexpr std::string_view temporaryPrefix = ".zpm-";
constexpr std::size_t temporaryRandomLength = 6;

std::string temporaryName() {
    static constexpr std::string_view symbols = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, symbols.size() - 1);
    std::string name = std::string(temporaryPrefix) + std::to_string(::getpid()) + "-";
    for (std::size_t i = 0; i < temporaryRandomLength; ++i) name += symbols[pick(random)];
    return name;
}

// The process that made a temporary file of this name; nothing for any
// other name.
std::optional<pid_t> temporaryOwner(std::string_view name) {
    if (!name.starts_with(temporaryPrefix)) return std::nullopt;
    name.remove_prefix(temporaryPrefix.size());
    pid_t owner = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), owner);
    const std::string_view rest(end, static_cast<std::size_t>(name.data() + name.size() - end));
    if (error != std::errc{} || owner <= 0 || rest.size() != 1 + temporaryRandomLength || rest[0] != '-')
        return std::nullopt;
    return owner;
}

bool processIsGone(pid_t process) { return ::kill(process, 0) != 0 && errno == ESRCH; }

// A write cut short by a kill or a crash leaves its temporary file behind.
void removeAbandonedTemporaries(const fs::path& folder) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const auto owner = temporaryOwner(entry.path().filename().native());
        if (!owner || *owner == ::getpid() || !processIsGone(*owner)) continue;
        if (entry.is_regular_file(error) && !entry.is_symlink(error)) ::unlink(entry.path().c_str());
    }
}

struct Temporary {
    FileDescriptor file;
    fs::path path;
};

// A new, empty temporary file in the folder, never one that existed.
std::optional<Temporary> createTemporary(const fs::path& folder, std::error_code& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path path = folder / temporaryName();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return Temporary{FileDescriptor(fd), std::move(path)};
        if (errno != EEXIST) {
            error = lastError();
            return std::nullopt;
        }
    }
    error = std::make_error_code(std::errc::file_exists);
    return std::nullopt;
}

FileStamp stampOf(const struct stat& status) {
    return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
            static_cast<std::int64_t>(status.st_size), static_cast<std::int64_t>(status.st_mtim.tv_sec),
            static_cast<std::int64_t>(status.st_mtim.tv_nsec)};
}

// Writes, gives the mode and owner of `like` (when given) and syncs; the
// temporary file is closed either way. `written` gets its stamp.
std::error_code fillTemporary(Temporary& temporary, std::string_view bytes, const struct stat* like,
                              FileStamp* written = nullptr) {
    const int fd = temporary.file.get();
    if (!writeAll(fd, bytes)) return lastError();
    if (like) {
        if (::fchmod(fd, like->st_mode & 07777) != 0) return lastError();
        // Only the owner's own files or root can change hands; a failure
        // leaves the writer as the owner, as any editor would.
        [[maybe_unused]] const int owned = ::fchown(fd, like->st_uid, like->st_gid);
    }
    if (::fsync(fd) != 0) return lastError();
    if (written) {
        struct stat status {};
        if (::fstat(fd, &status) != 0) return lastError();
        *written = stampOf(status);
    }
    if (!temporary.file.close()) return lastError();
    return {};
}

void syncFolder(const fs::path& folder) {
    const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) ::fsync(directory.get());
}

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

bool isOnSystemDrive(std::string_view folder, const std::string& systemRoot,
                     const std::optional<std::string>& homeRoot) {
    const std::string_view drive = driveOf(folder);
    if (!drive.empty()) return lowerAscii(drive[0]) == 'c';
    const std::string path(folder);
    struct stat ignored {};
    if (::stat(path.c_str(), &ignored) != 0) return true;
    // A build in the home folder on a partition of its own is no stick:
    // only a folder beside both the system and the user's files is portable.
    return sameFileSystem(path, systemRoot) || sameFileSystem(path, homeRoot.value_or(homeFolder()));
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

bool ensureFolder(std::string_view folder, std::error_code* why) {
    std::error_code error;
    fs::create_directories(fs::path(folder), error);
    std::error_code unused;
    if (fs::is_directory(fs::path(folder), unused)) return true;
    if (why) *why = error ? error : std::make_error_code(std::errc::not_a_directory);
    return false;
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
    if (fs::exists(fs::symlink_status(target, error))) return false;
    const auto bytes = readRegularFile(from, maxReadSize, error);
    if (!bytes) return false;
    auto temporary = createTemporary(folderOf(target), error);
    if (!temporary) return false;
    // A hard link, unlike a rename, never replaces a target that appeared
    // meanwhile.
    const bool copied =
        !fillTemporary(*temporary, *bytes, nullptr) && ::link(temporary->path.c_str(), target.c_str()) == 0;
    ::unlink(temporary->path.c_str());
    if (copied) syncFolder(folderOf(target));
    return copied;
}

std::optional<std::string> readRegularFile(std::string_view path, std::size_t maxBytes, std::error_code& error) {
    error.clear();
    // Not blocking: opening a pipe for reading would wait for a writer.
    const FileDescriptor file(::open(std::string(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) {
        error = lastError();
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        error = std::make_error_code(std::errc::invalid_argument);
        return std::nullopt;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > maxBytes) {
        error = std::make_error_code(std::errc::file_too_large);
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t got = 0;
    // One byte more than its length shows a file that grew meanwhile.
    for (;;) {
        if (got == text.size()) {
            if (text.size() >= maxBytes + 1) break;
            text.resize(std::min(maxBytes + 1, text.size() + 65536));
        }
        const ssize_t read = ::read(file.get(), text.data() + got, text.size() - got);
        if (read == 0) break;
        if (read < 0) {
            if (errno == EINTR) continue;
            error = lastError();
            return std::nullopt;
        }
        got += static_cast<std::size_t>(read);
    }
    if (got > maxBytes) {
        error = std::make_error_code(std::errc::file_too_large);
        return std::nullopt;
    }
    text.resize(got);
    return text;
}

std::optional<std::string> readWholeFile(std::string_view path) {
    std::error_code ignored;
    return readRegularFile(path, maxReadSize, ignored);
}

std::optional<FileStamp> fileStamp(std::string_view path) {
    struct stat status {};
    if (::stat(std::string(path).c_str(), &status) != 0) return std::nullopt;
    return stampOf(status);
}

std::error_code replaceFile(std::string_view path, std::string_view bytes, FileStamp* written) {
    if (path.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
    const auto target = writeTarget(fs::path(path));
    if (!target) return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    struct stat old {};
    const bool exists = ::stat(target->c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return lastError();
    if (exists && !S_ISREG(old.st_mode)) return std::make_error_code(std::errc::invalid_argument);
    if (exists && ((old.st_mode & 0222) == 0 || ::access(target->c_str(), W_OK) != 0))
        return std::make_error_code(std::errc::permission_denied);

    const fs::path folder = folderOf(*target);
    removeAbandonedTemporaries(folder);
    std::error_code error;
    auto temporary = createTemporary(folder, error);
    if (!temporary) return error;
    error = fillTemporary(*temporary, bytes, exists ? &old : nullptr, written);
    if (!error && ::rename(temporary->path.c_str(), target->c_str()) != 0) error = lastError();
    if (error) {
        ::unlink(temporary->path.c_str());
        return error;
    }
    syncFolder(folder);
    return {};
}

// The lock is on the folder, which the rename leaves in place. A lock file
// beside the file would stay behind in the user's folder (removing it races
// with the next writer's open) and could be taken for a file of the user's;
// locking the folder creates nothing. Where a folder cannot be locked
// (some network file systems lock only files opened for writing), writes go
// on unlocked as they always did. The lock is polled rather than waited for
// in the kernel, so that a holder that never lets go cannot hang the caller.
FileLock::FileLock(std::string_view file, const LockWait& wait) {
    const auto target = writeTarget(fs::path(file));
    if (!target) return;
    const std::string folder = folderOf(*target).string();
    FileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.get() < 0) return;
    auto seen = fileStamp(folder);
    const auto start = wait.now();
    auto quietSince = start;
    for (;;) {
        if (::flock(handle.get(), LOCK_EX | LOCK_NB) == 0) {
            m_folder = handle.release();
            return;
        }
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) return;
        // A holder that writes makes progress; only one that stands still uses up the patience.
        const auto now = wait.now();
        if (const auto stamp = fileStamp(folder); stamp != seen) {
            seen = stamp;
            quietSince = now;
        }
        if (now - quietSince >= wait.patience || now - start >= wait.limit) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

FileLock::~FileLock() {
    if (m_folder >= 0) ::close(m_folder);
}

}  // namespace platform::files
