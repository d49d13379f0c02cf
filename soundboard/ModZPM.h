// The program module: the program-wide state, the procedures that turn the
// settings file into button assignments, the click dispatcher, drops, the
// status tick and the running playlist. It reaches the main window only
// through ZpmWindow, which the window implements.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "ZpmWindow.h"
#include "keyed_collection.h"
#include "window_host.h"

namespace forms {
class Form;
}

// The display name of an empty button, and the tag of a playlist button
// whose folder was missing at its last start.
inline constexpr std::string_view EmptyName = "eep";
inline constexpr std::string_view ErrorMark = "Lerror";
// A settings value that is absent, and a list that cannot be played.
inline constexpr std::string_view Nil = "NIL";

constexpr std::size_t MarqueeLength = 256;
constexpr int ButtonCount = 75;
constexpr int TwinCount = 15;
constexpr int TwinOffset = 100;
constexpr long NormalLevel = -600;

// Everything the program keeps between events, as one object: a test
// starts afresh with `Zpm = {};`.
struct ZpmState {
    // Settings paths, set by LoadSettings.
    std::string SystemDir;    // the system folder; its "media" subfolder holds sounds
    std::string ApplDataDir;  // the data folder
    std::string INI_Name;     // the settings file in use
    std::string SystemSound;  // the default sound, the sound of an empty button

    std::string sLang;          // language code; exactly "de" selects German texts
    bool bPanic = false;        // the panic disguise is in force
    bool bBlinkOn = false;      // blink phase of a paused button
    bool bPlayerOk = false;     // the main player could be created
    bool bSndListOpen = false;  // the sound-list window is open
    bool bPlaylistOn = false;   // a playlist runs on the main player
    bool bTalkOver = false;     // talk-over mode
    bool bSaveFailShown = false;  // the user has been told that the settings cannot be saved

    // The assignment of each button under its key "s1" to "s75": a full
    // sound path, "PlayList_" followed by the button number, or SystemSound.
    // Replaced whole by LoadSettings once complete, so it never holds fewer
    // than 75 keys after the first load.
    platform::Collection colSnds;

    std::string sMarquee = std::string(MarqueeLength, ' ');  // title, three blanks, title; in characters
    std::string sNowTitle;                                   // title of what plays now
    std::int16_t iMarqueePos = 0;  // where the scrolling title starts, 1-based; 0 starts over

    std::int32_t lListIdx = 0;       // loop counter of the sound list's filling
    std::int16_t iMaschineMode = 0;  // machine mode 1 to 4
    std::int32_t lWinW = 0;          // pixel size of the open skin of the current size class
    std::int32_t lWinH = 0;
    std::int16_t iCurBtn = 0;  // Image1 index of the button on the main player; 0 before the first press
    std::int32_t iPlIdx = 0;   // 1-based index of the playing entry of aPlaylist
    std::int32_t lFailedEntries = 0;  // playlist entries in a row that could not be opened

    // The running playlist: element 0 the base folder, 1 and up the entries,
    // each played as element 0 followed directly by the entry. After
    // LoadPlaylist it always holds at least two elements.
    std::vector<std::string> aPlaylist;

    // The fade-out timer's counts, kept from tick to tick; the blink phase
    // also from one fade to the next.
    std::int16_t iFadeTick = 0;
    std::int16_t iFadeNextToggle = 0;
    bool bFadeBlink = false;

    // Esc presses so far: a press whose wait sees the count change starts
    // nothing after it.
    std::uint32_t panicPresses = 0;

    // A run of LoadSettings is under way; a call made while its settings
    // reads let events run asks it to start over with that call's folder.
    bool loadRunning = false;
    bool loadAgain = false;
    std::string loadFolder;
};
extern ZpmState Zpm;

// The main window the module works on; set by the window when it is made.
// Gives the one set before.
ZpmWindow* SetMainWindow(ZpmWindow* window);
ZpmWindow& MainWindow();

// --- buttons ---

// The key of button n in colSnds and in the settings sections: "s" and n.
std::string ButtonKey(int n);
// Buttons n and n + 100 (n up to 15) are one button.
std::int16_t ButtonNumber(int index);
std::optional<int> TwinIndex(int n);
// The pressed button is the current one, twins counting as one.
bool IsCurrentButton(int index);

