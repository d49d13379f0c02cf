// The main window's elements, the layouts of the large and the small
// machine, the four machine modes with their outlines, and the element dump.
#include <array>
#include <cstdlib>

#include "ModZPM.h"
#include "asset_dir.h"
#include "files.h"
#include "frmTest.h"

namespace {

constexpr forms::Color White = 0xFFFFFF;
constexpr forms::Color Navy = 0x800000;  // blue 128

struct Place {
    float left, top, width, height;
};

}  // namespace

// What differs between the large and the small machine, open or folded.
struct MachineLayout {
    std::optional<Place> time;  // the time display; hidden on the small machine
    int helpLeft, minLeft, upLeft, closeLeft;
    int soundListLeft, soundListTop;  // the sound-list hot spot on the skin's foot
    std::string_view sizeSwitchTip;   // names the machine a click switches to
    forms::PictureBox frmTest::*panel;  // the panel shown; the other is hidden
    forms::PictureBox frmTest::*otherPanel;
    Place panelPlace;
    forms::PictureBox frmTest::*openSkin;
};

namespace {

const MachineLayout LargeMachine{
    Place{88, 7, 141, 21}, 253, 265, 276, 288, 68, 138, R"(Zeige "Klein Maschin")",
    &frmTest::Picture1, &frmTest::Picture2, Place{13, 34, 285, 95}, &frmTest::picBackground};
const MachineLayout SmallMachine{
    std::nullopt, 70, 81, 94, 104, 56, 96, R"(Zeige "Gross Maschin")",
    &frmTest::Picture2, &frmTest::Picture1, Place{13, 34, 95, 57}, &frmTest::picBackgroundSmal};

void PlaceTitleBarKeys(frmTest& form, const MachineLayout& layout) {
    form.lblSndLst.setTop(static_cast<float>(layout.soundListTop));
    form.lblSndLst.setLeft(static_cast<float>(layout.soundListLeft));
    form.LblHelp.setLeft(static_cast<float>(layout.helpLeft));
    form.LblMin.setLeft(static_cast<float>(layout.minLeft));
    form.Lblup.setLeft(static_cast<float>(layout.upLeft));
    form.LblClose.setLeft(static_cast<float>(layout.closeLeft));
    form.LblSmallwin.setToolTipText(layout.sizeSwitchTip);
}

}  // namespace

void frmTest::design() {
    m_shown.clear();
    setClientSize(designWidth, designHeight);
    setKeyPreview(true);
    placeTitleBar();
    Picture1.Move(13, 34, 15 * buttonSize, 5 * buttonSize);
    Picture2.Move(13, 34, 5 * buttonSize, 3 * buttonSize);
    Picture2.setVisible(false);
    placeButtons(Picture1, 1, 15, 5);
    placeButtons(Picture2, 101, 5, 3);
    placeSkins();
    // Outside every skin's outline, like the templates and icons.
    cmdfokus.Move(440, 40, 9, 17);
    placeTemplates();
    Timer1.setInterval(1000);
    Timer1.onTimer = [this] { Timer1_Timer(); };
    Timer2.setEnabled(false);
    Timer2.setInterval(FadeInterval);
    Timer2.setTag(FadeIdleTag);
    Timer2.onTimer = [this] { Timer2_Timer(); };
    wireTitleBar();
}

// Design places on the fifteen-steps-per-pixel grid come out as whole pixels.
void frmTest::placeTitleBar() {
    LblOnTop.Move(9.33f, 8, 33, 10);
    LblOnTop.setToolTipText("StayOnTop on/off");
    PicLed.Move(46, 8, 11, 14);
    PicLed.setPicture(gdi::loadPicture(platform::assetPath("led.bmp")));
    PicLed.setVisible(false);
    LblSmallwin.Move(58.67f, 6.67f, 6.67f, 13.33f);

    // Its design place lies outside every outline; the large layout moves it in.
    lblTime.Move(328, 96, 141, 13);
    lblTime.setToolTipText("Time/Duration Display");
    lblTime.setForeColor(White);
    lblTime.setAlignment(forms::vbCenter);
    lblTime.setFontName("Tahoma");
    lblTime.setFontSize(6.75f);

    lblTitel.Move(16, 25.33f, 277, 9.33f);
    lblTitel.setToolTipText("TitelDisplay");
    lblTitel.setForeColor(Navy);
    lblTitel.setAlignment(forms::vbCenter);
    lblTitel.setFontName("Tahoma");
    lblTitel.setFontSize(6);
    lblTitel.setFontBold(true);

    const std::array<std::pair<forms::Label*, std::string_view>, 4> keys{
        {{&LblHelp, "Help"}, {&LblMin, "Minimize"}, {&Lblup, "Foldup"}, {&LblClose, "Exit"}}};
    for (auto& [key, tip] : keys) {
        key->Move(0, 6.67f, 11, 11);
        key->setToolTipText(tip);
    }
    lblSndLst.Move(0, 0, 9, 9);
    lblSndLst.setToolTipText("Click to show List");
    PlaceTitleBarKeys(*this, LargeMachine);
}

