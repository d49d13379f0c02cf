#include "mdINIBas.h"

#include <cstdint>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "ascii_text.h"
#include "files.h"

namespace mdINIBas {
namespace {

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
std::error_code IniReadError;  // why the file held could not be read
// The file on disk as it was when its lines were read or last written here;
// nothing for a missing file. Another copy of the program may write it
// meanwhile: a write takes such changes in first instead of overwriting them.
std::optional<platform::files::FileStamp> IniStamp;

// Counts loads and saves, so that a load sees whether the events it let run
// used the store.
std::uint64_t StoreChanges = 0;
std::string LastError;

std::function<void()> EventPump;

bool IsValidIniName(std::string_view name) { return name.find_first_of("[]=") == std::string_view::npos; }

std::int64_t IniLinesUBound() { return IniLinesExist ? static_cast<std::int64_t>(IniLines.size()) - 1 : 1; }

std::int64_t endMarkerPosition() { return static_cast<std::int64_t>(IniLines.size()) - 1; }

enum class FileRead { Text, Missing, Unreadable };

struct FileText {
    FileRead outcome = FileRead::Missing;
    std::string text;
    std::error_code error;
    std::optional<platform::files::FileStamp> stamp;
};

// The whole file as bytes. Only a path that names no regular file reads as
// missing; one that exists but fails to read is reported as unreadable.
// The stamp is taken before reading: a change made while reading leaves it
// outdated, so the next write reads the file again rather than missing it.
FileText readSettingsFile(const std::string& file) {
    auto stamp = platform::files::fileStamp(file);
    std::error_code error;
    auto text = platform::files::readRegularFile(file, platform::files::maxReadSize, error);
    if (text) return {FileRead::Text, std::move(*text), {}, stamp};
    const bool missing = error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory ||
                         error == std::errc::invalid_argument;
    return {missing ? FileRead::Missing : FileRead::Unreadable, {}, error, stamp};
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

// Reads and then lets pending events run once; they may use the store.
FileText ReadFileText(const std::string& file) {
    FileText read = readSettingsFile(file);
    if (EventPump) EventPump();
    return read;
}

void holdLines(const std::string& file, FileText read) {
    IniLoadedFile = file;
    IniLines = splitLines(std::move(read.text));
    IniLines.emplace_back(EndMarker);
    IniLinesExist = true;
    IniFileWritable = read.outcome != FileRead::Unreadable;
    IniReadError = read.error;
    IniStamp = read.stamp;
}

void LoadIniFile(const std::string& file) {
    if (file == IniLoadedFile) return;
    IniLoadedFile = file;
    IniLines.clear();
    IniLinesExist = false;
    const std::uint64_t changesBefore = ++StoreChanges;

    FileText read = ReadFileText(file);
    if (StoreChanges != changesBefore) {
        // Events run while reading loaded or wrote files. Lines they left
        // in memory for this path are the newest; otherwise anything they
        // wrote is on disk now and the text read before may miss it.
        if (IniLoadedFile == file && IniLinesExist) return;
        read = readSettingsFile(file);
    }
    holdLines(file, std::move(read));
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

bool refuseWrite(std::string reason) {
    LastError = std::move(reason);
    return false;
}

// Reads stay answered from memory; only a write looks at the disk, so that
// it keeps what another process wrote since.
void TakeInChangesOnDisk(const std::string& file) {
    if (platform::files::fileStamp(file) != IniStamp) holdLines(file, readSettingsFile(file));
}

bool SaveIniFile(const std::string& file) {
    if (!IniFileWritable) return refuseWrite("the file could not be read: " + IniReadError.message());
    platform::files::FileStamp written;
    const std::error_code error = platform::files::replaceFile(file, normalForm(), &written);
    ++StoreChanges;
    if (error) return refuseWrite(error.message());
    IniStamp = written;
    LastError.clear();
    return true;
}

bool namesAreValid(std::string_view section, std::string_view key) {
    return IsValidIniName(section) && IsValidIniName(key);
}

// A line break would write lines of its own: the text could never read
// back, and could add headers and keys of its own making.
bool holdsLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

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

bool SetIniValue(std::string_view section, std::string_view key, std::string_view value, std::string_view file) {
    if (!namesAreValid(section, key)) return refuseWrite("a section or key name holds \"[\", \"]\" or \"=\"");
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value))
        return refuseWrite("a section, key or value holds a line break");
    // An empty name names no file: there is nothing to keep a value for.
    if (file.empty()) return refuseWrite("no file name");
    const std::string path(file);
    LoadIniFile(path);
    if (!IniLinesExist) return refuseWrite("the file is being read");
    // Another copy of the program must not replace the file between the
    // look at it and the rename. No events run while the lock is held; a
    // holder that does not let go in time is written past (see files.h).
    const platform::files::FileLock lock(path);
    TakeInChangesOnDisk(path);

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
    return SaveIniFile(path);
}

std::string LastWriteError() { return LastError; }

void SetEventPump(std::function<void()> pump) { EventPump = std::move(pump); }

}  // namespace mdINIBas
