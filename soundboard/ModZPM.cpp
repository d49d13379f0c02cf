#include "ModZPM.h"

#include <algorithm>
#include <array>
#include <optional>

#include "files.h"
#include "frmTest.h"
#include "mdINIBas.h"
#include "window_manager.h"

namespace files = platform::files;

std::string SystemDir;
std::string ApplDataDir;
std::string INI_Name;
std::string SystemSound;

std::string sLang;
bool bPanic = false;
bool bBlinkOn = false;
bool bPlayerOk = false;
bool bSndListOpen = false;
bool bPlaylistOn = false;
bool bTalkOver = false;

platform::Collection colSnds;

std::string sMarquee(MarqueeLength, ' ');
std::string sNowTitle;

std::int32_t lListIdx = 0;
std::int16_t iMaschineMode = 0;
std::int32_t lWinW = 0, lWinH = 0;
std::int16_t iCurBtn = 0;
std::int32_t iPlIdx = 0;

std::vector<std::string> aPlaylist;

namespace {

constexpr std::string_view Nil = "NIL";
constexpr int ButtonCount = 75;
constexpr int TwinCount = 15;
constexpr int TwinOffset = 100;

using Assignments = std::array<std::string, ButtonCount>;

// A run of LoadSettings is under way; a call made while its settings reads
// let events run asks it to start over (with that call's program folder)
// instead of running inside it.
bool loadRunning = false;
bool loadAgain = false;
std::string loadFolder;

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

std::size_t findNoCase(std::string_view text, std::string_view part, std::size_t from = 0) {
    for (std::size_t i = from; i + part.size() <= text.size(); ++i)
        if (equalNoCase(text.substr(i, part.size()), part)) return i;
    return std::string_view::npos;
}

bool endsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && equalNoCase(text.substr(text.size() - end.size()), end);
}

// One pass from left to right; inserted text is not searched again.
std::string replaceAll(std::string_view text, std::string_view part, std::string_view with, bool ignoreCase) {
    std::string result;
    std::size_t start = 0;
    for (;;) {
        const std::size_t found = ignoreCase ? findNoCase(text, part, start) : text.find(part, start);
        if (found == std::string_view::npos) break;
        result.append(text.substr(start, found - start)).append(with);
        start = found + part.size();
    }
    return result.append(text.substr(start));
}

std::vector<std::string> splitAtCommas(std::string_view text) {
    std::vector<std::string> items;
    if (text.empty()) return items;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string_view::npos; start = comma + 1)
        items.emplace_back(text.substr(start, comma - start));
    items.emplace_back(text.substr(start));
    return items;
}

std::string ButtonKey(int n) { return "s" + std::to_string(n); }

void SetSettingsPaths(std::string_view programFolder) {
    SystemDir = files::systemFolder();
    if (files::isOnSystemDrive(programFolder)) {
        ApplDataDir = files::dataFolder();
        files::ensureFolder(ApplDataDir);
    } else {
        ApplDataDir = programFolder;
    }
    INI_Name = ApplDataDir + "/zpm.ini";
    SystemSound = ApplDataDir + "/eep.wav";
}

// Skipped when there is no source or the data folder cannot take the copy;
// empty buttons then still show as "eep".
void ProvideDefaultSound() {
    if (files::fileExists(SystemSound)) return;
    std::string source = ApplDataDir + "/sound/eep.wav";
    if (!files::fileExists(source)) {
        const std::string media = SystemDir + "/media/";
        const std::optional<std::string> first = files::firstFileMatching(media, "*.WAV");
        if (!first) return;
        source = media + *first;
    }
    files::copyFile(source, SystemSound);
}

// A stored path whose file is gone is tried on the settings file's drive,
// else the button falls back to the default sound.
std::string ResolveAssignment(std::string_view stored) {
    if (stored == Nil) return SystemSound;
    const std::string value = ExpandPathMarkers(stored);
    if (findNoCase(value, "PlayList_") != std::string::npos || files::fileExists(value)) return value;
    const std::string repaired =
        std::string(files::driveOf(INI_Name)) + value.substr(files::driveOf(value).size());
    return files::fileExists(repaired) ? repaired : SystemSound;
}

// Each settings read can let events run; nothing is returned once one of
// them asked for the settings to be loaded again.
std::optional<Assignments> ReadAssignments() {
    Assignments values;
    for (int n = 1; n <= ButtonCount; ++n) {
        const std::string stored = mdINIBas::GetIniValue("snds", ButtonKey(n), Nil, INI_Name);
        if (loadAgain) return std::nullopt;
        values[static_cast<std::size_t>(n - 1)] = ResolveAssignment(stored);
    }
    return values;
}