// Both twins of a button, by either one's index: n, and n + 100 for n up
// to 15.
void ForEachTwin(int index, const std::function<void(int)>& action);
// Both twins show the picture, so that the other machine shows the same.
void ShowPicture(int index, ButtonPicture picture);
// ShowPicture, and the button of this index is repainted at once.
void ShowPictureNow(int index, ButtonPicture picture);
// The mark of a playlist whose folder was missing at its last start, on or
// off on both twins.
void SetErrorMark(int index, bool marked);
// The picture a button rests in when its sound does not play: empty for
// "eep", else the error mark's picture when asked to show it, else ready.
ButtonPicture RestingPicture(int index, bool showErrorMark);
// The next phase of a paused current button's blink: on air, then ready
// (or list on air while a playlist runs).
ButtonPicture BlinkPicture();
// The current button shows that its sound or list plays.
void ShowCurrentPlaying();
// The picture a button keeps once the mouse is let go over it.
void ShowReleasedButton(int index, int shift);

// --- settings and assignments ---

// The first time a run cannot save, the user is told where and why.
void TellSaveFailure(std::string_view file, std::string_view why);
// Writes a setting. The first write that fails after the start tells the
// user which file and why; the file itself is left as it was.
bool SaveSetting(std::string_view section, std::string_view key, std::string_view value, std::string_view file);

// Works out the paths, provides the default sound, follows the redirect and
// loads the 75 assignments into colSnds and onto both panels' buttons. The
// portable rule looks at the program's own folder, or at programFolder when
// given.
void LoadSettings();
void LoadSettings(std::string_view programFolder);

// "[!P!]" becomes ApplDataDir, then "[!D!]" its drive, in any letter case.
std::string ExpandPathMarkers(std::string_view path);

// The name after the last "/" or "\" without the sound extensions, "_" as
// blanks: the tooltip, the sound-list row and the title of a sound.
std::string SoundDisplayName(std::string_view path);

// The stored form of a dropped sound's path: the data folder inside it as
// "[!P!]", else a path on the data folder's drive as "[!D!]" and the rest.
// Linux paths have no drive and are stored whole or with "[!P!]".
std::string StoredPath(std::string_view dropped);

// Gives button n (and its twin) a new assignment in colSnds and shows it:
// tooltip and the empty or ready picture. A new assignment by drop also
// takes away the mark of a missing playlist folder.
void AssignButton(int n, std::string assignment, bool clearErrorMark);

// Files dropped on button Index: a settings file switches to it, several
// files make a new playlist, a ".txt" file is a list, anything else a sound.
void DropFiles(int Index, std::span<const std::string> files);

// --- the title ---

// Sets sNowTitle and sMarquee from a path.
void SetNowPlaying(std::string_view path);

// A text cut (at a character's start) or padded with blanks to the fixed
// length of sMarquee.
std::string MarqueeText(std::string text);

// --- playlists ---

// The data folder's "lists" folder, with its closing "/".
std::string ListsFolder();

// Writes a new list file of the given files into ListsFolder() and gives its
// path. The base folder is the deepest folder that holds every file, so each
// entry is the rest of its file's path. An existing list is never
// overwritten: a name taken already gets a counter. Nothing when the folder
// or the file cannot be written; `error` then says why.
std::optional<std::string> WriteNewList(std::span<const std::string> paths, std::error_code& error);

// Entry i of the running playlist (1 to its last); nothing outside it.
std::optional<std::string> PlaylistEntry(std::int32_t i);

// Plays entry iPlIdx of the running playlist. A list none of whose entries
// could be opened in a whole round ends: its button shows the error mark.
void PlayPlaylistEntry();

// The path of the first entry of a button key's list, read without touching
// the running playlist; nothing when the list cannot be played.
std::optional<std::string> FirstPlaylistEntry(std::string_view key);

// Loads the playlist of a button key from the "lsts" section into aPlaylist.
// A list that is absent, cannot be read or holds fewer than two items gives
// ("NIL", "NIL"), which names no folder.
void LoadPlaylist(std::string_view key);

// --- presses, the tick, the sound list ---

// Everything a press on a sound button does: Index is the pressed button's
// Image1 index, Button the mouse button (0 from the sound list), Shift the
// modifier keys. By reference: the sound list passes iCurBtn itself, and
// every write to iCurBtn here changes Index as well.
void ButtonAction(std::int16_t& Index, std::int16_t& Button, std::int16_t& Shift);

