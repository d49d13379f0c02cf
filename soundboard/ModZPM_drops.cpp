// Sounds, lists and settings files dropped on a sound button.
#include <filesystem>

#include "ModZPM.h"
#include "ascii_text.h"
#include "mdINIBas.h"
#include "runtime.h"

namespace {

// The text after the last "." of the whole path, in lower case; the whole
// path when it has no ".".
std::string ExtensionOf(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    return platform::text::lowerAscii(dot == std::string_view::npos ? path : path.substr(dot + 1));
}

bool IsListFile(std::string_view path) { return platform::text::endsWithNoCase(path, ".txt"); }

// Any part of the list passes, as "mp" or "av" do.
bool KnownExtension(std::string_view extension) {
    return std::string_view("wav,mp3,mid,rmi,txt,ini").find(extension) != std::string_view::npos;
}

std::string PlaylistAssignment(int n) { return "PlayList_" + std::to_string(n); }

// The dropped settings file is named in the default settings file and used
// from now on; the buttons are loaded from it.
void UseSettingsFile(const std::string& path) {
    media::MediaPlayer& player = MainWindow().Player(0);
    if (player.PlayState() == media::kPlaying) player.Stop();
    SaveSetting("inifilepath", "path", path, Zpm.ApplDataDir + "/zpm.ini");
    Zpm.bPlaylistOn = false;
    LoadSettings();
}

// A settings value ends at a line break: a path that holds one cannot be
// stored.
bool FitsInSettings(std::string_view path) { return path.find_first_of("\r\n") == std::string_view::npos; }

// A list file separates its items by commas and line breaks: a path that
// holds one would read back as other entries.
bool FitsInList(std::string_view path) { return path.find_first_of(",\r\n") == std::string_view::npos; }

// Names the files that were left out, so the user knows why.
void ReportLeftOut(std::span<const std::string> leftOut) {
    std::string text = "Diese Dateien haben ein Komma oder einen Zeilenumbruch im Namen und fehlen in der Liste:";
    for (const std::string& path : leftOut) text += "\r\n" + path;
    forms::MsgBox(text, forms::vbExclamation | forms::vbOKOnly, "Fehler");
}

// Both settings of a new list reach the file, or neither: after a refused
// write the store holds again what it held before, so that no later write
// saves half of it. An absent value reads as "NIL", as it is put back.
bool SaveNewList(int n, const std::string& list) {
    const std::string key = ButtonKey(n);
    const std::string oldList = mdINIBas::GetIniValue("lsts", key, Nil, Zpm.INI_Name);
    const std::string oldAssignment = mdINIBas::GetIniValue("snds", key, Nil, Zpm.INI_Name);
    if (SaveSetting("lsts", key, list, Zpm.INI_Name) &&
        SaveSetting("snds", key, PlaylistAssignment(n), Zpm.INI_Name))
        return true;
    mdINIBas::SetIniValue("snds", key, oldAssignment, Zpm.INI_Name);
    mdINIBas::SetIniValue("lsts", key, oldList, Zpm.INI_Name);
    return false;
}

// The list file is written first: when it or the settings cannot be
// written, the user is told and nothing is assigned or left behind.
void AssignNewList(int n, std::span<const std::string> dropped) {
    std::vector<std::string> files;
    std::vector<std::string> leftOut;
    for (const std::string& path : dropped) (FitsInList(path) ? files : leftOut).push_back(path);
    if (!leftOut.empty()) ReportLeftOut(leftOut);
    if (files.empty()) return;
    std::error_code error;
    const std::optional<std::string> list = WriteNewList(files, error);
    if (!list) {
        TellSaveFailure(ListsFolder(), error.message());
        return;
    }
    if (!SaveNewList(n, *list)) {
        std::filesystem::remove(*list, error);
        return;
    }
    AssignButton(n, PlaylistAssignment(n), true);
}

// A ".txt" file is a list of its own; anything else is one sound.
void AssignDroppedFile(int n, const std::string& path) {
    const std::string key = ButtonKey(n);
    std::string assignment = path;
    if (IsListFile(path)) {
        SaveSetting("lsts", key, path, Zpm.INI_Name);
        assignment = PlaylistAssignment(n);
    }
    SaveSetting("snds", key, StoredPath(assignment), Zpm.INI_Name);
    AssignButton(n, std::move(assignment), true);
}

}  // namespace

void DropFiles(int Index, std::span<const std::string> files) {
    if (files.empty()) return;
    const std::string& first = files.front();
    const std::string extension = ExtensionOf(first);
    if (!KnownExtension(extension)) return;
    if ((files.size() == 1 || extension == "ini") && !FitsInSettings(first)) {
        forms::MsgBox("Die Datei kann nicht zugeordnet werden, ihr Name hat einen Zeilenumbruch:\r\n" + first,
                      forms::vbExclamation | forms::vbOKOnly, "Fehler");
        return;
    }
    if (extension == "ini") {
        UseSettingsFile(first);
        return;
    }
    const int n = ButtonNumber(Index);
    if (files.size() >= 2) {
        AssignNewList(n, files);
    } else {
        AssignDroppedFile(n, first);
    }
}
