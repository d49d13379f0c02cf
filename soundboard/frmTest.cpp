#include "frmTest.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

#include "ModZPM.h"
#include "ascii_text.h"
#include "asset_dir.h"
#include "mdINIBas.h"

namespace {

constexpr std::string_view NormalCaption = "Zirpomat";
constexpr int KeyEscape = 27;
constexpr long NormalLevel = -600;

constexpr forms::Color White = 0xFFFFFF;
constexpr forms::Color Navy = 0x800000;  // blue 128

// Width and height of the small open skin, added to the window's place in
// twips as they are: the margins at the bottom and right edges.
constexpr float SmallSkinWidth = 123;
constexpr float SmallSkinHeight = 109;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The number at the start of a text, "." as decimal point, blanks before it
// skipped; 0 when the text starts with none. Nothing when the number does
// not fit a double.
std::optional<double> LeadingNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '+' || negative)) text.remove_prefix(1);
    // Only digits start a number: "inf" and "nan" are no numbers here.
    const bool digitFirst = !text.empty() && (std::isdigit(static_cast<unsigned char>(text.front())) ||
                                              (text.size() > 1 && text[0] == '.' &&
                                               std::isdigit(static_cast<unsigned char>(text[1]))));
    if (!digitFirst) return 0.0;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return std::nullopt;
    if (error != std::errc()) return 0.0;
    return negative ? -value : value;
}

// A saved position in twips; a value a single-precision number cannot hold
// gives the default.
float PositionValue(std::string_view text) {
    constexpr float fallback = 10;
    const std::optional<double> value = LeadingNumber(text);
    if (!value || std::fabs(*value) > std::numeric_limits<float>::max()) return fallback;
    return static_cast<float>(*value);
}

// The saved machine mode: the nearest whole number, a half to the even
// neighbour; 0 and values beyond 16 bits give mode 1.
std::int16_t ModeValue(std::string_view text) {
    constexpr std::int16_t fallback = 1;
    const std::optional<double> value = LeadingNumber(text);
    if (!value) return fallback;
    const double rounded = std::nearbyint(*value);
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() && rounded <= std::numeric_limits<std::int16_t>::max()))
        return fallback;
    const auto mode = static_cast<std::int16_t>(rounded);
    return mode == 0 ? fallback : mode;
}

std::string NumberText(float value) {
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return error == std::errc() ? std::string(buffer.data(), end) : std::string("0");
}

// The window's place as saved at close: "100" where the window's corner
// lies at or beyond the screen's top or left edge, or within the margin
// of the bottom or right edge.
std::string SavedPlace(float twips, float margin, int screenTwips) {
    if (twips <= 0 || twips + margin > static_cast<float>(screenTwips)) return "100";
    return NumberText(twips);
}

std::string LocalTimeText(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 64> buffer{};
    const std::size_t length = std::strftime(buffer.data(), buffer.size(), format, &local);
    return std::string(buffer.data(), length);
}

// The date and the time as the system's regional settings write them.
std::string DateTimeText() { return LocalTimeText("%x") + " - " + LocalTimeText("%X"); }

bool German() { return sLang == "de"; }

// The title-bar keys that move with the machine's size, and the sound-list
// hot spot on the skin's foot.
struct TitleBarPlaces {
    int helpLeft, minLeft, upLeft, closeLeft;
    int soundListLeft, soundListTop;
    std::string_view sizeSwitchTip;  // names the machine a click switches to
};

constexpr TitleBarPlaces LargeTitleBar{253, 265, 276, 288, 68, 138, R"(Zeige "Klein Maschin")"};
constexpr TitleBarPlaces SmallTitleBar{70, 81, 94, 104, 56, 96, R"(Zeige "Gross Maschin")"};

