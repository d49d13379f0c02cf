// The click dispatcher: what a press on a sound button means, and the
// bindings that start, stop, resume, pause and clear.
#include <filesystem>

#include "ModZPM.h"
#include "ascii_text.h"
#include "control.h"
#include "mdINIBas.h"
#include "waits.h"

using platform::text::findNoCase;

namespace {

constexpr std::string_view PlaylistMark = "PlayList ";

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

// The pressed button shows what is about to play; a running playlist keeps
// the title of its entry.
void ShowPressed(ZpmWindow& window, int index) {
    const std::string name = window.ButtonToolTip(index);
    const bool empty = name == EmptyName;
    Zpm.sNowTitle = empty ? std::string() : name;
    ShowPictureNow(index, empty ? ButtonPicture::Empty : ButtonPicture::OnAir);
}

void StopCurrent(ZpmWindow& window) {
    SilenceAndStop(window.Player(0));
    ShowPictureNow(Zpm.iCurBtn, ButtonPicture::OnAir);
    Zpm.bPlaylistOn = false;
    Zpm.bTalkOver = false;
}

void LeaveCurrent(ZpmWindow& window) {
    ShowPictureNow(Zpm.iCurBtn, RestingPicture(Zpm.iCurBtn, true));
    SilenceAndStop(window.Player(0));
}

// "NIL" is the loader's mark of a list that cannot be played, never a
// folder, whatever the current folder holds.
bool BaseFolderExists() {
    if (Zpm.aPlaylist.size() < 2 || Zpm.aPlaylist.front() == Nil) return false;
    std::error_code error;
    return std::filesystem::exists(Zpm.aPlaylist.front(), error);
}

// False when the list cannot be played: the button shows the error mark and
// the old playlist has ended with the stop before.
bool StartPlaylist(ZpmWindow& window, const std::string& key, std::int16_t n) {
    window.ShowLoading();
    LoadPlaylist(key);
    Zpm.iCurBtn = n;
    if (!BaseFolderExists()) {
        SetErrorMark(n, true);
        ShowPictureNow(n, ButtonPicture::Error);
        Zpm.bPlaylistOn = false;
        return false;
    }
    SetNowPlaying(Zpm.aPlaylist[1]);
    Zpm.iPlIdx = 1;
    Zpm.bPlaylistOn = true;
    Zpm.lFailedEntries = 0;
    SetErrorMark(n, false);
    ShowPicture(n, ButtonPicture::ListOnAir);
    PlayPlaylistEntry();
    return Zpm.bPlaylistOn;
}

// An open sound list is rebuilt after a start, which puts every button at
// rest: the started button shows again what it plays.
void Started(std::int16_t& Index) {
    RefreshSoundList();
    Zpm.iCurBtn = Index;
    ShowCurrentPlaying();
}

void StartSound(ZpmWindow& window, std::int16_t index, const std::string& key) {
    Zpm.bPlaylistOn = false;
    window.ShowLoading();
    ShowPicture(index, ButtonPicture::OnAir);
    window.Player(0).setFileName(AssignmentOf(key));
}

// Start, stop or resume. Index is read afresh at every use: it may be
// iCurBtn itself.
void PlainClick(std::int16_t& Index, std::int16_t n) {
    ZpmWindow& window = MainWindow();
    media::MediaPlayer& player = window.Player(0);
    // A resume plays what was paused: only its own button shows it and
    // names it, whichever button was pressed.
    const bool resumes = player.PlayState() == media::kPaused;
    if (!Zpm.bPlaylistOn && (!resumes || IsCurrentButton(Index))) ShowPressed(window, Index);
    if (resumes) {
        player.Play();
        if (!IsCurrentButton(Index)) ShowCurrentPlaying();
        return;
    }
    if (player.PlayState() == media::kPlaying && IsCurrentButton(Index)) {
        StopCurrent(window);
        return;
    }
    LeaveCurrent(window);
    if (IsPlaylistButton(n)) {
        StartButtonPlaylist(Index);
        return;
    }
    StartSound(window, Index, ButtonKey(n));
    Started(Index);
}

// Nothing can be cleared while anything plays.
void ClearButton(std::int16_t n) {
    ZpmWindow& window = MainWindow();
    if (window.Player(0).PlayState() == media::kPlaying) return;
    const std::string key = ButtonKey(n);
    SaveSetting("snds", key, Zpm.SystemSound, Zpm.INI_Name);
    if (findNoCase(window.ButtonToolTip(n), PlaylistMark) != std::string::npos)
        SaveSetting("lsts", key, "", Zpm.INI_Name);
    AssignButton(n, Zpm.SystemSound, false);
}

}  // namespace

bool IsPlaylistButton(int index) {
    return MainWindow().ButtonToolTip(index).find(PlaylistMark) != std::string::npos;
}

bool StartButtonPlaylist(std::int16_t& Index) {
    const std::int16_t n = ButtonNumber(Index);
    if (!StartPlaylist(MainWindow(), ButtonKey(n), n)) return false;
    Started(Index);
    return true;
}

std::string AssignmentOf(const std::string& key) {
    return Zpm.colSnds.Contains(key) ? Zpm.colSnds.Item(key) : Zpm.SystemSound;
}

void SilenceAndStop(media::MediaPlayer& player) {
    player.setVolume(media::kSilence);
    player.Stop();
    player.setVolume(NormalLevel);
}

void ButtonAction(std::int16_t& Index, std::int16_t& Button, std::int16_t& Shift) {
    ZpmWindow& window = MainWindow();
    if (!window.HasButton(Index)) return;
    // Once the program is closing nothing starts any more.
    if (forms::WaitsEnded()) return;
    // With talk-over mode on, a press on any other button is a jingle on
    // the second player.
    if (Zpm.bTalkOver && !IsCurrentButton(Index)) {
        PlayJingle(Index);
        return;
    }
    const std::int16_t n = ButtonNumber(Index);
    if (Zpm.iCurBtn == 0) Zpm.iCurBtn = n;
    switch (BindingOf(Button, Shift, window.ButtonTag(n) == ErrorMark)) {
        case Binding::PlainClick: PlainClick(Index, n); break;
        case Binding::Pause: window.Player(0).Pause(); break;
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
