// The main window as the program module sees it: its buttons, displays and
// players.
#include "frmTest.h"

#include <stdexcept>

#include "ModZPM.h"

// Never destroyed: the window lives until the process ends, and Qt's own
// globals are gone before a static's destructor would run.
frmTest& frmTest::instance() {
    static frmTest* window = new frmTest;
    return *window;
}

frmTest::frmTest() {
    m_wmp[0].emplace();
    design();
    SetMainWindow(this);
}

media::MediaPlayer& frmTest::wmp(int Index) {
    if (Index < 0 || Index >= static_cast<int>(m_wmp.size()) || !m_wmp[static_cast<std::size_t>(Index)])
        throw std::out_of_range("no player with index " + std::to_string(Index));
    return *m_wmp[static_cast<std::size_t>(Index)];
}

const forms::Image& frmTest::stateImage(ButtonPicture picture) const {
    switch (picture) {
        case ButtonPicture::Empty: return ImgEmpty;
        case ButtonPicture::Ready: return ImgReady;
        case ButtonPicture::OnAir: return ImgOnAir;
        case ButtonPicture::ListOnAir: return ImgListOnAir;
        case ButtonPicture::Error: return ImgError;
        case ButtonPicture::TalkOver: return ImgTalkOver;
    }
    return ImgEmpty;
}

bool frmTest::HasButton(int index) const { return Image1.exists(index); }
std::string frmTest::ButtonToolTip(int index) const { return Image1[index].ToolTipText(); }
void frmTest::SetButtonToolTip(int index, std::string_view text) { Image1[index].setToolTipText(text); }
std::string frmTest::ButtonTag(int index) const { return Image1[index].Tag(); }
void frmTest::SetButtonTag(int index, std::string_view tag) { Image1[index].setTag(tag); }
void frmTest::ShowButton(int index, ButtonPicture picture) {
    forms::Image& button = Image1[index];
    const gdi::Picture& source = stateImage(picture).Picture();
    ShownPicture& shown = m_shown[index];
    if (shown.fromTemplate == source.handle() && shown.onButton == button.Picture().handle()) return;
    button.setPicture(source);
    shown = {source.handle(), button.Picture().handle()};
}
void frmTest::RefreshButton(int index) { Image1[index].Refresh(); }

void frmTest::SetTitleText(std::string_view text) {
    if (lblTitel.Caption() != text) lblTitel.setCaption(text);
}
void frmTest::SetTitleCentred(bool centred) {
    lblTitel.setAlignment(centred ? forms::vbCenter : forms::vbLeftJustify);
}
void frmTest::ShowLoading() {
    lblTitel.setCaption("Loading...");
    lblTitel.Refresh();
}
std::string frmTest::TimeText() const { return lblTime.Caption(); }
void frmTest::SetTimeText(std::string_view text) {
    if (lblTime.Caption() != text) lblTime.setCaption(text);
}
void frmTest::SetCaption(std::string_view text) { setCaption(text); }
bool frmTest::Minimised() const { return WindowState() == forms::vbMinimized; }
std::string frmTest::FadeTag() const { return Timer2.Tag(); }
void frmTest::SetFadeTag(std::string_view tag) { Timer2.setTag(tag); }
void frmTest::SetFadeEnabled(bool enabled) { Timer2.setEnabled(enabled); }
media::MediaPlayer& frmTest::Player(int index) { return wmp(index); }

void frmTest::UnloadSoundList() {
    if (links.unloadSoundList) links.unloadSoundList();
}
void frmTest::ShowSoundList() {
    if (links.showSoundList) links.showSoundList();
}