void PlaceTitleBarKeys(frmTest& form, const TitleBarPlaces& places) {
    form.lblSndLst.setTop(static_cast<float>(places.soundListTop));
    form.lblSndLst.setLeft(static_cast<float>(places.soundListLeft));
    form.LblHelp.setLeft(static_cast<float>(places.helpLeft));
    form.LblMin.setLeft(static_cast<float>(places.minLeft));
    form.Lblup.setLeft(static_cast<float>(places.upLeft));
    form.LblClose.setLeft(static_cast<float>(places.closeLeft));
    form.LblSmallwin.setToolTipText(places.sizeSwitchTip);
}

}  // namespace

// Never destroyed: the window lives until the process ends, and Qt's own
// globals are gone before a static's destructor would run.
frmTest& frmTest::instance() {
    static frmTest* window = new frmTest;
    return *window;
}

frmTest::frmTest() {
    m_wmp[0].emplace();
    design();
}

media::MediaPlayer& frmTest::wmp(int Index) {
    if (Index < 0 || Index >= static_cast<int>(m_wmp.size()) || !m_wmp[static_cast<std::size_t>(Index)])
        throw std::out_of_range("no player with index " + std::to_string(Index));
    return *m_wmp[static_cast<std::size_t>(Index)];
}

void frmTest::design() {
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
    placeFadeTimer();
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
    PlaceTitleBarKeys(*this, LargeTitleBar);
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
    switch (iMaschineMode) {
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
    if (!bSndListOpen) return;
    if (unloadSoundList) unloadSoundList();
    bSndListOpen = false;
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

namespace {

// The sound-list window places itself by the open machine's size.
void TakeOpenSkinSize(const forms::PictureBox& holder) {
    lWinW = static_cast<std::int32_t>(holder.Width());
    lWinH = static_cast<std::int32_t>(holder.Height());
}

}  // namespace

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
    iMaschineMode = mode;
    TakeOpenSkinSize(skin);
}

void frmTest::reset2default() {
    lblTime.Move(88, 7, 141, 21);
    lblTime.setVisible(true);
    PlaceTitleBarKeys(*this, LargeTitleBar);
    Picture2.setVisible(false);
    Picture1.Move(13, 34, 285, 95);
    Picture1.setVisible(true);
    TakeOpenSkinSize(picBackground);
}

void frmTest::reset2small() {
    lblTime.setVisible(false);
    PlaceTitleBarKeys(*this, SmallTitleBar);
    Picture1.setVisible(false);
    Picture2.Move(13, 34, 95, 57);
    Picture2.setVisible(true);
    TakeOpenSkinSize(picBackgroundSmal);
}

void frmTest::setTransparancy() {
    for (forms::Label* label :
         {&lblTime, &lblTitel, &lblSndLst, &Lblup, &LblSmallwin, &LblOnTop, &LblMin, &LblHelp, &LblClose})
        label->setBackStyle(forms::vbTransparent);
}

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
    std::ofstream out(environment("HOME") + "/formdata.txt", std::ios::binary | std::ios::trunc);
    if (!out) return;
    for (const forms::Control* control : Controls()) {
        out << "Name=" << elementName(*control) << ";Top=" << NumberText(control->Top())
            << ";Left=" << NumberText(control->Left()) << ";";
        if (!dynamic_cast<const forms::Timer*>(control))
            out << "Height=" << NumberText(control->Height()) << ";Width=" << NumberText(control->Width())
                << "|\r\n";
        out << "\r\n";
    }
}

// --- life cycle ---

void frmTest::Form_Load() {
    bTalkOver = false;
    bPlaylistOn = false;
    sLang = environment("LANG");
    if (sLang.empty()) sLang = "de";

    // Always laid out and shaped as the large open machine here; the saved
    // mode takes effect when the first showing raises Form_Resize.
    setTransparancy();
    reset2default();
    create_largeWindow();
    ZOrder();

    colSnds = platform::Collection();
    bPlayerOk = wmp(0).Available();
    LoadSettings();
    restoreWindowPlace();
    iMaschineMode = ModeValue(mdINIBas::GetIniValue("ppos", "mp", "1", INI_Name));

    m_wmp[1].emplace();
    setIcon(zpmpic.Picture());
    setCaption(NormalCaption);
    lblTime.setCaption(DateTimeText());
    Show();

    if (mdINIBas::GetIniValue("inifilepath", "inideb", "NIL", INI_Name) == "1" || CommandLine == "/D")
        showStartupPaths();
}

