// The real main window's life: start-up with the saved place and mode, the
// close that saves them, the panic key and the question that ends it.
#include <QIcon>
#include <QPixmap>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;
using frmTestLifeCycle = MainWindowTest;

bool iconShows(const forms::Image& image) {
    const QImage expected = forms::toImage(image.Picture()).convertToFormat(QImage::Format_RGB32);
    const QImage shown = window()->windowIcon().pixmap(expected.size()).toImage().convertToFormat(QImage::Format_RGB32);
    return !expected.isNull() && shown == expected;
}

TEST_F(frmTestLifeCycle, FirstStartComesUpAsTheLargeMachineAndClosingStopsAndSaves) {
    Zpm.bTalkOver = Zpm.bPlaylistOn = true;
    frmTest& form = load();
    EXPECT_TRUE(form.Visible());
    EXPECT_FALSE(Zpm.bTalkOver || Zpm.bPlaylistOn);
    EXPECT_EQ(Zpm.iMaschineMode, 1);
    EXPECT_EQ(windowMask(), outlineOf("skins/large_open.bmp"));
    EXPECT_EQ(form.Caption(), "Zirpomat");
    EXPECT_TRUE(iconShows(form.zpmpic));
    EXPECT_FALSE(form.PicLed.Visible());
    EXPECT_NE(form.lblTime.Caption().find(" - "), std::string::npos);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window()->pos(), QPoint(1, 1));  // 10 twips on the nearest whole pixel

    // Closing stops both players and closes the other windows.
    for (int index : {0, 1}) form.wmp(index).setFileName(sound("long.wav"));
    Zpm.bSndListOpen = true;
    form.Unload();
    EXPECT_FALSE(form.Loaded());
    for (int index : {0, 1}) {
        EXPECT_EQ(form.wmp(index).PlayState(), media::kStopped);
        EXPECT_EQ(form.wmp(index).Volume(), media::kSilence);
    }
    EXPECT_EQ(helpUnloads, 1);
    EXPECT_EQ(soundListUnloads, 1);
    EXPECT_EQ(onDisk("ppos", "mp"), "1");
    Zpm.bSndListOpen = false;
    load().Unload();
    EXPECT_EQ(soundListUnloads, 1);  // a closed sound list is not unloaded
}

// Off the screen's edges, or nearer to its bottom and right than the small
// machine's 109 by 123 pixels, the place is saved as 100.
TEST_F(frmTestLifeCycle, ClosingSavesPlacesOffTheScreenEdgesAs100) {
    const int top = forms::ScreenHeight() - 109 * 15, left = forms::ScreenWidth() - 123 * 15;
    ASSERT_GT(left, 0);
    const std::tuple<float, float, std::string, std::string> rows[] = {
        {0, 150, "100", "150"},
        {-300, 0, "100", "100"},
        {top, left, std::to_string(top), std::to_string(left)},
        {top + 15.f, left + 15.f, "100", "100"},
        {300, 450, "300", "450"},
    };
    for (const auto& [y, x, savedY, savedX] : rows) {
        SCOPED_TRACE(savedY + " " + savedX);
        load().Move(x, y);
        form->Unload();
        EXPECT_EQ(onDisk("ppos", "yp"), savedY);
        EXPECT_EQ(onDisk("ppos", "xp"), savedX);
    }
    load();  // the next start comes up where the last one closed
    EXPECT_EQ(form->Top(), 300);
    EXPECT_EQ(form->Left(), 450);
}

TEST_F(frmTestLifeCycle, SavedModeIsRoundedHalfToEvenAndAppliedWhenShown) {
    const std::pair<const char*, std::int16_t> modes[] = {
        {"2.5", 2},       {"3.5", 4},   {"0", 1},       {"abc", 1}, {"7", 7},           {" 3", 3},
        {"4.49", 4},      {"1e10", 1},  {"-0.4", 1},    {"32767.6", 1}, {"-32769", 1},  {"-32768", -32768},
        {"1e999", 1},     {"32767", 32767}, {"-2", -2}};
    const char* skins[] = {"skins/large_folded.bmp", "skins/small_open.bmp", "skins/small_folded.bmp"};
    for (const auto& [text, mode] : modes) {
        SCOPED_TRACE(text);
        writeSettings(std::string("[ppos]\r\nmp=") + text + "\r\n");
        load();
        EXPECT_EQ(Zpm.iMaschineMode, mode);
        EXPECT_EQ(windowMask(), outlineOf(mode >= 2 && mode <= 4 ? skins[mode - 2] : "skins/large_open.bmp"));
        form->Unload();
        EXPECT_EQ(onDisk("ppos", "mp"), std::to_string(mode));
    }
}

