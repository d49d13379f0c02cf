#include "Form2.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>

#include "ModZPM.h"
#include "ascii_text.h"
#include "asset_dir.h"
#include "frmTest.h"
#include "waits.h"
#include "window_drag.h"

namespace {

constexpr int KeyEscape = 27;
constexpr std::int16_t FadeOutCode = 10 * forms::vbLeftButton + forms::vbAltMask;

constexpr forms::Color Black = 0x000000;
constexpr forms::Color SystemWindowColour = 0x80000005;

media::MediaPlayer& MainPlayer() { return MainWindow().Player(0); }

// A playlist button that no running playlist plays yet is started by the
// click dispatcher, as a plain click on it.
bool StartsByClick() {
    return !Zpm.bPlaylistOn && MainWindow().HasButton(Zpm.iCurBtn) && IsPlaylistButton(Zpm.iCurBtn);
}

// The start of a window of this length, moved the least distance that
// puts the window inside the area; a window longer than the area keeps its
// start inside.
float KeptInside(float start, float length, int areaStart, int areaLength) {
    return std::max(static_cast<float>(areaStart), std::min(start, static_cast<float>(areaStart + areaLength) - length));
}

}  // namespace

// Never destroyed, like the main window: Qt's globals are gone before a
// static's destructor would run.
Form2& Form2::instance() {
    static Form2* window = new Form2;
    return *window;
}

Form2::Form2() { design(); }

void Form2::design() {
    setClientSize(295, 337);
    setCaption("Form2");
    setKeyPreview(true);

    imgListe.Move(0, 0, backgroundWidth, backgroundHeight);
    imgListe.setStretch(true);
    imgListe.setPicture(gdi::loadPicture(platform::assetPath("skins/sound_list.bmp")));
    imgListe.onMouseDown = [this](const forms::MouseEvent&) { DragWindow(hWnd()); };

    LstSounds.Move(13.33f, 48, 270, 275);
    LstSounds.setBackColor(Black);
    LstSounds.setForeColor(SystemWindowColour);
    // A face whose capital accents stay within its ascent: the rows are as
    // high as the font, and "Übung" must not lose its dots.
    LstSounds.setFontName("Tahoma");
    LstSounds.setFontSize(8.25f);
    LstSounds.onMouseDown = [this](const forms::MouseEvent& event) { LstSounds_MouseDown(event); };
    LstSounds.onDblClick = [this] { LstSounds_DblClick(); };

    lblMove.Move(56, 8, 201, 17);
    lblMove.onMouseDown = [this](const forms::MouseEvent&) { DragWindow(hWnd()); };
    lblStop.Move(16, 8, 12, 12);
    lblStop.onClick = [this] { lblStop_Click(); };
    lblFade.Move(32, 8, 12, 12);
    lblFade.onClick = [this] { lblFade_Click(); };
    LblClose.Move(272, 8, 12, 12);
    LblClose.onClick = [this] { LblClose_Click(); };
    for (forms::Label* spot : {&lblMove, &lblStop, &lblFade, &LblClose}) spot->setBackStyle(forms::vbTransparent);

    Timer1.setEnabled(false);
    Timer1.setInterval(FadeInterval);
    Timer1.onTimer = [this] { Timer1_Timer(); };
}

void Form2::Close() {
    Hide();
    Unload();
}

// --- load: place and fill ---

void Form2::Form_Load() {
    ++m_loadCount;
    place();
    if (Zpm.bPlayerOk) fill();
}

// Under the machine, or above it; a list that would still reach past the
// part of the screen windows may cover is moved the least distance into it,
// so that its keys are in reach.
void Form2::place() {
    placeByMachine();
    const forms::ScreenArea area = forms::AvailableArea(frmTest::instance());
    Move(KeptInside(Left(), Width(), area.left, area.width), KeptInside(Top(), Height(), area.top, area.height));
}

// Under the open skin of the machine's size class, centred, in twips. The
// ratio of outer twips to inner pixels is read afresh for each size.
void Form2::placeByMachine() {
    const frmTest& main = frmTest::instance();
    const auto ratio = [this] { return Width() / ScaleWidth(); };
    setWidth(ratio() * imgListe.Width());
    setHeight(ratio() * imgListe.Height());
    setTop(main.Top() + ratio() * static_cast<float>(Zpm.lWinH));
    setLeft(main.Left() + ratio() * (static_cast<float>(Zpm.lWinW) / 2) - Width() / 2);

    if (Left() <= 0) setLeft(10);
    if (Top() + 500 + Height() > static_cast<float>(forms::ScreenHeight())) setTop(main.Top() - Height());
    if (Left() + Width() <= static_cast<float>(forms::ScreenWidth())) return;
    switch (Zpm.iMaschineMode) {
        case 1: setLeft(main.Left() + 100); break;
        // The main window keeps its full design width in every mode.
        case 3: setLeft((main.Left() + 100) - (main.Width() - Width())); break;
        default: setLeft(static_cast<float>(forms::ScreenWidth()) - Width() - 100); break;
    }
}

