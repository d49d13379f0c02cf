#include "ModZPM.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>

#include "ModZPM_fades.h"
#include "ascii_text.h"
#include "files.h"
#include "frmTest.h"
#include "mdINIBas.h"
#include "window_manager.h"

namespace files = platform::files;
using platform::text::endsWithNoCase;
using platform::text::equalNoCase;
using platform::text::findNoCase;

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
    const gdi::Picture& picture = (name == EmptyName ? form.ImgEmpty : form.ImgReady).Picture();
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

std::string ButtonKey(int n) { return "s" + std::to_string(n); }

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

std::string MarqueeText(std::string text) {
    if (text.size() > MarqueeLength) {
        // Cut at a character's start, never inside a multi-byte character.
        std::size_t cut = MarqueeLength;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
        text.resize(cut);
    }
    text.resize(MarqueeLength, ' ');
    return text;
}

void SetNowPlaying(std::string_view path) {
    sNowTitle = SoundDisplayName(path);
    sMarquee = MarqueeText(sNowTitle + "   " + sNowTitle);
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

std::optional<std::string> PlaylistEntry(std::int32_t i) {
    if (i < 1 || static_cast<std::size_t>(i) >= aPlaylist.size()) return std::nullopt;
    return aPlaylist[static_cast<std::size_t>(i)];
}

// --- assignments by drop and clear ---

std::string StoredPath(std::string_view dropped) {
    // Linux paths compare exactly; a data folder with a drive follows the
    // letter-case rules of the system it came from.
    const std::string_view dataDrive = files::driveOf(ApplDataDir);
    const std::string stored =
        ApplDataDir.empty() ? std::string(dropped) : replaceAll(dropped, ApplDataDir, "[!P!]", !dataDrive.empty());
    const std::string_view drive = files::driveOf(stored);
    if (!drive.empty() && equalNoCase(drive, dataDrive)) return "[!D!]" + std::string(dropped.substr(drive.size()));
    return stored;
}

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Creates the file only when its name is free; nothing of it stays behind
// when it cannot be written completely.
bool WriteNewFile(const std::string& path, std::string_view text) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wbx"));
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    if (std::fclose(file.release()) == 0 && written) return true;
    std::remove(path.c_str());
    return false;
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

std::string DropTimeStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 32> buffer{};
    const std::size_t length = std::strftime(buffer.data(), buffer.size(), "%Y%m%d_%H%M%S", &local);
    return std::string(buffer.data(), length);
}

}  // namespace

