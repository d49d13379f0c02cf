// The main window's title bar: close, help, minimise, fold, size, the two
// always-on-top switches, the sound-list spot, and moving the window by its
// skin.
#include <array>

#include "ModZPM.h"
#include "frmTest.h"
#include "window_drag.h"

namespace {

constexpr forms::Color White = 0xFFFFFF;
constexpr forms::Color Magenta = 0xFF00FF;

// Where the lit LED is laid over the unlit one painted on the skins.
constexpr float LedLeft = 46;
constexpr float LedTop = 6;

// The next machine mode by the current one (1 to 4); the size switch keeps
// the fold and the fold key keeps the size.
using ModeTable = std::array<std::int16_t, 4>;
constexpr ModeTable SizeSwitched{3, 4, 1, 2};
constexpr ModeTable FoldSwitched{2, 1, 4, 3};

std::int16_t NextMode(std::int16_t mode, const ModeTable& table) {
    if (mode < 1 || mode > 4) return mode;
    return table[static_cast<std::size_t>(mode - 1)];
}

// The title display shows only on the large open machine. The mode is
// applied even when it did not change, which closes an open sound list.
void SwitchMode(frmTest& form, const ModeTable& table) {
    form.lblTitel.setVisible(false);
    Zpm.iMaschineMode = NextMode(Zpm.iMaschineMode, table);
    if (Zpm.iMaschineMode == 1) form.lblTitel.setVisible(true);
    form.set_maschine();
}

}  // namespace

void frmTest::wireTitleBar() {
    LblOnTop.onClick = [this] { LblOnTop_Click(); };
    lblTime.onMouseDown = [this](const forms::MouseEvent& event) { lblTime_MouseDown(event); };
    LblSmallwin.onClick = [this] { LblSmallwin_Click(); };
    Lblup.onClick = [this] { Lblup_Click(); };
    LblMin.onClick = [this] { LblMin_Click(); };
    LblClose.onClick = [this] { LblClose_Click(); };
    LblHelp.onClick = [this] { LblHelp_Click(); };
    lblSndLst.onClick = [this] { lblSndLst_Click(); };
}

// Flips one of the two on-top switches and asks the window system to
// follow it; gives the switch's new state.
bool frmTest::flipOnTop(bool& on) {
    on = !on;
    SetTopMost(on ? 1 : 0, hWnd());
    return on;
}

// The LED follows the switch, whether or not the window system agreed.
void frmTest::LblOnTop_Click() {
    if (flipOnTop(onTop.bOnTop)) PicLed.Move(LedLeft, LedTop, PicLed.Width(), PicLed.Height());
    PicLed.setVisible(onTop.bOnTop);
}

// The right button alone, whatever keys are held; the text's colour shows
// the switch.
void frmTest::lblTime_MouseDown(const forms::MouseEvent& event) {
    if (event.Button != forms::vbRightButton) return;
    lblTime.setForeColor(flipOnTop(onTop.bTimeOnTop) ? Magenta : White);
}

void frmTest::LblSmallwin_Click() { SwitchMode(*this, SizeSwitched); }

void frmTest::Lblup_Click() {
    SwitchMode(*this, FoldSwitched);
    cmdfokus.SetFocus();
}

// The outline comes back with the mode when the window is restored.
void frmTest::LblMin_Click() {
    m_cRegion.Applied(hWnd(), false);
    setWindowState(forms::vbMinimized);
    setCaption(DateTimeText());
}

void frmTest::LblClose_Click() { Unload(); }

void frmTest::LblHelp_Click() {
    if (links.showHelpWindow) links.showHelpWindow();
}

// Showing an open list again keeps its rows.
void frmTest::lblSndLst_Click() {
    ShowSoundList();
    Zpm.bSndListOpen = true;
}

void frmTest::Form_MouseDown(const forms::MouseEvent&) { DragWindow(hWnd()); }