// The button's assignment is a playlist: its tooltip reads "PlayList" and
// its number.
bool IsPlaylistButton(int index);
// Starts the playlist of button Index as a plain click does: the list runs
// from its first entry, its button shows it and an open sound list follows.
// False when the list cannot be played; the button then shows the error mark.
bool StartButtonPlaylist(std::int16_t& Index);

// Silences and stops a player, then puts back the normal level.
void SilenceAndStop(media::MediaPlayer& player);

// One second of the status display: time, title, the running playlist and
// the current button's picture.
void StatusTick();

// --- fades, talk-over, jingles and playlist steps ---

// The fade-out timer's interval, and its tag while no fade runs.
constexpr int FadeInterval = 20;
inline constexpr std::string_view FadeIdleTag = "9999";

// The fade's curve: 10 hundredths of a decibel a step, 100 from -2500 on;
// a fade ends at FadeEnd.
long NextFadeLevel(long level);
constexpr long FadeEnd = -4500;

// One step of a fade-out: the main player a little lower, the button named
// by the timer's tag blinking; at the end the player is stopped and back at
// its normal level, and the playlist has ended.
void FadeTimerTick();

// How long the main player takes to go down or up by talk-over mode's
// toggle, and by each of a one-shot's two ramps.
inline constexpr std::chrono::milliseconds TalkOverRampTime{1000};
inline constexpr int TalkOverRampSteps = 15;
inline constexpr std::chrono::milliseconds OneShotRampTime{500};
inline constexpr int OneShotRampSteps = 10;

// The panic key's silence: the main player silenced and stopped at its
// normal level, a running fade-out ended, a running playlist too (or the
// status tick would start its next entry at once), and every press waiting
// now starts nothing after its wait. The second player plays on.
void PanicStop();
// Waits as forms::WaitUntil does, for a press that starts a sound after
// the wait: false also when the panic key was pressed meanwhile.
bool WaitBeforeStart(const std::function<bool()>& done);

// Plays the button's sound on the second player and waits for its end.
void PlayJingle(std::int16_t Index);
// Fades the main player out, the pressed button blinking.
void FadeOut(std::int16_t Index);
// Talk-over mode on or off; a sounding main player is ramped down or up.
void ToggleTalkOver();
// The next or previous entry of the running playlist, wrapping at its ends,
// from the button whose list runs.
void NextEntry(std::int16_t Index);
void PreviousEntry(std::int16_t Index);
// Plays the button's sound once on the second player with the main player
// lowered meanwhile.
void PlayOneShot(std::int16_t Index);
// Fades the current sound out, then starts the pressed button's. Index is
// read afresh after the wait: it may be iCurBtn itself.
void FadeOver(std::int16_t& Index);

// The assignment under a button key; the default sound for a key not there.
std::string AssignmentOf(const std::string& key);

// Rebuilds an open sound list from the settings file; with the list closed
// nothing at all happens.
void RefreshSoundList();

// "hh:mm:ss" of whole seconds: "00:00:00" below one second (and for a value
// that is no number), "24:59:59" from 25 hours on.
std::string FormatSeconds(double seconds);

// The date and the time as the system's regional settings write them.
std::string DateTimeText();
// The shortest text that reads back as the same single-precision number.
std::string NumberText(float value);
// The local time in a strftime format.
std::string LocalTimeText(const char* format);

// Mode 1 puts the window on top of all windows that are not, mode 0 takes it
// back among them; neither moves nor sizes it. Any other mode does nothing
// and gives False.
bool SetTopMost(std::int16_t mode, gdi::WindowHandle hWnd);

// --- form scaling ---

// Gives the window the outer width NewWidth (twips) and its height, and the
// place and size of each element, the same ratio; centres it on the screen
// when bCenter is set, and shows it. Text boxes are kept within the help
// window's inner size. Throws std::domain_error for a window whose inner
// width is zero and std::overflow_error when the ratio is no finite number
// or the new width or height is beyond what a window takes; the window is
// then left as it was. A statement on an
// element that fails (a member the element lacks, a value it refuses) is
// skipped.
void ResizeForm(forms::Form& frm, float NewWidth, bool bCenter);

// The help window, loaded when it is not (loading shows it).
forms::Form& HelpWindow();