void ShowAssignment(frmTest& form, int index, const std::string& name) {
    const gdi::Picture& picture = (name == "eep" ? form.ImgEmpty : form.ImgReady).Picture();
    form.Image1[index].setToolTipText(name);
    form.Image1[index].setPicture(picture);
}

// Nothing in here lets events run: the new collection and all buttons
// change together.
void ApplyAssignments(Assignments values) {
    platform::Collection assigned;
    frmTest& form = frmTest::instance();
    for (int n = 1; n <= ButtonCount; ++n) {
        std::string& value = values[static_cast<std::size_t>(n - 1)];
        const std::string name = SoundDisplayName(value);
        assigned.Add(std::move(value), ButtonKey(n));
        ShowAssignment(form, n, name);
        if (n <= TwinCount) ShowAssignment(form, n + TwinOffset, name);
    }
    colSnds = std::move(assigned);
}

std::optional<Assignments> ReadSettings() {
    SetSettingsPaths(loadFolder);
    ProvideDefaultSound();

    // The redirect is read from the default settings file, one level only.
    const std::string redirect = mdINIBas::GetIniValue("inifilepath", "path", Nil, INI_Name);
    if (loadAgain) return std::nullopt;
    if (redirect != Nil) INI_Name = redirect;
    return ReadAssignments();
}

class RunningLoad {
public:
    RunningLoad() { loadRunning = true; }
    RunningLoad(const RunningLoad&) = delete;
    RunningLoad& operator=(const RunningLoad&) = delete;
    ~RunningLoad() { loadRunning = false; }
};

}  // namespace

void LoadSettings() { LoadSettings(files::programFolder()); }

void LoadSettings(std::string_view programFolder) {
    loadFolder = programFolder;
    if (loadRunning) {
        loadAgain = true;
        return;
    }
    const RunningLoad running;
    std::optional<Assignments> values;
    do {
        loadAgain = false;
        values = ReadSettings();
    } while (!values);
    ApplyAssignments(std::move(*values));
}

std::string ExpandPathMarkers(std::string_view path) {
    const std::string withFolder = replaceAll(path, "[!P!]", ApplDataDir, true);
    return replaceAll(withFolder, "[!D!]", files::driveOf(ApplDataDir), true);
}

std::string SoundDisplayName(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    std::string name(separator == std::string_view::npos ? path : path.substr(separator + 1));
    for (std::string_view extension : {".wav", ".wma", ".rmi", ".mid", ".mp3"})
        name = replaceAll(name, extension, "", true);
    std::ranges::replace(name, '_', ' ');
    return name;
}

void SetNowPlaying(std::string_view path) {
    sNowTitle = SoundDisplayName(path);
    std::string marquee = sNowTitle + "   " + sNowTitle;
    if (marquee.size() > MarqueeLength) {
        // Cut at a character's start, never inside a multi-byte character.
        std::size_t cut = MarqueeLength;
        while (cut > 0 && (static_cast<unsigned char>(marquee[cut]) & 0xC0) == 0x80) --cut;
        marquee.resize(cut);
    }
    marquee.resize(MarqueeLength, ' ');
    sMarquee = std::move(marquee);
}

namespace {

// The items of a "lsts" value; none when the list file cannot be read.
std::vector<std::string> PlaylistItems(const std::string& value) {
    if (value == Nil) return {};
    if (!endsWithNoCase(value, ".txt")) return splitAtCommas(value);
    const std::optional<std::string> text = files::readWholeFile(value);
    if (!text) return {};
    std::string items = replaceAll(ExpandPathMarkers(*text), "\r\n", ",", false);
    if (items.ends_with(',')) items.pop_back();
    return splitAtCommas(items);
}

}  // namespace

void LoadPlaylist(std::string_view key) {
    const std::string value = ExpandPathMarkers(mdINIBas::GetIniValue("lsts", key, Nil, INI_Name));
    std::vector<std::string> items = PlaylistItems(value);
    // A list without a base folder and one entry cannot be played; its
    // button then shows the error picture like a list that is absent.
    if (items.size() < 2) items = {std::string(Nil), std::string(Nil)};
    aPlaylist = std::move(items);
}

bool SetTopMost(std::int16_t mode, gdi::WindowHandle hWnd) {
    std::intptr_t insertAfter = 0;
    switch (mode) {
        case 1: insertAfter = forms::HWND_TOPMOST; break;
        case 0: insertAfter = forms::HWND_NOTOPMOST; break;
        default: return false;
    }
    return forms::SetWindowPos(hWnd, insertAfter, 0, 0, 0, 0, forms::SWP_NOSIZE | forms::SWP_NOMOVE);
}