void frmTest::restoreWindowPlace() {
    const std::string yp = mdINIBas::GetIniValue("ppos", "yp", "10", INI_Name);
    const std::string xp = mdINIBas::GetIniValue("ppos", "xp", "10", INI_Name);
    setTop(PositionValue(yp));
    setLeft(PositionValue(xp));
}

void frmTest::showStartupPaths() {
    const std::string text = "SystemDir = " + environment("windir") + "\r\n" +
                             "ApplDataDir (EnvLocal) = " + environment("LOCALAPPDATA") + "\r\n" +
                             "ApplDataDir (EnvUser) = " + environment("APPDATA") + "\r\n" +
                             "ApplDataDir (PGM) = " + ApplDataDir + "\r\n" +
                             "INI_Name = " + ApplDataDir + "/zpm.ini\r\n" +
                             "SystemSound = " + ApplDataDir + "/eep.wav\r\n";
    forms::MsgBox(text, forms::vbInformation | forms::vbOKOnly, "INFO");
}

void frmTest::Form_Resize() {
    if (WindowState() != forms::vbNormal) return;
    if (bPanic) {
        Hide();
        const int answer = forms::MsgBox(German() ? "Programm beenden?" : "Exit Program?", forms::vbYesNo,
                                         German() ? "Rechner" : "Calculator");
        // Ends at once: nothing is saved, no unload handling runs.
        if (answer == forms::vbYes) forms::End();
        bPanic = false;
        Show();
    }
    setIcon(zpmpic.Picture());
    setCaption(NormalCaption);
    set_maschine();
}

// Esc silences the main player and disguises the window as a calculator.
void frmTest::Form_KeyPress(int& KeyAscii) {
    if (KeyAscii != KeyEscape) return;
    setIcon(wrdpic.Picture());
    setCaption(German() ? "Rechner (Wissenschaftlich)" : "Calc (Scientific)");
    m_cRegion.Applied(hWnd(), false);
    bPanic = true;
    setWindowState(forms::vbMinimized);
    // A running playlist ends too, or the status tick would start its next
    // entry at once.
    bPlaylistOn = false;
    media::MediaPlayer& player = wmp(0);
    player.setVolume(media::kSilence);
    player.Stop();
    player.setVolume(NormalLevel);
}

void frmTest::Form_Unload(int&) {
    const std::string yp = SavedPlace(Top(), SmallSkinHeight, forms::ScreenHeight());
    const std::string xp = SavedPlace(Left(), SmallSkinWidth, forms::ScreenWidth());
    mdINIBas::SetIniValue("ppos", "yp", yp, INI_Name);
    mdINIBas::SetIniValue("ppos", "xp", xp, INI_Name);
    mdINIBas::SetIniValue("ppos", "mp", std::to_string(iMaschineMode), INI_Name);

    for (std::optional<media::MediaPlayer>& player : m_wmp) {
        if (!player) continue;
        player->setVolume(media::kSilence);
        player->Stop();
    }
    SetTopMost(0, hWnd());
    if (unloadHelpWindow) unloadHelpWindow();
    if (bSndListOpen && unloadSoundList) unloadSoundList();
}

// --- sound buttons ---

namespace {

void ShowState(forms::Image& button, const forms::Image& state) { button.setPicture(state.Picture()); }

}  // namespace

void frmTest::Image1_MouseDown(int Index, const forms::MouseEvent& event) {
    auto index = static_cast<std::int16_t>(Index);
    auto button = static_cast<std::int16_t>(event.Button);
    auto shift = static_cast<std::int16_t>(event.Shift);
    ButtonAction(index, button, shift);
}

