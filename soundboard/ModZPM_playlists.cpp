// The running playlist, list files and inline lists.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "ModZPM.h"
#include "ascii_text.h"
#include "files.h"
#include "mdINIBas.h"

namespace files = platform::files;
using platform::text::endsWithNoCase;
using platform::text::replaceAll;

namespace {

std::vector<std::string> splitAtCommas(std::string_view text) {
    std::vector<std::string> items;
    if (text.empty()) return items;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string_view::npos; start = comma + 1)
        items.emplace_back(text.substr(start, comma - start));
    items.emplace_back(text.substr(start));
    return items;
}

// The items of a "lsts" value; none when the list file cannot be read.
std::vector<std::string> PlaylistItems(const std::string& value) {
    if (value == Nil) return {};
    if (!endsWithNoCase(value, ".txt")) return splitAtCommas(value);
    const std::optional<std::string> text = files::readWholeFile(value);
    if (!text) return {};
    // A lone LF ends a line as well, as Linux editors write them.
    const std::string lines = replaceAll(ExpandPathMarkers(*text), "\r\n", "\n", false);
    std::string items = replaceAll(lines, "\n", ",", false);
    if (items.ends_with(',')) items.pop_back();
    return splitAtCommas(items);
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// What the last failed call left in errno; a failure that left none is
// an input/output error.
std::error_code LastSystemError() { return {errno != 0 ? errno : EIO, std::generic_category()}; }

// Creates the file only when its name is free; nothing of it stays behind
// when it cannot be written completely.
std::error_code WriteNewFile(const std::string& path, std::string_view text) {
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wbx"));
    if (!file) return LastSystemError();
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    std::error_code error = written ? std::error_code() : LastSystemError();
    if (std::fclose(file.release()) != 0 && !error) error = LastSystemError();
    if (error) std::remove(path.c_str());
    return error;
}

// The deepest folder that holds every path, with its closing separator.
std::string CommonFolder(std::span<const std::string> paths) {
    std::string_view common = paths.front();
    for (const std::string& path : paths) {
        const auto [differs, unused] = std::ranges::mismatch(common, path);
        common = common.substr(0, static_cast<std::size_t>(differs - common.begin()));
    }
    const std::size_t separator = common.find_last_of("/\\");
    return separator == std::string_view::npos ? std::string() : std::string(common.substr(0, separator + 1));
}

// The base folder on the first line, then each path below it, one a line.
std::string ListText(std::span<const std::string> paths) {
    const std::string base = CommonFolder(paths);
    std::string text = base;
    for (const std::string& path : paths) {
        const std::string_view entry = std::string_view(path).substr(base.size());
        if (entry.empty()) continue;
        if (!text.empty()) text += "\r\n";
        text += entry;
    }
    return text;
}

// The base folder and the entries of a button key's list. A list without a
// base folder and one entry cannot be played; its button then shows the
// error picture like a list that is absent.
std::vector<std::string> PlaylistOf(std::string_view key) {
    const std::string value = ExpandPathMarkers(mdINIBas::GetIniValue("lsts", key, Nil, Zpm.INI_Name));
    std::vector<std::string> items = PlaylistItems(value);
    if (items.size() < 2) items = {std::string(Nil), std::string(Nil)};
    return items;
}

}  // namespace

void LoadPlaylist(std::string_view key) { Zpm.aPlaylist = PlaylistOf(key); }

std::optional<std::string> FirstPlaylistEntry(std::string_view key) {
    const std::vector<std::string> items = PlaylistOf(key);
    if (items.front() == Nil) return std::nullopt;
    return items[0] + items[1];
}

std::optional<std::string> PlaylistEntry(std::int32_t i) {
    if (i < 1 || static_cast<std::size_t>(i) >= Zpm.aPlaylist.size()) return std::nullopt;
    return Zpm.aPlaylist[static_cast<std::size_t>(i)];
}

void PlayPlaylistEntry() {
    const std::optional<std::string> entry = PlaylistEntry(Zpm.iPlIdx);
    if (!entry) return;
    ZpmWindow& window = MainWindow();
    media::MediaPlayer& player = window.Player(0);
    player.setFileName(Zpm.aPlaylist.front() + *entry);
    if (player.PlayState() != media::kClosed) {
        Zpm.lFailedEntries = 0;
        return;
    }
    // Without this the list would cycle through its broken entries for ever.
    if (++Zpm.lFailedEntries < static_cast<std::int32_t>(Zpm.aPlaylist.size()) - 1) return;
    Zpm.bPlaylistOn = false;
    SetErrorMark(Zpm.iCurBtn, true);
    ShowPictureNow(Zpm.iCurBtn, ButtonPicture::Error);
}

std::string ListsFolder() { return Zpm.ApplDataDir + "/lists/"; }

std::optional<std::string> WriteNewList(std::span<const std::string> paths, std::error_code& error) {
    error = std::make_error_code(std::errc::invalid_argument);
    if (paths.empty()) return std::nullopt;
    const std::string folder = ListsFolder();
    if (!files::ensureFolder(folder, &error)) return std::nullopt;
    const std::string text = ListText(paths);
    const std::string stem = folder + "List_" + LocalTimeText("%Y%m%d_%H%M%S");
    // Several drops within one second share the time stamp.
    constexpr int attempts = 1000;
    for (int count = 1; count <= attempts; ++count) {
        std::string path = stem + (count == 1 ? "" : "_" + std::to_string(count)) + ".txt";
        error = WriteNewFile(path, text);
        if (!error) return path;
        if (error != std::errc::file_exists) return std::nullopt;
    }
    return std::nullopt;
}