// One row per playlist entry while a playlist runs, else one per button;
// an empty button's row is empty.
void Form2::fill() {
    LstSounds.Clear();
    if (Zpm.bPlaylistOn) {
        const auto last = static_cast<std::int32_t>(Zpm.aPlaylist.size()) - 1;
        for (Zpm.lListIdx = 1; Zpm.lListIdx <= last; ++Zpm.lListIdx)
            LstSounds.AddItem(SoundDisplayName(Zpm.aPlaylist[static_cast<std::size_t>(Zpm.lListIdx)]), Zpm.lListIdx - 1);
        return;
    }
    const std::int32_t count = Zpm.colSnds.Count();
    for (Zpm.lListIdx = 1; Zpm.lListIdx <= count; ++Zpm.lListIdx) {
        const std::string key = ButtonKey(Zpm.lListIdx);
        const std::string name = Zpm.colSnds.Contains(key) ? SoundDisplayName(Zpm.colSnds.Item(key)) : std::string();
        LstSounds.AddItem(platform::text::equalNoCase(name, EmptyName) ? std::string() : name, Zpm.lListIdx - 1);
    }
}

// --- keys, closing, the hot spots ---

void Form2::Form_KeyPress(int& KeyAscii) {
    if (KeyAscii == KeyEscape) LblClose_Click();
}

void Form2::LblClose_Click() {
    Close();
    Zpm.bSndListOpen = false;
}

// A paused player stays paused, and its playlist stays on.
void Form2::lblStop_Click() {
    media::MediaPlayer& player = MainPlayer();
    if (player.PlayState() != media::kPlaying) return;
    SilenceAndStop(player);
    Zpm.bPlaylistOn = false;
}

void Form2::lblFade_Click() { Timer1.setEnabled(true); }

// Unlike the main window's fade it keeps no button and leaves a running
// playlist on: the status tick goes on with the next entry.
void Form2::Timer1_Timer() {
    media::MediaPlayer& player = MainPlayer();
    if (player.PlayState() != media::kPlaying) {
        Timer1.setEnabled(false);
        return;
    }
    const long volume = NextFadeLevel(player.Volume());
    player.setVolume(volume);
    if (volume > FadeEnd) return;
    player.Stop();
    player.setVolume(NormalLevel);
    Timer1.setEnabled(false);
}

// --- the rows ---

void Form2::LstSounds_MouseDown(const forms::MouseEvent& event) {
    iMouseCode = static_cast<std::int16_t>(event.Button * 10 + event.Shift);
}

// Only a playing player is stopped: silenced at once, or faded out first
// after Alt with the left button. The fade's wait ends with the fade, or
// when this window is closed meanwhile; nothing of the window is touched
// after it. False when the panic key was pressed, or the program closed,
// during the wait: nothing may start then.
bool Form2::stopWhatPlays() {
    media::MediaPlayer& player = MainPlayer();
    if (player.PlayState() != media::kPlaying) return true;
    if (iMouseCode == FadeOutCode) {
        Timer1.setEnabled(true);
        const unsigned load = m_loadCount;
        if (!WaitBeforeStart([this, load] { return !Timer1.Enabled() || !Loaded() || m_loadCount != load; }))
            return false;
    } else {
        player.setVolume(media::kSilence);
    }
    player.Stop();
    player.setVolume(NormalLevel);
    return true;
}

// Plays the chosen row: the playlist's entry while a playlist runs, else
// the button's sound. Without a selected row, or for a row beyond what it
// stands for, nothing happens.
void Form2::LstSounds_DblClick() {
    if (!Zpm.bPlayerOk) return;
    const int row = LstSounds.ListIndex();
    if (row < 0) return;
    std::string path;
    if (Zpm.bPlaylistOn) {
        const std::optional<std::string> entry = PlaylistEntry(row + 1);
        if (!entry) return;
        Zpm.iPlIdx = row + 1;
        path = Zpm.aPlaylist.front() + *entry;
        Zpm.sNowTitle = LstSounds.List(row);
    } else {
        const std::string key = ButtonKey(row + 1);
        if (!Zpm.colSnds.Contains(key)) return;
        // Only the large open machine shows the chosen button.
        if (Zpm.iMaschineMode == 1) {
            ShowPicture(Zpm.iCurBtn, ButtonPicture::Ready);
            Zpm.iCurBtn = static_cast<std::int16_t>(row + 1);
            ShowPicture(Zpm.iCurBtn, ButtonPicture::OnAir);
        }
        path = Zpm.colSnds.Item(key);
    }
    if (!stopWhatPlays()) return;
    // The main window closed during the fade: the program is ending.
    if (!frmTest::instance().Loaded()) return;
    if (StartsByClick()) {
        std::int16_t button = 0;
        std::int16_t shift = 0;
        ButtonAction(Zpm.iCurBtn, button, shift);
        return;
    }
    media::MediaPlayer& player = MainPlayer();
    player.setFileName(path);
    player.Play();
}