// The picture a button keeps once the mouse is released over it.
void frmTest::Image1_MouseUp(int Index, const forms::MouseEvent& event) {
    forms::Image& pressed = Image1[Index];
    media::MediaPlayer& player = wmp(0);
    const auto showPlaying = [&] {
        if (!bPlaylistOn) {
            ShowState(pressed, ImgOnAir);
        } else if (Image1.exists(iCurBtn)) {
            ShowState(Image1[iCurBtn], ImgListOnAir);
        }
    };
    if (pressed.ToolTipText() == EmptyName) {
        ShowState(pressed, ImgEmpty);
    } else if (player.PlayState() == media::kPlaying && event.Shift == 0) {
        showPlaying();
    } else if (pressed.Tag() == ErrorMark) {
        ShowState(pressed, ImgError);
    } else if (player.PlayState() != media::kPlaying) {
        ShowState(pressed, ImgReady);
    } else {
        showPlaying();
    }
}

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
void UseSettingsFile(frmTest& form, const std::string& path) {
    media::MediaPlayer& player = form.wmp(0);
    if (player.PlayState() == media::kPlaying) player.Stop();
    mdINIBas::SetIniValue("inifilepath", "path", path, ApplDataDir + "/zpm.ini");
    bPlaylistOn = false;
    LoadSettings();
}

// The list file is written first: when it cannot be, nothing is assigned.
void AssignNewList(int n, const forms::DataObject& Data) {
    std::vector<std::string> paths;
    for (int i = 1; i <= Data.FileCount(); ++i) paths.push_back(Data.File(i));
    const std::optional<std::string> list = WriteNewList(paths);
    if (!list) return;
    const std::string key = ButtonKey(n);
    mdINIBas::SetIniValue("snds", key, PlaylistAssignment(n), INI_Name);
    mdINIBas::SetIniValue("lsts", key, *list, INI_Name);
    AssignButton(n, PlaylistAssignment(n), true);
}

// A ".txt" file is a list of its own; anything else is one sound.
void AssignDroppedFile(int n, const std::string& path) {
    const std::string key = ButtonKey(n);
    std::string assignment = path;
    if (IsListFile(path)) {
        mdINIBas::SetIniValue("lsts", key, path, INI_Name);
        assignment = PlaylistAssignment(n);
    }
    mdINIBas::SetIniValue("snds", key, StoredPath(assignment), INI_Name);
    AssignButton(n, std::move(assignment), true);
}

}  // namespace

void frmTest::Image1_OLEDragDrop(int Index, const forms::DataObject& Data, const forms::MouseEvent&) {
    if (!Data.GetFormat(forms::vbCFFiles)) {
        forms::MsgBox("Falsches Format - Erwarte Dateiname", forms::vbOKOnly, "Fehler");
        return;
    }
    const std::string first = Data.File(1);
    const std::string extension = ExtensionOf(first);
    if (!KnownExtension(extension)) return;
    if (extension == "ini") {
        UseSettingsFile(*this, first);
        return;
    }
    const int n = Index > 100 ? Index - 100 : Index;
    if (Data.FileCount() >= 2) {
        AssignNewList(n, Data);
    } else {
        AssignDroppedFile(n, first);
    }
}

// --- the status tick ---