std::optional<std::string> WriteNewList(std::span<const std::string> paths) {
    if (paths.empty()) return std::nullopt;
    const std::string folder = ApplDataDir + "/lists/";
    if (!files::ensureFolder(folder)) return std::nullopt;
    const std::string text = ListText(paths);
    const std::string stem = folder + "List_" + DropTimeStamp();
    // Several drops within one second share the time stamp.
    constexpr int attempts = 1000;
    for (int count = 1; count <= attempts; ++count) {
        std::string path = stem + (count == 1 ? "" : "_" + std::to_string(count)) + ".txt";
        errno = 0;
        if (WriteNewFile(path, text)) return path;
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

void AssignButton(int n, std::string assignment, bool clearErrorMark) {
    const std::string key = ButtonKey(n);
    const std::string name = SoundDisplayName(assignment);
    if (colSnds.Contains(key)) colSnds.Remove(key);
    colSnds.Add(std::move(assignment), key);
    frmTest& form = frmTest::instance();
    const auto show = [&](int index) {
        ShowAssignment(form, index, name);
        if (clearErrorMark && name != EmptyName) form.Image1[index].setTag("");
    };
    show(n);
    if (n <= TwinCount) show(n + TwinOffset);
}

// --- the click dispatcher ---

namespace {

constexpr std::string_view PlaylistMark = "PlayList ";
constexpr long NormalLevel = -600;

enum class Binding { None, FadeOut, TalkOver, NextEntry, Clear, PlainClick, FadeOver, PreviousEntry, OneShot, Pause };

// What a press means, by its mouse button and modifier keys. The left and
// the middle button (and the sound list, which passes 0) act alike; a
// button marked for a missing playlist folder takes no press with keys.
Binding BindingOf(std::int16_t button, std::int16_t shift, bool errorMark) {
    if (button == forms::vbRightButton) {
        switch (shift) {
            case forms::vbAltMask: return Binding::FadeOut;
            case forms::vbShiftMask: return Binding::TalkOver;
            case forms::vbCtrlMask: return Binding::NextEntry;
            case forms::vbShiftMask | forms::vbCtrlMask: return Binding::Clear;
            default: return Binding::None;
        }
    }
    if (shift == 0) return Binding::PlainClick;
    if (errorMark) return Binding::None;
    switch (shift) {
        case forms::vbAltMask: return Binding::FadeOver;
        case forms::vbCtrlMask: return Binding::PreviousEntry;
        case forms::vbShiftMask: return Binding::OneShot;
        case forms::vbCtrlMask | forms::vbAltMask: return Binding::Pause;
        default: return Binding::None;
    }
}

}  // namespace

std::int16_t ButtonNumber(std::int16_t index) {
    return static_cast<std::int16_t>(index > TwinOffset ? index - TwinOffset : index);
}

// A button and its twin are one button.
bool IsCurrentButton(std::int16_t index) { return ButtonNumber(index) == ButtonNumber(iCurBtn); }

std::string AssignmentOf(const std::string& key) { return colSnds.Contains(key) ? colSnds.Item(key) : SystemSound; }

namespace {

void ShowState(forms::Image& button, const forms::Image& state) { button.setPicture(state.Picture()); }

void Silence(media::MediaPlayer& player) {
    player.setVolume(media::kSilence);
    player.Stop();
    player.setVolume(NormalLevel);
}

void ShowLoading(frmTest& form) {
    form.lblTitel.setCaption("Loading...");
    form.lblTitel.Refresh();
}

// The pressed button shows what is about to play; a running playlist keeps
// the title of its entry.
void ShowPressed(frmTest& form, forms::Image& pressed) {
    const std::string name = pressed.ToolTipText();
    const bool empty = name == EmptyName;
    ShowState(pressed, empty ? form.ImgEmpty : form.ImgOnAir);
    sNowTitle = empty ? std::string() : name;
    pressed.Refresh();
}

void StopCurrent(frmTest& form) {
    media::MediaPlayer& player = form.wmp(0);
    player.setVolume(media::kSilence);
    player.Stop();
    forms::Image& current = form.Image1[iCurBtn];
    ShowState(current, form.ImgOnAir);
    current.Refresh();
    player.setVolume(NormalLevel);
    bPlaylistOn = false;
    bTalkOver = false;
}

void LeaveCurrent(frmTest& form) {
    forms::Image& current = form.Image1[iCurBtn];
    const forms::Image& state = current.ToolTipText() == EmptyName ? form.ImgEmpty
                                : current.Tag() == ErrorMark       ? form.ImgError
                                                                   : form.ImgReady;
    ShowState(current, state);
    current.Refresh();
    Silence(form.wmp(0));
}

// "NIL" is the loader's mark of a list that cannot be played, never a
// folder, whatever the current folder holds.
bool BaseFolderExists() {
    if (aPlaylist.size() < 2 || aPlaylist.front() == Nil) return false;
    std::error_code error;
    return std::filesystem::exists(aPlaylist.front(), error);
}

// False when the list cannot be played: the button shows the error mark and
// the old playlist has ended with the stop before.
bool StartPlaylist(frmTest& form, const std::string& key, std::int16_t n) {
    ShowLoading(form);
    LoadPlaylist(key);
    iCurBtn = n;
    forms::Image& button = form.Image1[iCurBtn];
    if (!BaseFolderExists()) {
        ShowState(button, form.ImgError);
        button.setTag(ErrorMark);
        button.Refresh();
        bPlaylistOn = false;
        return false;
    }
    SetNowPlaying(aPlaylist[1]);
    form.wmp(0).setFileName(aPlaylist[0] + aPlaylist[1]);
    iPlIdx = 1;
    bPlaylistOn = true;
    button.setTag("");
    ShowState(button, form.ImgListOnAir);
    return true;
}

void StartSound(frmTest& form, std::int16_t index, const std::string& key) {
    bPlaylistOn = false;
    ShowLoading(form);
    ShowState(form.Image1[index], form.ImgOnAir);
    form.wmp(0).setFileName(AssignmentOf(key));
}

// Start, stop or resume. Index is read afresh at every use: it may be
// iCurBtn itself.
void PlainClick(std::int16_t& Index, std::int16_t n) {
    frmTest& form = frmTest::instance();
    media::MediaPlayer& player = form.wmp(0);
    if (!bPlaylistOn) ShowPressed(form, form.Image1[Index]);
    if (player.PlayState() == media::kPaused) {
        player.Play();
        return;
    }
    if (player.PlayState() == media::kPlaying && IsCurrentButton(Index)) {
        StopCurrent(form);
        return;
    }
    const std::string key = ButtonKey(n);
    LeaveCurrent(form);
    if (form.Image1[n].ToolTipText().find(PlaylistMark) != std::string::npos) {
        if (!StartPlaylist(form, key, n)) return;
    } else {
        StartSound(form, Index, key);
    }
    RefreshSoundList();
    iCurBtn = Index;
}

// Nothing can be cleared while anything plays.
void ClearButton(std::int16_t n) {
    frmTest& form = frmTest::instance();
    if (form.wmp(0).PlayState() == media::kPlaying) return;
    const std::string key = ButtonKey(n);
    mdINIBas::SetIniValue("snds", key, SystemSound, INI_Name);
    if (findNoCase(form.Image1[n].ToolTipText(), PlaylistMark) != std::string::npos)
        mdINIBas::SetIniValue("lsts", key, "", INI_Name);
    AssignButton(n, SystemSound, false);
}

}  // namespace

void ButtonAction(std::int16_t& Index, std::int16_t& Button, std::int16_t& Shift) {
    frmTest& form = frmTest::instance();
    if (!form.Image1.exists(Index)) return;
    // Once the program is closing nothing starts any more.
    if (forms::WaitsEnded()) return;
    // With talk-over mode on, a press on any other button is a jingle on
    // the second player.
    if (bTalkOver && !IsCurrentButton(Index)) {
        PlayJingle(Index);
        return;
    }
    const std::int16_t n = ButtonNumber(Index);
    if (iCurBtn == 0) iCurBtn = n;
    switch (BindingOf(Button, Shift, form.Image1[n].Tag() == ErrorMark)) {
        case Binding::PlainClick: PlainClick(Index, n); break;
        case Binding::Pause: form.wmp(0).Pause(); break;
        case Binding::Clear: ClearButton(n); break;
        case Binding::FadeOut: FadeOut(Index); break;
        case Binding::TalkOver: ToggleTalkOver(); break;
        case Binding::NextEntry: NextEntry(Index); break;
        case Binding::FadeOver: FadeOver(Index); break;
        case Binding::PreviousEntry: PreviousEntry(Index); break;
        case Binding::OneShot: PlayOneShot(Index); break;
        case Binding::None: break;
    }
}

void RefreshSoundList() {
    if (!bSndListOpen) return;
    if (frmTest::unloadSoundList) frmTest::unloadSoundList();
    bSndListOpen = false;
    LoadSettings();
    if (!frmTest::showSoundList) return;
    frmTest::showSoundList();
    bSndListOpen = true;
}

std::string FormatSeconds(double seconds) {
    const double whole = std::floor(seconds);
    if (!(whole >= 1)) return "00:00:00";  // also for a value that is no number
    if (std::floor(whole / 3600) > 24) return "24:59:59";
    const auto t = static_cast<int>(whole);
    const auto twoDigits = [](int value) {
        return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
    };
    return twoDigits(t / 3600) + ":" + twoDigits(t / 60 % 60) + ":" + twoDigits(t % 60);
}
