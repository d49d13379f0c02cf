// The real main window: start-up with the saved place and mode, the close
// that saves them, the panic key, the four machines, the title bar's spots,
// and real mouse, drop and timer events reaching the program module.
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <set>

#include "Form1.h"
#include "soundboard_test_support.h"

namespace {

using namespace sbtest;
using frmTestLife = MainWindowTest;
using std::tuple;

bool iconShows(const forms::Image& image) {
    const QImage expected = forms::toImage(image.Picture()).convertToFormat(QImage::Format_RGB32);
    const QImage shown = window()->windowIcon().pixmap(expected.size()).toImage().convertToFormat(QImage::Format_RGB32);
    return !expected.isNull() && shown == expected;
}
QRect placeOf(const forms::Control& control) { return forms::widgetOf(control)->geometry(); }
bool inside(const QRegion& outline, const forms::Control& control) {
    return outline.intersected(placeOf(control)) == QRegion(placeOf(control));
}

TEST_F(frmTestLife, FirstStartComesUpAsTheLargeMachineAndClosingStopsAndSaves) {
    Zpm.bTalkOver = Zpm.bPlaylistOn = true;
    frmTest& form = load();
    EXPECT_EQ(tuple(form.Visible(), Zpm.bTalkOver || Zpm.bPlaylistOn, Zpm.iMaschineMode, form.Caption(), iconShows(form.zpmpic),
                    form.PicLed.Visible(), messages.empty()),
              tuple(true, false, 1, "Zirpomat", true, false, true));
    // 10 twips on the nearest whole pixel
    EXPECT_EQ(tuple(windowMask(), form.lblTime.Caption().find(" - ") != std::string::npos, window()->pos()),
              tuple(outlineOf("skins/large_open.bmp"), true, QPoint(1, 1)));
    // Closing stops both players and closes the other windows; a closed sound list is not unloaded.
    const std::string longSound = sound("long.wav");
    for (int index : {0, 1}) form.wmp(index).setFileName(longSound);
    Zpm.bSndListOpen = true;
    form.Unload();
    EXPECT_EQ(tuple(form.Loaded(), heard(0), heard(1), helpUnloads, soundListUnloads, onDisk("ppos", "mp")),
              tuple(false, tuple(longSound, Stopped, media::kSilence), tuple(longSound, Stopped, media::kSilence), 1, 1, "1"));
    Zpm.bSndListOpen = false;
    load().Unload();
    EXPECT_EQ(soundListUnloads, 1);
}

// Off the screen's edges, or nearer to its bottom and right than the small
// machine's 109 by 123 pixels, the place is saved as 100; the next start comes up there.
TEST_F(frmTestLife, ClosingSavesPlacesOffTheScreenEdgesAs100) {
    const int top = forms::ScreenHeight() - 109 * 15, left = forms::ScreenWidth() - 123 * 15;
    ASSERT_GT(left, 0);
    const std::tuple<float, float, std::string, std::string> rows[] = {
        {0, 150, "100", "150"}, {-300, 0, "100", "100"}, {top, left, std::to_string(top), std::to_string(left)},
        {top + 15.f, left + 15.f, "100", "100"}, {300, 450, "300", "450"}};
    for (const auto& [y, x, savedY, savedX] : rows) {
        load().Move(x, y);
        form->Unload();
        EXPECT_EQ(std::pair(onDisk("ppos", "yp"), onDisk("ppos", "xp")), std::pair(savedY, savedX));
    }
    load();
    EXPECT_EQ(std::pair(form->Top(), form->Left()), std::pair(300.f, 450.f));
}

// The mode is rounded half to even and applied when shown; a place where the small machine would stick out of
// the screen's bottom and right, or that cannot be read, falls back to 10 twips.
TEST_F(frmTestLife, SavedModeAndPlaceAreReadBack) {
    const std::string nearBottom = std::to_string(forms::ScreenHeight() - 108 * 15);
    const std::string nearRight = std::to_string(forms::ScreenWidth() - 122 * 15);
    const std::tuple<const char*, std::int16_t, std::string, std::string, QPoint> rows[] = {
        {"2.5", 2, nearBottom, nearRight, {1, 1}}, {"3.5", 4, "1e39", "-1e39", {1, 1}}, {"0", 1, "1e999", "2e308", {1, 1}},
        {"abc", 1, "nan", "abc", {0, 0}},        {"7", 7, " 450x", "+300", {20, 30}}, {" 3", 3, "-150", "-0.5e3", {1, 1}},
        {"4.49", 4, "10", "10", {1, 1}},         {"1e10", 1, "10", "10", {1, 1}},    {"-0.4", 1, "10", "10", {1, 1}},
        {"32767.6", 1, "10", "10", {1, 1}},      {"-32769", 1, "10", "10", {1, 1}},  {"-32768", -32768, "10", "10", {1, 1}},
        {"1e999", 1, "10", "10", {1, 1}},        {"32767", 32767, "10", "10", {1, 1}}, {"-2", -2, "10", "10", {1, 1}}};
    const char* skins[] = {"skins/large_folded.bmp", "skins/small_open.bmp", "skins/small_folded.bmp"};
    for (const auto& [mp, mode, yp, xp, pixels] : rows) {
        writeSettings("[ppos]\nmp=" + std::string(mp) + "\nyp=" + yp + "\nxp=" + xp + "\n");
        load();
        const QRegion outline = outlineOf(mode >= 2 && mode <= 4 ? skins[mode - 2] : "skins/large_open.bmp");
        EXPECT_EQ(tuple(Zpm.iMaschineMode, windowMask(), window()->pos()), tuple(mode, outline, pixels)) << mp << " " << yp;
        form->Unload();
        EXPECT_EQ(onDisk("ppos", "mp"), std::to_string(mode));
    }
}

// Minimised, not hidden, the disguised machine keeps its taskbar entry to be
// restored from; it is hidden while it asks, and No shows it normal again.
TEST_F(frmTestLife, EscapeDisguisesInTheLanguageOfLangAndNoBringsTheMachineBack) {
    const auto shown = [this] { return tuple(form->Visible(), form->WindowState()); };
    std::optional<tuple<bool, int>> whileAsking;
    forms::setMessageHook([&](const forms::MessageRequest& request) {
        messages.push_back(request);
        whileAsking = shown();
        return forms::vbNo;
    });
    for (const auto& [lang, german] : {std::pair<const char*, bool>{"de", true}, {"de_DE", false}, {nullptr, true},
                                       {"en_US.UTF-8", false}}) {
        SCOPED_TRACE(lang ? lang : "(unset)");
        const ScopedEnv langEnv("LANG", lang);
        messages.clear();
        writeSettings("[ppos]\nmp=3\n");
        whileAsking.reset();
        frmTest& form = load();
        EXPECT_EQ(Zpm.sLang, lang ? lang : "de");
        form.wmp(0).setFileName(sound("long.wav"));
        form.wmp(1).setFileName(sound("long.wav"));
        Zpm.bPlaylistOn = true;
        openList();
        // The real help window, which names the program.
        frmTest::links.showHelpWindow = [] { Form1::instance().Show(); };
        frmTest::links.unloadHelpWindow = UnloadHelpWindow;
        click(form.LblHelp);
        ASSERT_TRUE(Form1::instance().Visible());
        soundListUnloads = 0;
        pressKey(Qt::Key_A, "a");  // other keys do nothing
        ASSERT_FALSE(Zpm.bPanic);
        pressEscape();  // the playlist ends, else its next entry would start at once; the list of sounds and the help close
        EXPECT_EQ(tuple(Zpm.bPanic, shown(), form.Caption(), iconShows(form.wrdpic), windowMask().isEmpty(),
                        heard(), Zpm.bPlaylistOn, form.wmp(1).PlayState(), messages.empty()),
                  tuple(true, tuple(true, int(forms::vbMinimized)), german ? "Rechner (Wissenschaftlich)" : "Calc (Scientific)",
                        true, true, tuple(sounds.string() + "/long.wav", Stopped, -600L), false, Playing, true));
        EXPECT_EQ(tuple(list().Visible(), list().Loaded(), Zpm.bSndListOpen, soundListUnloads), tuple(false, false, false, 1));
        EXPECT_EQ(tuple(Form1::instance().Visible(), Form1::instance().Loaded()), tuple(false, false));
        EXPECT_FALSE(forms::widgetOf(form)->windowFlags().testFlag(Qt::Tool)) << "no taskbar entry to restore from";
        form.setWindowState(forms::vbNormal);  // restored from the taskbar, answered No
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(tuple(messages[0].prompt, messages[0].title, messages[0].buttons, whileAsking),
                  tuple(german ? "Programm beenden?" : "Exit Program?", german ? "Rechner" : "Calculator", forms::vbYesNo,
                        tuple(false, int(forms::vbNormal))));
        EXPECT_EQ(tuple(Zpm.bPanic, shown(), form.Caption(), iconShows(form.zpmpic), soundListUnloads, windowMask()),
                  tuple(false, tuple(true, int(forms::vbNormal)), "Zirpomat", true, 1, outlineOf("skins/small_open.bmp")));
        EXPECT_EQ(tuple(list().Loaded(), Form1::instance().Visible()), tuple(false, false));  // not reopened
        form.Unload();
    }
}

// The real exit question, answered No with a click; its buttons read German exactly when the program speaks
// German, whatever the locale, also after a start in the other language.
TEST_F(frmTestLife, TheExitQuestionsButtonsSpeakTheProgramsLanguage) {
    forms::setMessageHook({});
    for (const auto& [lang, german] : {std::pair<const char*, bool>{"de", true}, {"de_DE.UTF-8", false}, {nullptr, true},
                                       {"en_US.UTF-8", false}}) {
        SCOPED_TRACE(lang ? lang : "(unset)");
        const ScopedEnv langEnv("LANG", lang);
        frmTest& form = load();
        // Every box that shows is answered: the offscreen platform reports the restore once more meanwhile.
        std::set<std::vector<std::string>> buttons;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(window);
                if (!box || !box->isVisible()) continue;
                std::vector<std::string> texts;
                for (const QAbstractButton* shown : box->buttons()) texts.push_back(shown->text().toStdString());
                buttons.insert(texts);
                box->button(QMessageBox::No)->click();
            }
        });
        answer.start(5);
        pressEscape();
        form.setWindowState(forms::vbNormal);
        const std::vector<std::string> expected = german ? std::vector<std::string>{"&Ja", "&Nein"}
                                                         : std::vector<std::string>{"&Yes", "&No"};
        EXPECT_EQ(tuple(buttons, Zpm.bPanic), tuple(std::set{expected}, false));
        form.Unload();
    }
}