namespace {

constexpr std::size_t LongTitle = 71;  // from this length on the title scrolls

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Up to count bytes of the text from start on, without the pieces of
// characters cut off at either end.
std::string WholeCharacters(std::string_view text, std::size_t start, std::size_t count) {
    if (start >= text.size()) return {};
    std::size_t end = start + std::min(count, text.size() - start);
    while (start < end && IsUtf8Continuation(text[start])) ++start;
    if (end < text.size())
        while (end > start && IsUtf8Continuation(text[end])) --end;
    return std::string(text.substr(start, end - start));
}

std::string PlayingTime(media::MediaPlayer& player) {
    const double duration = player.Duration();
    return FormatSeconds(duration - player.CurrentPosition()) + " - " + FormatSeconds(duration);
}

// A short title stands still in the middle; a long one scrolls one
// position a tick through the title, three blanks and the title again.
void ShowTitle(frmTest& form, std::int16_t& marqueePos) {
    const std::size_t length = sNowTitle.size();
    if (length < LongTitle) {
        marqueePos = 1;
        form.lblTitel.setAlignment(forms::vbCenter);
        sMarquee = MarqueeText(sNowTitle);
    } else {
        form.lblTitel.setAlignment(forms::vbLeftJustify);
        sMarquee = MarqueeText(sNowTitle + "   " + sNowTitle);
        const bool wrap = marqueePos <= 0 || static_cast<std::size_t>(marqueePos) >= length;
        marqueePos = wrap ? std::int16_t{1} : static_cast<std::int16_t>(marqueePos + 1);
    }
    form.lblTitel.setCaption(WholeCharacters(sMarquee, static_cast<std::size_t>(marqueePos - 1), length));
}

void Blink(forms::Image& button, const forms::Image& onAir, const forms::Image& other) {
    bBlinkOn = !bBlinkOn;
    ShowState(button, bBlinkOn ? onAir : other);
}

// The next entry after a stop, entry 1 after the last. False when the
// list holds no entry to go on with; the playlist has then ended.
bool StartNextEntry(frmTest& form) {
    const auto last = static_cast<std::int32_t>(aPlaylist.size()) - 1;
    if (iPlIdx >= last || iPlIdx < 0) iPlIdx = 0;
    ++iPlIdx;
    const std::optional<std::string> entry = PlaylistEntry(iPlIdx);
    if (!entry) {
        bPlaylistOn = false;
        return false;
    }
    form.wmp(0).setFileName(aPlaylist.front() + *entry);
    if (iMaschineMode == 1) SetNowPlaying(*entry);
    return true;
}

void TickPlaylist(frmTest& form, forms::Image& current, bool timeWritten, std::int16_t& marqueePos) {
    media::MediaPlayer& player = form.wmp(0);
    const long state = player.PlayState();
    if (state == media::kClosed || state == media::kStopped) {
        if (!StartNextEntry(form)) return;
        marqueePos = 0;
    } else if (state == media::kPaused) {
        Blink(current, form.ImgOnAir, form.ImgListOnAir);
    }
    if (player.PlayState() != media::kPaused && timeWritten)
        form.lblTime.setCaption(form.lblTime.Caption() + "  (" + std::to_string(iPlIdx) + "/" +
                                std::to_string(static_cast<std::int32_t>(aPlaylist.size()) - 1) + ")");
    current.Refresh();
    if (iMaschineMode != 1) return;
    if (const std::optional<std::string> entry = PlaylistEntry(iPlIdx)) SetNowPlaying(*entry);
}

// A sound that could not be opened has ended as well as one that ran out.
void TickSound(frmTest& form, forms::Image& current) {
    const long state = form.wmp(0).PlayState();
    if (state == media::kStopped || state == media::kClosed) {
        ShowState(current, current.ToolTipText() == EmptyName ? form.ImgEmpty : form.ImgReady);
    } else if (state == media::kPaused) {
        Blink(current, form.ImgOnAir, form.ImgReady);
    }
    current.Refresh();
}

}  // namespace

void frmTest::Timer1_Timer() {
    static std::int16_t iMarqueePos = 0;
    media::MediaPlayer& player = wmp(0);
    bool timeWritten = false;
    if (WindowState() == forms::vbMinimized && !bPanic) {
        // The taskbar shows the time; the labels stay as they are.
        if (player.PlayState() == media::kPlaying) {
            setCaption(PlayingTime(player));
        } else {
            setCaption(DateTimeText());
            iMarqueePos = 0;
        }
    } else if (player.PlayState() == media::kPlaying) {
        lblTime.setCaption(PlayingTime(player));
        timeWritten = true;
        if (iMaschineMode == 1) ShowTitle(*this, iMarqueePos);
    } else {
        lblTitel.setCaption("");
        lblTime.setCaption(DateTimeText());
        timeWritten = true;
    }
    if (iCurBtn <= 0 || !Image1.exists(iCurBtn)) return;
    forms::Image& current = Image1[iCurBtn];
    if (bPlaylistOn) {
        TickPlaylist(*this, current, timeWritten, iMarqueePos);
    } else {
        TickSound(*this, current);
    }
}
