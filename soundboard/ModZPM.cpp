#include "ModZPM.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <ctime>
#include <stdexcept>
#include <utility>

#include "ascii_text.h"
#include "files.h"
#include "mdINIBas.h"
#include "runtime.h"
#include "utf8_text.h"
#include "window_manager.h"

namespace files = platform::files;
using platform::text::equalNoCase;
using platform::text::findNoCase;
using platform::text::replaceAll;

ZpmState Zpm;

namespace {

ZpmWindow* mainWindow = nullptr;

using Assignments = std::array<std::string, ButtonCount>;

void SetSettingsPaths(std::string_view programFolder) {
    Zpm.SystemDir = files::systemFolder();
    if (files::isOnSystemDrive(programFolder)) {
        Zpm.ApplDataDir = files::dataFolder();
        files::ensureFolder(Zpm.ApplDataDir);
    } else {
        Zpm.ApplDataDir = programFolder;
    }
    Zpm.INI_Name = Zpm.ApplDataDir + "/zpm.ini";
    Zpm.SystemSound = Zpm.ApplDataDir + "/eep.wav";
}

// Skipped when there is no source or the data folder cannot take the copy;
// empty buttons then still show as "eep".
void ProvideDefaultSound() {
    if (files::fileExists(Zpm.SystemSound)) return;
    std::string source = Zpm.ApplDataDir + "/sound/eep.wav";
    if (!files::fileExists(source)) {
        const std::string media = Zpm.SystemDir + "/media/";
        const std::optional<std::string> first = files::firstFileMatching(media, "*.WAV");
        if (!first) return;
        source = media + *first;
    }
    files::copyFile(source, Zpm.SystemSound);
}

// A stored path whose file is gone is tried on the settings file's drive,
// else the button falls back to the default sound.
std::string ResolveAssignment(std::string_view stored) {
    if (stored == Nil) return Zpm.SystemSound;
    const std::string value = ExpandPathMarkers(stored);
    if (findNoCase(value, "PlayList_") != std::string::npos || files::fileExists(value)) return value;
    const std::string repaired =
        std::string(files::driveOf(Zpm.INI_Name)) + value.substr(files::driveOf(value).size());
    return files::fileExists(repaired) ? repaired : Zpm.SystemSound;
}

// Each settings read can let events run; nothing is returned once one of
// them asked for the settings to be loaded again.
std::optional<Assignments> ReadAssignments() {
    Assignments values;
    for (int n = 1; n <= ButtonCount; ++n) {
        const std::string stored = mdINIBas::GetIniValue("snds", ButtonKey(n), Nil, Zpm.INI_Name);
        if (Zpm.loadAgain) return std::nullopt;
        values[static_cast<std::size_t>(n - 1)] = ResolveAssignment(stored);
    }
    return values;
}

// Tooltip and resting picture of button n and its twin.
void ShowAssignment(int n, const std::string& name, bool clearErrorMark) {
    ZpmWindow& window = MainWindow();
    ForEachTwin(n, [&](int index) { window.SetButtonToolTip(index, name); });
    ShowPicture(n, RestingPicture(n, false));
    if (clearErrorMark && name != EmptyName) SetErrorMark(n, false);
}

// Nothing in here lets events run: the new collection and all buttons
// change together.
void ApplyAssignments(Assignments values) {
    platform::Collection assigned;
    for (int n = 1; n <= ButtonCount; ++n) {
        std::string& value = values[static_cast<std::size_t>(n - 1)];
        const std::string name = SoundDisplayName(value);
        assigned.Add(std::move(value), ButtonKey(n));
        ShowAssignment(n, name, false);
    }
    Zpm.colSnds = std::move(assigned);
}

std::optional<Assignments> ReadSettings() {
    SetSettingsPaths(Zpm.loadFolder);
    ProvideDefaultSound();

    // The redirect is read from the default settings file, one level only.
    const std::string redirect = mdINIBas::GetIniValue("inifilepath", "path", Nil, Zpm.INI_Name);
    if (Zpm.loadAgain) return std::nullopt;
    if (redirect != Nil) Zpm.INI_Name = redirect;
    return ReadAssignments();
}

class RunningLoad {
public:
    RunningLoad() { Zpm.loadRunning = true; }
    RunningLoad(const RunningLoad&) = delete;
    RunningLoad& operator=(const RunningLoad&) = delete;
    ~RunningLoad() { Zpm.loadRunning = false; }
};

}  // namespace

ZpmWindow* SetMainWindow(ZpmWindow* window) { return std::exchange(mainWindow, window); }

ZpmWindow& MainWindow() {
    if (!mainWindow) throw std::logic_error("the main window is not made yet");
    return *mainWindow;
}

std::string ButtonKey(int n) { return "s" + std::to_string(n); }

std::int16_t ButtonNumber(int index) {
    return static_cast<std::int16_t>(index > TwinOffset ? index - TwinOffset : index);
}