void frmTest::placeButtons(forms::PictureBox& panel, int firstIndex, int columns, int rows) {
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const int index = firstIndex + row * columns + column;
            forms::Image& button = Image1.Load(index, panel);
            button.Move(column * buttonSize, row * buttonSize, buttonSize, buttonSize);
            button.onMouseDown = [this, index](const forms::MouseEvent& e) { Image1_MouseDown(index, e); };
            button.onMouseUp = [this, index](const forms::MouseEvent& e) { Image1_MouseUp(index, e); };
            button.onDragDrop = [this, index](const forms::DataObject& data, const forms::MouseEvent& e) {
                Image1_OLEDragDrop(index, data, e);
            };
        }
    }
}

// Each holder is the size of its skin; none is ever shown.
void frmTest::placeSkins() {
    struct Skin {
        forms::PictureBox* holder;
        const char* file;
        int width, height;
    };
    const std::array<Skin, 4> skins{{
        {&picBackground, "skins/large_open.bmp", 306, 151},
        {&picBgClosed, "skins/large_folded.bmp", 306, 25},
        {&picBackgroundSmal, "skins/small_open.bmp", 123, 109},
        {&picClosedSmal, "skins/small_folded.bmp", 123, 25},
    }};
    for (const Skin& skin : skins) {
        skin.holder->setVisible(false);
        skin.holder->Move(0, 160, static_cast<float>(skin.width), static_cast<float>(skin.height));
        skin.holder->setPicture(gdi::loadPicture(platform::assetPath(skin.file)));
    }
}

// The templates and icons lie right of and below every skin's outline, so
// they are never seen while the window is shaped.
void frmTest::placeTemplates() {
    const std::array<std::pair<forms::Image*, const char*>, 6> templates{{
        {&ImgEmpty, "states/ImgEmpty.bmp"},
        {&ImgReady, "states/ImgReady.bmp"},
        {&ImgOnAir, "states/ImgOnAir.bmp"},
        {&ImgListOnAir, "states/ImgListOnAir.bmp"},
        {&ImgError, "states/ImgError.bmp"},
        {&ImgTalkOver, "states/ImgTalkOver.bmp"},
    }};
    int left = 320;
    for (auto& [image, file] : templates) {
        image->Move(left, 200, buttonSize, buttonSize);
        image->setPicture(gdi::loadPicture(platform::assetPath(file)));
        left += buttonSize + 4;
    }
    zpmpic.Move(320, 240, 32, 32);
    zpmpic.setPicture(gdi::loadPicture(platform::assetPath("icons/zpmpic.bmp")));
    wrdpic.Move(360, 240, 32, 32);
    wrdpic.setPicture(gdi::loadPicture(platform::assetPath("icons/wrdpic.bmp")));
}

// --- machine modes ---

void frmTest::set_maschine() {
    switch (Zpm.iMaschineMode) {
        case 1:
            create_largeWindow();
            reset2default();
            break;
        case 2:
            create_largeClosedWindow();
            reset2default();
            break;
        case 3:
            create_smallWindow();
            reset2small();
            break;
        case 4:
            create_smallClosedWindow();
            reset2small();
            break;
        default:
            break;
    }
    closeSoundList();
}

void frmTest::closeSoundList() {
    if (!Zpm.bSndListOpen) return;
    UnloadSoundList();
    Zpm.bSndListOpen = false;
}

void frmTest::create_largeWindow() { shapeWindow(1, picBackground, picBackground); }
void frmTest::create_largeClosedWindow() { shapeWindow(2, picBgClosed, picBackground); }
void frmTest::create_smallClosedWindow() { shapeWindow(4, picClosedSmal, picBackgroundSmal); }

void frmTest::create_smallWindow() {
    Picture1.setVisible(false);
    Picture2.setVisible(false);
    shapeWindow(3, picBackgroundSmal, picBackgroundSmal);
    Picture2.setVisible(true);
}

// The sound-list window places itself by the open machine's size.
void frmTest::takeOpenSkinSize(const forms::PictureBox& holder) {
    Zpm.lWinW = static_cast<std::int32_t>(holder.Width());
    Zpm.lWinH = static_cast<std::int32_t>(holder.Height());
}