// The box of start-up paths, for "/D" or "inideb=1" in the settings file in
// use; it always names the default settings file.
TEST_F(frmTestLife, StartupPathsBoxForSlashDOrInidebOne) {
    ScopedEnv local("LOCALAPPDATA", "/local/app");
    const fs::path other = temp.path() / "other.ini";
    const std::string redirect = "[inifilepath]\npath=" + other.string() + "\n";
    const std::tuple<const char*, std::string, const char*, bool> cases[] = {
        {"/d", "", "", false}, {"/D", "", "", true}, {"", "[inifilepath]\ninideb=1\n", "", true},
        {"", redirect + "inideb=1\n", "[ppos]\nmp=1\n", false},  // the redirect's target decides
        {"", redirect, "[inifilepath]\ninideb=1\n", true}};
    for (const auto& [commandLine, settings, target, shown] : cases) {
        SCOPED_TRACE(commandLine + settings + target);
        writeSettings(target, other);
        writeSettings(settings);
        frmTest::links.CommandLine = commandLine;
        messages.clear();
        load().Unload();
        ASSERT_EQ(messages.size(), shown ? 1u : 0u);
        if (!shown) continue;
        EXPECT_EQ(std::pair(messages[0].title, messages[0].buttons), std::pair(std::string("INFO"), forms::vbInformation | forms::vbOKOnly));
        EXPECT_EQ(messages[0].prompt, "SystemDir = " + windir.string() + "\r\nApplDataDir (EnvLocal) = /local/app\r\n" +
                                          "ApplDataDir (EnvUser) = " + appdata.string() + "\r\nApplDataDir (PGM) = " +
                                          dataFolder.string() + "\r\nINI_Name = " + ini.string() +
                                          "\r\nSystemSound = " + (dataFolder / "eep.wav").string() + "\r\n");
    }
}