std::optional<int> TwinIndex(int n) {
    if (n < 1 || n > TwinCount) return std::nullopt;
    return n + TwinOffset;
}

bool IsCurrentButton(int index) { return ButtonNumber(index) == ButtonNumber(Zpm.iCurBtn); }

void TellSaveFailure(std::string_view file, std::string_view why) {
    if (Zpm.bSaveFailShown) return;
    Zpm.bSaveFailShown = true;
    forms::MsgBox("Die Einstellungen k\xC3\xB6nnen nicht gespeichert werden in " + std::string(file) + ": " +
                      std::string(why),
                  forms::vbExclamation | forms::vbOKOnly, "Fehler");
}

bool SaveSetting(std::string_view section, std::string_view key, std::string_view value, std::string_view file) {
    if (mdINIBas::SetIniValue(section, key, value, file)) return true;
    TellSaveFailure(file, mdINIBas::LastWriteError());
    return false;
}

void LoadSettings() { LoadSettings(files::programFolder()); }

void LoadSettings(std::string_view programFolder) {
    Zpm.loadFolder = programFolder;
    if (Zpm.loadRunning) {
        Zpm.loadAgain = true;
        return;
    }
    const RunningLoad running;
    std::optional<Assignments> values;
    do {
        Zpm.loadAgain = false;
        values = ReadSettings();
    } while (!values);
    ApplyAssignments(std::move(*values));
}

std::string ExpandPathMarkers(std::string_view path) {
    const std::string withFolder = replaceAll(path, "[!P!]", Zpm.ApplDataDir, true);
    return replaceAll(withFolder, "[!D!]", files::driveOf(Zpm.ApplDataDir), true);
}

std::string SoundDisplayName(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    std::string name(separator == std::string_view::npos ? path : path.substr(separator + 1));
    for (std::string_view extension : {".wav", ".wma", ".rmi", ".mid", ".mp3"})
        name = replaceAll(name, extension, "", true);
    std::ranges::replace(name, '_', ' ');
    return name;
}

std::string StoredPath(std::string_view dropped) {
    // Linux paths compare exactly; a data folder with a drive follows the
    // letter-case rules of the system it came from.
    const std::string_view dataDrive = files::driveOf(Zpm.ApplDataDir);
    const std::string stored = Zpm.ApplDataDir.empty()
                                   ? std::string(dropped)
                                   : replaceAll(dropped, Zpm.ApplDataDir, "[!P!]", !dataDrive.empty());
    const std::string_view drive = files::driveOf(stored);
    if (!drive.empty() && equalNoCase(drive, dataDrive)) return "[!D!]" + std::string(dropped.substr(drive.size()));
    return stored;
}

void AssignButton(int n, std::string assignment, bool clearErrorMark) {
    const std::string key = ButtonKey(n);
    const std::string name = SoundDisplayName(assignment);
    if (Zpm.colSnds.Contains(key)) Zpm.colSnds.Remove(key);
    Zpm.colSnds.Add(std::move(assignment), key);
    ShowAssignment(n, name, clearErrorMark);
}

std::string MarqueeText(std::string text) {
    // Counted in characters: a title in any script keeps whole characters.
    const std::size_t length = platform::text::utf8Length(text);
    if (length > MarqueeLength) return platform::text::utf8Slice(text, 0, MarqueeLength);
    return text.append(MarqueeLength - length, ' ');
}

void SetNowPlaying(std::string_view path) {
    Zpm.sNowTitle = SoundDisplayName(path);
    Zpm.sMarquee = MarqueeText(Zpm.sNowTitle + "   " + Zpm.sNowTitle);
}

void RefreshSoundList() {
    if (!Zpm.bSndListOpen) return;
    MainWindow().UnloadSoundList();
    Zpm.bSndListOpen = false;
    LoadSettings();
    MainWindow().ShowSoundList();
    Zpm.bSndListOpen = true;
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

std::string NumberText(float value) {
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return error == std::errc() ? std::string(buffer.data(), end) : std::string("0");
}

std::string LocalTimeText(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 64> buffer{};
    const std::size_t length = std::strftime(buffer.data(), buffer.size(), format, &local);
    return std::string(buffer.data(), length);
}

std::string DateTimeText() { return LocalTimeText("%x") + " - " + LocalTimeText("%X"); }

bool SetTopMost(std::int16_t mode, gdi::WindowHandle hWnd) {
    std::intptr_t insertAfter = 0;
    switch (mode) {
        case 1: insertAfter = forms::HWND_TOPMOST; break;
        case 0: insertAfter = forms::HWND_NOTOPMOST; break;
        default: return false;
    }
    return forms::SetWindowPos(hWnd, insertAfter, 0, 0, 0, 0, forms::SWP_NOSIZE | forms::SWP_NOMOVE);
}