// Cuts the window to the skin's outline and shows the skin. A folded skin's
// holder takes its open skin's size, so lWinW and lWinH always give the
// open machine's size.
void frmTest::shapeWindow(std::int16_t mode, forms::PictureBox& skin, const forms::PictureBox& openSkin) {
    // The large open machine needs no removal: a new outline replaces the old.
    if (mode != 1) m_cRegion.Applied(hWnd(), false);
    if (&skin != &openSkin) {
        skin.setWidth(openSkin.Width());
        skin.setHeight(openSkin.Height());
    }
    cDIBSection bitmap;
    bitmap.CreateFromPicture(skin.Picture());
    if (bitmap.Width() > 0 && bitmap.Height() > 0 && bitmap.DIBSectionBitsPtr()) {
        m_cRegion.Create(bitmap, 0);
        m_cRegion.Applied(hWnd(), true);
    } else {
        // A skin that did not load would cut the window down to nothing.
        m_cRegion.Applied(hWnd(), false);
    }
    setPicture(skin.Picture());
    Zpm.iMaschineMode = mode;
    takeOpenSkinSize(skin);
}

void frmTest::reset2default() { applyLayout(LargeMachine); }
void frmTest::reset2small() { applyLayout(SmallMachine); }

void frmTest::applyLayout(const MachineLayout& layout) {
    if (layout.time) lblTime.Move(layout.time->left, layout.time->top, layout.time->width, layout.time->height);
    lblTime.setVisible(layout.time.has_value());
    PlaceTitleBarKeys(*this, layout);
    (this->*layout.otherPanel).setVisible(false);
    forms::PictureBox& panel = this->*layout.panel;
    panel.Move(layout.panelPlace.left, layout.panelPlace.top, layout.panelPlace.width, layout.panelPlace.height);
    panel.setVisible(true);
    takeOpenSkinSize(this->*layout.openSkin);
}

void frmTest::setTransparancy() {
    for (forms::Label* label :
         {&lblTime, &lblTitel, &lblSndLst, &Lblup, &LblSmallwin, &LblOnTop, &LblMin, &LblHelp, &LblClose})
        label->setBackStyle(forms::vbTransparent);
}

// --- the element dump ---

std::string frmTest::elementName(const forms::Control& control) {
    const std::array<std::pair<const forms::Control*, std::string_view>, 27> named{{
        {&LblOnTop, "LblOnTop"},
        {&PicLed, "PicLed"},
        {&LblSmallwin, "LblSmallwin"},
        {&lblTime, "lblTime"},
        {&lblTitel, "lblTitel"},
        {&LblHelp, "LblHelp"},
        {&LblMin, "LblMin"},
        {&Lblup, "Lblup"},
        {&LblClose, "LblClose"},
        {&lblSndLst, "lblSndLst"},
        {&Picture1, "Picture1"},
        {&Picture2, "Picture2"},
        {&picBackground, "picBackground"},
        {&picBgClosed, "picBgClosed"},
        {&picBackgroundSmal, "picBackgroundSmal"},
        {&picClosedSmal, "picClosedSmal"},
        {&cmdfokus, "cmdfokus"},
        {&ImgEmpty, "ImgEmpty"},
        {&ImgReady, "ImgReady"},
        {&ImgOnAir, "ImgOnAir"},
        {&ImgListOnAir, "ImgListOnAir"},
        {&ImgError, "ImgError"},
        {&ImgTalkOver, "ImgTalkOver"},
        {&zpmpic, "zpmpic"},
        {&wrdpic, "wrdpic"},
        {&Timer1, "Timer1"},
        {&Timer2, "Timer2"},
    }};
    for (const auto& [element, name] : named)
        if (element == &control) return std::string(name);
    return "Image1";  // every other element is a sound button
}

// One record per element: name, top, left, height and width, each followed
// by ";", the width by "|" and a line break; an element without a size (a
// timer) ends after its left. Another line break follows every record.
void frmTest::printobjects() {
    std::string text;
    for (const forms::Control* control : Controls()) {
        text += "Name=" + elementName(*control) + ";Top=" + NumberText(control->Top()) +
                ";Left=" + NumberText(control->Left()) + ";";
        if (!dynamic_cast<const forms::Timer*>(control))
            text += "Height=" + NumberText(control->Height()) + ";Width=" + NumberText(control->Width()) + "|\r\n";
        text += "\r\n";
    }
    const char* home = std::getenv("HOME");
    platform::files::replaceFile(std::string(home ? home : "") + "/formdata.txt", text);
}