// The program must end at once, so the answer Yes runs in a child process;
// the parent then finds the settings file untouched.
TEST(frmTestPanic, YesEndsTheProgramAtOnceAndSavesNothing) {
    if (!platform::files::isOnSystemDrive(platform::files::programFolder()))
        GTEST_SKIP() << "the test program lies on a portable folder";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child runs this test again from its start: it finds the parent's folder in the environment.
    const char* inherited = std::getenv("ZPM_PANIC_TEST_APPDATA");
    std::optional<TempDir> temp;
    if (!inherited) temp.emplace();
    const fs::path appdata = inherited ? fs::path(inherited) : temp->path() / "appdata";
    ScopedEnv share("ZPM_PANIC_TEST_APPDATA", appdata.string()), appdataEnv("APPDATA", appdata.string());
    const fs::path ini = appdata / "Ostrolab" / "zirpomat" / "zpm.ini";
    if (!inherited) {
        fs::create_directories(ini.parent_path());
        writeFile(ini, "[ppos]\r\nyp=300\r\nxp=450\r\nmp=4\r\n");
    }
    const std::string before = readFile(ini);
    EXPECT_EXIT(
        {
            forms::startRuntime();
            forms::setMessageHook([](const forms::MessageRequest&) { return forms::vbYes; });
            frmTest& form = frmTest::instance();
            form.Load();
            form.Move(600, 600);
            Zpm.iMaschineMode = 2;
            pressEscape();
            form.setWindowState(forms::vbNormal);
            std::_Exit(3);  // the answer Yes did not end the program
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile(ini), before);
}

class frmTestWindow : public MainWindowTest {
protected:
    void apply(std::int16_t mode) {
        Zpm.iMaschineMode = mode;
        form->set_maschine();
    }
};

TEST_F(frmTestWindow, EachModeCutsTheWindowToItsSkinAndLaysOutItsMachine) {
    frmTest& form = start();
    for (int index : {1, 15, 16, 75, 101, 105, 106, 115}) EXPECT_TRUE(form.HasButton(index)) << index;
    for (int index : {0, 76, 100, 116}) EXPECT_FALSE(form.HasButton(index)) << index;
    // Rows of 19-pixel buttons by index on each panel; each takes drops where the window system looks for them.
    for (const auto& [first, rows, columns, panel] : {tuple{1, 5, 15, &form.Picture1}, {101, 3, 5, &form.Picture2}})
        for (int i = 0; i < rows * columns; ++i) {
            const QWidget* widget = forms::widgetOf(button(first + i));
            EXPECT_EQ(tuple(widget->parentWidget(), widget->geometry(), widget->acceptDrops()),
                      tuple(forms::widgetOf(*panel), QRect(i % columns * 19, i / columns * 19, 19, 19), true))
                << first + i;
        }
    for (const auto& [mode, skin, large, open, openWidth] :
         {tuple{1, "skins/large_open.bmp", true, true, 306}, {2, "skins/large_folded.bmp", true, false, 306},
          {3, "skins/small_open.bmp", false, true, 123}, {4, "skins/small_folded.bmp", false, false, 123}}) {
        SCOPED_TRACE(mode);
        Zpm.bSndListOpen = true;
        soundListUnloads = 0;
        apply(std::int16_t(mode));
        const QRegion outline = outlineOf(skin);
        ASSERT_FALSE(outline.isEmpty());
        EXPECT_EQ(windowMask(), outline);
        EXPECT_EQ(window()->size(), QSize(473, 370));
        // One panel shows, the time display only on the large machine, and the size switch names the other machine.
        const forms::PictureBox& panel = large ? form.Picture1 : form.Picture2;
        EXPECT_EQ(tuple(soundListUnloads, Zpm.bSndListOpen, Zpm.lWinW, samePicture(form.Picture(), gdi::loadPicture(platform::assetPath(skin))),
                        form.Picture1.Visible(), form.Picture2.Visible(), form.lblTime.Visible()),
                  tuple(1, false, openWidth, true, large, !large, large));
        EXPECT_NE(form.LblSmallwin.ToolTipText().find(large ? "Klein" : "Gross"), std::string::npos);
        // The hot spots lie over the keys painted on this machine's skin.
        using Spots = std::array<float, 6>;
        EXPECT_EQ((Spots{form.LblHelp.Left(), form.LblMin.Left(), form.Lblup.Left(), form.LblClose.Left(),
                         form.lblSndLst.Left(), form.lblSndLst.Top()}),
                  (large ? Spots{253, 265, 276, 288, 68, 138} : Spots{70, 81, 94, 104, 56, 96}));
        const std::array<float, 4> timePlace{form.lblTime.Left(), form.lblTime.Top(), form.lblTime.Width(), form.lblTime.Height()};
        EXPECT_TRUE(!large || (timePlace == std::array<float, 4>{88, 7, 141, 21}));
        // Every title-bar spot lies on the outline; the panel and the sound-list spot only while the machine is open.
        for (const forms::Control* spot : std::initializer_list<const forms::Control*>{
                 &form.LblOnTop, &form.PicLed, &form.LblSmallwin, &form.LblHelp, &form.LblMin, &form.Lblup, &form.LblClose})
            EXPECT_TRUE(inside(outline, *spot));
        EXPECT_EQ(std::pair(inside(outline, panel), inside(outline, form.lblSndLst)), std::pair(open, open));
        EXPECT_TRUE(mode != 1 || (inside(outline, form.lblTime) && inside(outline, form.lblTitel)));
    }
    // A mode outside one to four only closes an open sound list, once.
    apply(3);
    const QRegion mask = windowMask();
    Zpm.bSndListOpen = true;
    soundListUnloads = 0;
    Zpm.lWinW = 5;
    apply(7);
    form.set_maschine();
    EXPECT_EQ(tuple(windowMask(), form.Picture2.Visible(), form.lblTime.Visible(), Zpm.lWinW, Zpm.bSndListOpen, soundListUnloads),
              tuple(mask, true, false, 5, false, 1));
}

// Passes every shape on to the real window and keeps the last one given.
class ShapeRecorder : public gdi::WindowHost {
public:
    gdi::WindowHost* real = gdi::windowHost();
    std::optional<std::vector<gdi::Rect>> last{std::vector<gdi::Rect>{}};
    ShapeRecorder() { gdi::setWindowHost(this); }
    ~ShapeRecorder() override { gdi::setWindowHost(real); }
    bool setWindowShape(gdi::WindowHandle window, const std::optional<std::vector<gdi::Rect>>& shape, bool redraw) override {
        last = shape;
        return real->setWindowShape(window, shape, redraw);
    }
    bool setClipboardBitmap(const gdi::Bitmap& bitmap) override { return real->setClipboardBitmap(bitmap); }
    void showMessage(std::string_view text) override { real->showMessage(text); }
};

// A skin that did not load takes the outline off instead of an empty one.
TEST_F(frmTestWindow, SkinThatDidNotLoadLeavesTheWindowWhole) {
    start();
    ShapeRecorder shapes;
    form->picBackground.setPicture(gdi::Picture());
    apply(1);
    EXPECT_EQ(tuple(shapes.last.has_value(), windowMask().isEmpty(), Zpm.lWinW), tuple(false, true, 306));
    form->picBackground.setPicture(gdi::loadPicture(platform::assetPath("skins/large_open.bmp")));
    apply(1);
    EXPECT_EQ(windowMask(), outlineOf("skins/large_open.bmp"));
}

// Without its pictures the window still comes up and plays: the state pictures and the buttons stay empty.
TEST_F(frmTestWindow, MissingAssetsLeaveEmptyStatePictures) {
    const std::string one = sound("One.wav");
    {
        const ScopedEnv assets("ZPM_ASSETS", (temp.path() / "no-assets").string());
        start("[snds]\ns1=" + one + "\n");
    }
    for (const forms::Image* image : {&form->ImgEmpty, &form->ImgReady, &form->ImgOnAir, &form->ImgListOnAir,
                                      &form->ImgError, &form->ImgTalkOver})
        EXPECT_TRUE(image->Picture().empty());
    click(button(1));
    tick();
    EXPECT_EQ(tuple(player().FileName(), player().PlayState(), button(1).Picture().empty(), form->lblTitel.Caption()),
              tuple(one, Playing, true, "One"));
    EXPECT_FALSE(forms::widgetOf(button(1))->grab().isNull());
    EXPECT_TRUE(windowMask().isEmpty());
}

// What drawing code has to tell the user reaches them as a message box.
TEST_F(frmTestWindow, TheWindowHostsMessagesAreMessageBoxes) {
    start();
    gdi::windowHost()->showMessage("Copy as bitmap instead!");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(std::pair(messages[0].prompt, messages[0].buttons),
              std::pair(std::string("Copy as bitmap instead!"), int(forms::vbOKOnly)));
}

// One record per element, a timer's without its size, in the home folder; nothing when it cannot be written.
TEST_F(frmTestWindow, PrintobjectsWritesEveryElementsPlaceToTheHomeFolder) {
    ScopedEnv home("HOME", temp.path().string());
    start();
    apply(4);
    form->printobjects();
    const std::string dump = readFile(temp.path() / "formdata.txt");
    const std::regex record("Name=(\\w+);Top=-?[\\d.]+;Left=-?[\\d.]+;(Height=[\\d.]+;Width=[\\d.]+\\|\r\n)?\r\n");
    std::size_t records = 0, length = 0;
    for (auto it = std::sregex_iterator(dump.begin(), dump.end(), record); it != std::sregex_iterator(); ++it, ++records) {
        length += static_cast<std::size_t>(it->length());
        EXPECT_EQ((*it)[2].matched, !it->str(1).starts_with("Timer")) << it->str();
    }
    EXPECT_EQ(std::pair(records, length), std::pair(form->Controls().size(), dump.size()));
    EXPECT_NE(dump.find("Name=Image1;Top=38;Left=76;Height=19;Width=19|"), std::string::npos);
    ScopedEnv nowhere("HOME", (temp.path() / "missing").string());
    form->printobjects();
    EXPECT_FALSE(fs::exists(temp.path() / "missing"));
}

TEST_F(frmTestWindow, SizeAndFoldSwitchesMoveAlongTheModeTableAndCloseTheSoundList) {
    start();
    for (const auto& [before, afterSize, afterFold] :
         {tuple<std::int16_t, std::int16_t, std::int16_t>{1, 3, 2}, {2, 4, 1}, {3, 1, 4}, {4, 2, 3}, {7, 7, 7}}) {
        for (const bool fold : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mode " << before << (fold ? " fold" : " size"));
            apply(before == 7 ? 1 : before);
            Zpm.iMaschineMode = before;
            openList();
            form->lblTitel.setVisible(true);
            form->cmdfokus.setVisible(true);
            window()->setFocus();
            click(fold ? form->Lblup : form->LblSmallwin);
            const std::int16_t after = fold ? afterFold : afterSize;
            EXPECT_EQ(std::tuple(Zpm.iMaschineMode, form->lblTitel.Visible(), list().Loaded()), std::tuple(after, after == 1, false));
            EXPECT_EQ(window()->focusWidget() == forms::widgetOf(form->cmdfokus), fold);
        }
    }
}

// The LED key and a right click on the time display each flip one of two
// states; the roles swap with the state; Shift does not matter, other buttons do nothing.
TEST_F(frmTestWindow, TheTwoOnTopSwitchesKeepTheirOwnStateAndSigns) {
    constexpr forms::Color White = 0xFFFFFF, Magenta = 0xFF00FF;
    start();
    forms::Label& time = form->lblTime;
    const auto state = [&] { return std::pair(form->PicLed.Visible(), time.ForeColor()); };
    const std::tuple<forms::Control*, Qt::MouseButton, Qt::KeyboardModifiers, bool, forms::Color> steps[] = {
        {&form->LblOnTop, Qt::LeftButton, {}, true, White},  {&time, Qt::RightButton, {}, true, Magenta},
        {&time, Qt::RightButton, {}, true, White},           {&form->LblOnTop, Qt::LeftButton, {}, false, White},
        {&time, Qt::RightButton, Qt::ShiftModifier, false, Magenta}, {&form->LblOnTop, Qt::LeftButton, {}, true, Magenta},
        {&form->LblOnTop, Qt::LeftButton, {}, false, Magenta}, {&time, Qt::LeftButton, {}, false, Magenta},
        {&time, Qt::MiddleButton, {}, false, Magenta}};
    for (const auto& step : steps) {
        const auto& [spot, which, keys, led, colour] = step;
        click(*spot, which, keys);
        EXPECT_EQ(state(), std::pair(led, colour)) << &step - steps;
    }
    EXPECT_EQ(std::pair(frmTest::onTop.bOnTop, frmTest::onTop.bTimeOnTop), std::pair(false, true));
}

// Minimised, the window has no outline and shows the date until restored.
TEST_F(frmTestWindow, MinimiseAndDrag) {
    start();
    click(form->LblMin);
    EXPECT_EQ(tuple(form->WindowState(), windowMask().isEmpty(), std::regex_match(form->Caption(), std::regex("[0-9/.-]+ - [0-9:]+.*"))),
              tuple(int(forms::vbMinimized), true, true)) << form->Caption();
    form->setWindowState(forms::vbNormal);
    EXPECT_EQ(std::pair(form->Caption(), windowMask()), std::pair(std::string("Zirpomat"), outlineOf("skins/large_open.bmp")));
    // Any mouse button on the skin starts a move of the window; presses on its elements never do.
    for (const Qt::MouseButton which : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        sendMouseTo(window(), QEvent::MouseButtonPress, {5, 60}, which, which);
        EXPECT_EQ(QWidget::mouseGrabber(), window()) << which;
        sendMouseTo(window(), QEvent::MouseButtonRelease, {5, 60}, which, Qt::NoButton);
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    }
    for (forms::Control* element : std::initializer_list<forms::Control*>{&form->lblTime, &form->LblOnTop, &form->Picture1,
                                                                           &button(1), &form->lblTitel}) {
        click(*element, Qt::RightButton);
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    }
}

// A second click on the sound-list spot shows the same list, not loaded again.
TEST_F(frmTestWindow, HelpSoundListAndCloseSpots) {
    start();
    int helpShown = 0;
    frmTest::links.showHelpWindow = [&] { ++helpShown; };
    click(form->LblHelp);
    openList();
    list().LstSounds.setListIndex(3);
    openList();
    EXPECT_EQ(tuple(helpShown, Zpm.bSndListOpen, list().LstSounds.ListIndex()), tuple(1, true, 3));
    form->Move(4500, 3000);
    click(form->LblClose);
    EXPECT_EQ(tuple(form->Loaded(), list().Loaded(), onDisk("ppos", "xp"), onDisk("ppos", "yp")), tuple(false, false, "4500", "3000"));
}

// Ordinary titles of 70 characters fit the title display; accents stay within the line.
TEST_F(frmTestWindow, TitlesOfSeventyCharactersFitAndKeepTheirAccents) {
    const QWidget* title = forms::widgetOf(start().lblTitel);
    const QFontMetricsF metrics(title->font());
    for (const char* text : {"Applaus und Jubel aus dem Publikum nach der Zugabe zum Sommerfest 2023",
                             "Die Schönen Männer - Wölfe im Hafen (Live in der Stadthalle Görlitz 9)",
                             "The Harbour Lights - Sympathy For The Mornings (Remastered 2012 Mono!)"}) {
        ASSERT_EQ(QString::fromUtf8(text).size(), 70);
        EXPECT_LE(metrics.horizontalAdvance(QString::fromUtf8(text)), title->width()) << text;
    }
    EXPECT_LE(-metrics.tightBoundingRect(QStringLiteral("ÄÖÜÉ")).top(), metrics.ascent());
    EXPECT_LE(QFontMetrics(title->font()).height(), title->height());
}

// One wiring check per event: press, release, tick, minimised tick, clear.
TEST_F(frmTestWindow, PressReleaseAndTickReachTheCore) {
    const std::string one = sound("One.wav");
    start("[snds]\ns1=" + one + "\ns2=" + sound("two.wav") + "\n");
    EXPECT_EQ(std::pair(button(101).ToolTipText(), showsState(40, form->ImgEmpty)), std::pair(std::string("One"), true));
    press(button(101));
    EXPECT_EQ(tuple(player().FileName(), player().PlayState(), form->lblTitel.Caption(), showsState(101, form->ImgOnAir)),
              tuple(one, Playing, "Loading...", true));
    press(button(101), Qt::LeftButton, {}, false);
    tick();
    EXPECT_EQ(tuple(form->lblTitel.Caption(), form->lblTitel.Alignment(), form->lblTime.Caption().ends_with(" - 00:00:30")),
              tuple("One", forms::vbCenter, true)) << form->lblTime.Caption();
    click(button(2), Qt::MiddleButton, pauseKeys);  // pauses; the tick blinks the button
    tick();
    EXPECT_EQ(std::pair(player().PlayState(), showsState(101, form->ImgOnAir)), std::pair(Paused, true));
    click(button(2), Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);  // clears the other button's twins
    EXPECT_EQ(std::pair(button(102).ToolTipText(), showsState(102, form->ImgEmpty)), std::pair(std::string("eep"), true));
    click(button(1));
    form->setWindowState(forms::vbMinimized);
    tick();
    EXPECT_TRUE(form->Caption().ends_with(" - 00:00:30")) << form->Caption();
    form->setWindowState(forms::vbNormal);
}

// A list started and stopped on the small machine shows at rest on the large one too.
TEST_F(frmTestWindow, AListStoppedOnTheSmallMachineRestsOnTheLargeOne) {
    sound("list/a.wav");
    sound("list/b.wav");
    start("[snds]\ns5=PlayList_5\n[lsts]\ns5=$/list/,a.wav,b.wav\n");
    click(form->LblSmallwin);
    click(button(105));
    EXPECT_EQ(std::tuple(Zpm.iMaschineMode, player().PlayState(), showsState(105, form->ImgListOnAir), showsState(5, form->ImgListOnAir)),
              std::tuple(3, Playing, true, true));
    click(button(105));
    tick();
    click(form->LblSmallwin);
    EXPECT_EQ(std::tuple(Zpm.iMaschineMode, player().PlayState(), showsState(5, form->ImgReady), showsState(105, form->ImgReady)),
              std::tuple(1, Stopped, true, true));
}

// A dropped MP3 takes its title from its file name, not from its tag, and plays to its end.
TEST_F(frmTestWindow, DroppedFilesReachTheCoreAndOtherDataIsRefused) {
    start();
    const std::string boom = mp3("Boom_Boom.mp3");
    QMimeData files, text, web, picture;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString(boom))});
    dropData(button(103), files);
    EXPECT_EQ(tuple(onDisk("snds", "s3"), button(3).ToolTipText(), showsState(103, form->ImgReady), messages.empty()),
              tuple(boom, "Boom Boom", true, true));
    click(button(3));
    tick();
    EXPECT_EQ(tuple(player().FileName(), player().PlayState(), form->lblTitel.Caption()), tuple(boom, Playing, "Boom Boom"));
    EXPECT_TRUE(waitForEnd(player()));
    const std::string settings = settingsText();
    text.setText("some text");
    web.setUrls({QUrl("https://example.org/sound.wav")});
    picture.setImageData(QImage(4, 4, QImage::Format_RGB32));
    for (QMimeData* data : {&text, &web, &picture}) dropData(button(1), *data);
    ASSERT_EQ(messages.size(), 3u);
    for (const forms::MessageRequest& message : messages)
        EXPECT_EQ(std::pair(message.prompt, message.title), std::pair(std::string("Falsches Format - Erwarte Dateiname"), std::string("Fehler")));
    EXPECT_EQ(settingsText(), settings);
}

