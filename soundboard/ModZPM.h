// The program-wide state of the soundboard and the procedures that turn the
// settings file into button assignments: the data and settings paths, the
// stored-path markers, the display name of a sound, the title of what plays
// and the running playlist.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "keyed_collection.h"
#include "window_host.h"

// Settings paths, set by LoadSettings.
extern std::string SystemDir;    // the system folder; its "media" subfolder holds sounds
extern std::string ApplDataDir;  // the data folder
extern std::string INI_Name;     // the settings file in use
extern std::string SystemSound;  // the default sound, the sound of an empty button

extern std::string sLang;  // language code; exactly "de" selects German texts
extern bool bPanic;        // the panic disguise is in force
extern bool bBlinkOn;      // blink phase of a paused button
extern bool bPlayerOk;     // the main player could be created
extern bool bSndListOpen;  // the sound-list window is open
extern bool bPlaylistOn;   // a playlist runs on the main player
extern bool bTalkOver;     // talk-over mode

// The assignment of each button under its key "s1" to "s75": a full sound
// path, "PlayList_" followed by the button number, or SystemSound. Replaced
// whole by LoadSettings once complete, so it never holds fewer than 75 keys
// after the first load.
extern platform::Collection colSnds;

// The display name of an empty button, and the tag of a playlist button
// whose folder was missing at its last start.
inline constexpr std::string_view EmptyName = "eep";
inline constexpr std::string_view ErrorMark = "Lerror";

constexpr std::size_t MarqueeLength = 256;
extern std::string sMarquee;   // always MarqueeLength bytes: title, three blanks, title
extern std::string sNowTitle;  // title of what plays now

extern std::int32_t lListIdx;        // loop counter of the sound list's filling
extern std::int16_t iMaschineMode;   // machine mode 1 to 4
extern std::int32_t lWinW, lWinH;    // pixel size of the open skin of the current size class
extern std::int16_t iCurBtn;         // Image1 index of the button on the main player; 0 before the first press
extern std::int32_t iPlIdx;          // 1-based index of the playing entry of aPlaylist

// The running playlist: element 0 the base folder, 1 and up the entries,
// each played as element 0 followed directly by the entry. After
// LoadPlaylist it always holds at least two elements.
extern std::vector<std::string> aPlaylist;

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

// Sets sNowTitle and sMarquee from a path.
void SetNowPlaying(std::string_view path);

// A text cut (at a character's start) or padded with blanks to the fixed
// length of sMarquee.
std::string MarqueeText(std::string text);

// The key of button n in colSnds and in the settings sections: "s" and n.
std::string ButtonKey(int n);

// The button number of an Image1 index: twins share it.
std::int16_t ButtonNumber(std::int16_t index);
// Whether the button is the current one, or its twin.
bool IsCurrentButton(std::int16_t index);
// The assignment under a button key; the default sound for a key not there.
std::string AssignmentOf(const std::string& key);

// The stored form of a dropped sound's path: the data folder inside it as
// "[!P!]", else a path on the data folder's drive as "[!D!]" and the rest.
// Linux paths have no drive and are stored whole or with "[!P!]".
std::string StoredPath(std::string_view dropped);

// Writes a new list file of the given files into the data folder's "lists"
// folder and gives its path. The base folder is the deepest folder that
// holds every file, so each entry is the rest of its file's path. An
// existing list is never overwritten: a name taken already gets a counter.
// Nothing when the folder or the file cannot be written.
std::optional<std::string> WriteNewList(std::span<const std::string> paths);

// Gives button n (and its twin) a new assignment in colSnds and shows it:
// tooltip and the empty or ready picture. A new assignment by drop also
// takes away the mark of a missing playlist folder.
void AssignButton(int n, std::string assignment, bool clearErrorMark);

// Entry i of the running playlist (1 to its last); nothing outside it.
std::optional<std::string> PlaylistEntry(std::int32_t i);

// Loads the playlist of a button key from the "lsts" section into aPlaylist.
// A list that is absent, cannot be read or holds fewer than two items gives
// ("NIL", "NIL"), which names no folder.
void LoadPlaylist(std::string_view key);

// Everything a press on a sound button does: Index is the pressed button's
// Image1 index, Button the mouse button (0 from the sound list), Shift the
// modifier keys. By reference: the sound list passes iCurBtn itself, and
// every write to iCurBtn here changes Index as well.
void ButtonAction(std::int16_t& Index, std::int16_t& Button, std::int16_t& Shift);

// Rebuilds an open sound list from the settings file; with the list closed
// nothing at all happens.
void RefreshSoundList();

// "hh:mm:ss" of whole seconds: "00:00:00" below one second (and for a value
// that is no number), "24:59:59" from 25 hours on.
std::string FormatSeconds(double seconds);

// Mode 1 puts the window on top of all windows that are not, mode 0 takes it
// back among them; neither moves nor sizes it. Any other mode does nothing
// and gives False.
bool SetTopMost(std::int16_t mode, gdi::WindowHandle hWnd);