TEST_F(frmTestLifeCycle, SavedPositionsThatDoNotFitOrCannotBeReachedFallBackTo10) {
    // The small machine would stick out of the screen's bottom and right.
    const std::string nearBottom = std::to_string(forms::ScreenHeight() - 108 * 15);
    const std::string nearRight = std::to_string(forms::ScreenWidth() - 122 * 15);
    const std::tuple<std::string, std::string, QPoint> cases[] = {
        {nearBottom, nearRight, {1, 1}}, {"1e39", "-1e39", {1, 1}}, {"1e999", "2e308", {1, 1}},
        {"nan", "abc", {0, 0}},          {" 450x", "+300", {20, 30}}, {"-150", "-0.5e3", {1, 1}}};
    for (const auto& [yp, xp, pixels] : cases) {
        SCOPED_TRACE(yp);
        writeSettings("[ppos]\r\nyp=" + yp + "\r\nxp=" + xp + "\r\n");
        load();
        EXPECT_EQ(window()->pos(), pixels);
        form->Unload();
    }
}

TEST_F(frmTestLifeCycle, EscapeDisguisesInTheLanguageOfLangAndNoBringsTheMachineBack) {
    for (const auto& [lang, german] : {std::pair<const char*, bool>{"de", true}, {"de_DE", false}, {nullptr, true},
                                       {"en_US.UTF-8", false}}) {
        SCOPED_TRACE(lang ? lang : "(unset)");
        const ScopedEnv langEnv("LANG", lang);
        messages.clear();
        writeSettings("[ppos]\r\nmp=3\r\n");
        frmTest& form = load();
        EXPECT_EQ(Zpm.sLang, lang ? lang : "de");
        form.wmp(0).setFileName(sound("long.wav"));
        form.wmp(1).setFileName(sound("long.wav"));
        Zpm.bPlaylistOn = Zpm.bSndListOpen = true;
        soundListUnloads = 0;

        pressKey(Qt::Key_A, "a");  // other keys do nothing
        EXPECT_FALSE(Zpm.bPanic);
        pressEscape();
        EXPECT_TRUE(Zpm.bPanic);
        EXPECT_EQ(form.WindowState(), forms::vbMinimized);
        EXPECT_EQ(form.Caption(), german ? "Rechner (Wissenschaftlich)" : "Calc (Scientific)");
        EXPECT_TRUE(iconShows(form.wrdpic));
        EXPECT_TRUE(windowMask().isEmpty());
        EXPECT_EQ(form.wmp(0).PlayState(), media::kStopped);
        EXPECT_EQ(form.wmp(0).Volume(), -600);
        EXPECT_FALSE(Zpm.bPlaylistOn);  // else the next entry would start at once
        EXPECT_EQ(form.wmp(1).PlayState(), media::kPlaying);
        EXPECT_TRUE(messages.empty());

        form.setWindowState(forms::vbNormal);  // answered No
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].prompt, german ? "Programm beenden?" : "Exit Program?");
        EXPECT_EQ(messages[0].title, german ? "Rechner" : "Calculator");
        EXPECT_EQ(messages[0].buttons, forms::vbYesNo);
        EXPECT_FALSE(Zpm.bPanic);
        EXPECT_EQ(form.Caption(), "Zirpomat");
        EXPECT_TRUE(iconShows(form.zpmpic));
        EXPECT_EQ(windowMask(), outlineOf("skins/small_open.bmp"));
        EXPECT_EQ(soundListUnloads, 1);
        form.Unload();
    }
}

// The box of start-up paths, for "/D" or "inideb=1" in the settings file in
// use; it always names the default settings file.
TEST_F(frmTestLifeCycle, StartupPathsBoxForSlashDOrInidebOne) {
    ScopedEnv local("LOCALAPPDATA", "/local/app");
    const fs::path other = temp.path() / "other.ini";
    const std::string redirect = "[inifilepath]\r\npath=" + other.string() + "\r\n";
    const std::tuple<const char*, std::string, const char*, bool> cases[] = {
        {"/d", "", "", false},
        {"/D", "", "", true},
        {"", "[inifilepath]\r\ninideb=1\r\n", "", true},
        {"", redirect + "inideb=1\r\n", "[ppos]\r\nmp=1\r\n", false},  // the redirect's target decides
        {"", redirect, "[inifilepath]\r\ninideb=1\r\n", true}};
    for (const auto& [commandLine, settings, target, shown] : cases) {
        SCOPED_TRACE(commandLine + settings + target);
        writeFile(other, target);
        writeSettings(settings);
        frmTest::links.CommandLine = commandLine;
        messages.clear();
        load().Unload();
        ASSERT_EQ(messages.size(), shown ? 1u : 0u);
        if (!shown) continue;
        EXPECT_EQ(messages[0].title, "INFO");
        EXPECT_EQ(messages[0].buttons, forms::vbInformation | forms::vbOKOnly);
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
    // The child runs this test again from its start: it finds the parent's
    // folder in the environment.
    const char* inherited = std::getenv("ZPM_PANIC_TEST_APPDATA");
    std::optional<TempDir> temp;
    if (!inherited) temp.emplace();
    const fs::path appdata = inherited ? fs::path(inherited) : temp->path() / "appdata";
    ScopedEnv share("ZPM_PANIC_TEST_APPDATA", appdata.string());
    ScopedEnv appdataEnv("APPDATA", appdata.string());
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

}  // namespace