// A file name that is no UTF-8 (Latin-1 bytes, as on old disks) is the file's own bytes from the drop to the
// settings file and the player, also after a restart; a settings file that holds such a path plays it too.
// Only what is shown reads the bytes as letters.
TEST_F(frmTestWindow, NamesThatAreNoUtf8KeepTheirBytes) {
    const std::string dropped = sound("Kl\xe4nge_\xf6\xfc.wav"), stored = sound("Caf\xe9.wav");
    if (!fs::exists(dropped)) GTEST_SKIP() << "the temporary folder's file system takes UTF-8 names only";
    start("[snds]\ns4=" + stored + "\n");
    QMimeData files;  // as a file manager offers it
    files.setData("text/uri-list", "file://" + QByteArray::fromStdString(dropped).toPercentEncoding("/") + "\r\n");
    dropData(button(103), files);
    EXPECT_EQ(tuple(onDisk("snds", "s3"), button(3).ToolTipText(), messages.empty()), tuple(dropped, "Kl\xe4nge \xf6\xfc", true));
    form->Unload();
    load().Timer1.setEnabled(false);
    for (const auto& [index, file] : {std::pair{103, dropped}, {4, stored}}) {
        click(button(index));
        EXPECT_EQ(tuple(player().FileName(), player().PlayState(), showsState(index, form->ImgOnAir)), tuple(file, Playing, true));
    }
    // Shown as well as it can be: the bytes as Latin-1 letters.
    tick();
    EXPECT_EQ(std::pair(forms::widgetOf(button(103))->toolTip(), form->lblTitel.Caption()),
              std::pair(QString::fromUtf8("Kl\xc3\xa4nge \xc3\xb6\xc3\xbc"), std::string("Caf\xc3\xa9")));
}

