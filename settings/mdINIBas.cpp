#include "mdINIBas.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "ascii_text.h"

namespace mdINIBas {
namespace {

namespace fs = std::filesystem;
using platform::text::startsWithNoCase;

constexpr std::string_view EndMarker = "##EOT##";

// The lines of the file held, followed by the end marker. The marker is
// recognised by its place (the last entry), never by its text, so that a
// "##EOT##" line inside a user's file is kept like any other line.
std::vector<std::string> IniLines;
std::string IniLoadedFile;
// False while a load is under way (or before the first): there are no lines.
bool IniLinesExist = false;
// False when the file held exists but could not be read: it must never be
// replaced by what little the store knows of it.
bool IniFileWritable = true;

std::function<void()> EventPump;

bool IsValidIniName(std::string_view name) { return name.find_first_of("[]=") == std::string_view::npos; }

std::int64_t IniLinesUBound() { return IniLinesExist ? static_cast<std::int64_t>(IniLines.size()) - 1 : 1; }

std::int64_t endMarkerPosition() { return static_cast<std::int64_t>(IniLines.size()) - 1; }

enum class FileRead { Text, Missing, Unreadable };

// The whole file as bytes. Only a path that names no regular file reads as
// missing; one that exists but fails to read is reported as unreadable.
std::pair<FileRead, std::string> readWholeFile(const std::string& file) {
    std::error_code error;
    if (file.empty() || !fs::is_regular_file(file, error)) return {FileRead::Missing, {}};
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {FileRead::Unreadable, {}};
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return {FileRead::Unreadable, {}};
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return {FileRead::Text, std::move(text)};
}

std::pair<FileRead, std::string> ReadFileText(const std::string& file) {
    auto result = readWholeFile(file);
    if (EventPump) EventPump();
    return result;
}

std::vector<std::string> splitLines(std::string text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::erase(text, '\r');
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

void LoadIniFile(const std::string& file) {
    if (file == IniLoadedFile) return;
    IniLoadedFile = file;
    IniLines.clear();
    IniLinesExist = false;

    auto [outcome, text] = ReadFileText(file);

    // An event handled while reading may have loaded another file; the lines
    // read here belong to this path, so record them under it again.
    IniLoadedFile = file;
    IniLines = splitLines(std::move(text));
    IniLines.emplace_back(EndMarker);
    IniLinesExist = true;
    IniFileWritable = outcome != FileRead::Unreadable;
}

bool FindIniLine(std::int64_t& position, std::string_view prefix, bool stopAtHeader) {
    const std::int64_t last = IniLinesUBound();
    const std::int64_t marker = endMarkerPosition();
    std::int64_t lastNonEmpty = 0;
    bool found = false;
    for (std::int64_t i = position; i <= last; ++i) {
        const std::string& line = IniLines[static_cast<std::size_t>(i)];
        if (!line.empty()) lastNonEmpty = i;
        if (stopAtHeader && line.starts_with('[')) break;
        if (i != marker && startsWithNoCase(line, prefix)) {
            found = true;
            break;
        }
        if (i == marker) break;
    }
    position = lastNonEmpty;
    return found;
}

void InsertIniLine(std::string text, std::int64_t position) {
    if (position == 0) position = endMarkerPosition();
    IniLines.insert(IniLines.begin() + position, std::move(text));
}

std::string_view trimBlanks(std::string_view line) {
    const auto first = line.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

std::string normalForm() {
    std::string text;
    const std::int64_t marker = endMarkerPosition();
    for (std::int64_t i = 0; i < marker; ++i) {
        const std::string& line = IniLines[static_cast<std::size_t>(i)];
        if (line.starts_with('[') && i >= 2) text += "\r\n";
        if (line.empty()) continue;
        text += trimBlanks(line);
        text += "\r\n";
    }
    return text;
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

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t put = ::write(fd, text.data(), text.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// Replaces the file as a whole: the new text goes to a temporary file in the
// same folder, which is renamed over the old one only once it is complete,
// so that a failed write leaves the old file as it was.
bool replaceFile(const fs::path& file, std::string_view text) {
    struct stat old {};
    const bool exists = ::stat(file.c_str(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0))
        return false;

    static std::atomic<unsigned> counter{0};
    const fs::path temporary = file.string() + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = writeAll(fd, text);
    if (ok && exists) {
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
        [[maybe_unused]] const int owned = ::fchown(fd, old.st_uid, old.st_gid);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), file.c_str()) == 0;
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

void SaveIniFile(const std::string& file) {
    if (!IniFileWritable) return;
    if (const auto target = writeTarget(file)) replaceFile(*target, normalForm());
}

bool namesAreValid(std::string_view section, std::string_view key) {
    return IsValidIniName(section) && IsValidIniName(key);
}

std::string headerOf(std::string_view section) { return "[" + std::string(section) + "]"; }

std::string keyLine(std::string_view key, std::string_view value) {
    return std::string(key) + "=" + std::string(value);
}

}  // namespace

std::string GetIniValue(std::string_view section, std::string_view key, std::string_view defaultValue,
                        std::string_view file) {
    if (!namesAreValid(section, key)) return std::string(defaultValue);
    LoadIniFile(std::string(file));
    if (!IniLinesExist) return std::string(defaultValue);

    std::int64_t position = 0;
    if (!FindIniLine(position, headerOf(section), false)) return std::string(defaultValue);
    ++position;
    if (!FindIniLine(position, std::string(key) + "=", true)) return std::string(defaultValue);
    const std::string& line = IniLines[static_cast<std::size_t>(position)];
    return line.substr(line.find('=') + 1);
}

void SetIniValue(std::string_view section, std::string_view key, std::string_view value, std::string_view file) {
    // An empty name names no file: there is nothing to keep a value for.
    if (!namesAreValid(section, key) || file.empty()) return;
    const std::string path(file);
    LoadIniFile(path);
    if (!IniLinesExist) return;

    std::int64_t position = 0;
    if (!FindIniLine(position, headerOf(section), false)) {
        InsertIniLine(headerOf(section), 0);
        InsertIniLine(keyLine(key, value), 0);
    } else {
        ++position;
        if (FindIniLine(position, std::string(key) + "=", true))
            IniLines[static_cast<std::size_t>(position)] = keyLine(key, value);
        else
            InsertIniLine(keyLine(key, value), position);
    }
    SaveIniFile(path);
}

void SetEventPump(std::function<void()> pump) { EventPump = std::move(pump); }

}  // namespace mdINIBas