// Each state shows its own picture from the assets, drawn on the button, unlike every other state's; the
// templates they come from lie outside every skin's outline. An idle tick copies no picture again.
TEST_F(frmTestWindow, EveryStatePictureReachesTheScreenOnlyWhenItChanges) {
    start("[snds]\ns1=" + sound("One.wav", 200) + "\n");
    const std::tuple<ButtonPicture, const char*, const forms::Image*> states[] = {
        {P::Empty, "states/ImgEmpty.bmp", &form->ImgEmpty},
        {P::Ready, "states/ImgReady.bmp", &form->ImgReady},
        {P::OnAir, "states/ImgOnAir.bmp", &form->ImgOnAir},
        {P::ListOnAir, "states/ImgListOnAir.bmp", &form->ImgListOnAir},
        {P::Error, "states/ImgError.bmp", &form->ImgError},
        {P::TalkOver, "states/ImgTalkOver.bmp", &form->ImgTalkOver}};
    const QRegion skins = outlineOf("skins/large_open.bmp") + outlineOf("skins/large_folded.bmp") +
                          outlineOf("skins/small_open.bmp") + outlineOf("skins/small_folded.bmp");
    std::vector<QImage> shown;
    for (const auto& [state, file, image] : states) {
        form->ShowButton(7, state);
        const gdi::Picture asset = gdi::loadPicture(platform::assetPath(file));
        EXPECT_TRUE(samePicture(button(7).Picture(), asset)) << file;
        const QImage drawn = forms::widgetOf(button(7))->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(drawn, forms::toImage(asset).convertToFormat(QImage::Format_RGB32)) << file;
        EXPECT_EQ(std::ranges::count(shown, drawn), 0) << file;
        EXPECT_FALSE(skins.intersects(placeOf(*image))) << file;
        shown.push_back(drawn);
    }
    EXPECT_THROW(form->wmp(2), std::out_of_range);
    click(button(1));
    ASSERT_TRUE(waitForEnd(player()));
    tick();
    ASSERT_TRUE(showsState(1, form->ImgReady));
    const gdi::Handle ready = button(1).Picture().handle();
    tick();
    EXPECT_EQ(button(1).Picture().handle(), ready);
}

}  // namespace
