#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <cstdint>
#include <cstdio>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

bool iconShows(const forms::Image& image) {
    const QImage expected = forms::toImage(image.Picture()).convertToFormat(QImage::Format_RGB32);
    const QImage shown = window()->windowIcon().pixmap(expected.size()).toImage().convertToFormat(QImage::Format_RGB32);
    return !expected.isNull() && shown == expected;
}

using frmTestLifeCycle = MainWindowTest;

TEST_F(frmTestLifeCycle, FirstStartWithoutSettingsComesUpAsTheLargeMachineAndSavesItsPlace) {
    bTalkOver = true;
    bPlaylistOn = true;
    ASSERT_FALSE(fs::exists(ini));
    frmTest& form = load();

    EXPECT_TRUE(form.Visible());
    EXPECT_FALSE(bTalkOver);
    EXPECT_FALSE(bPlaylistOn);
    EXPECT_EQ(sLang, "de");
    EXPECT_EQ(iMaschineMode, 1);
    EXPECT_EQ(windowMask(), outlineOf("skins/large_open.bmp"));
    EXPECT_EQ(form.Caption(), "Zirpomat");
    EXPECT_TRUE(iconShows(form.zpmpic));
    EXPECT_TRUE(bPlayerOk);
    EXPECT_NE(form.lblTime.Caption().find(" - "), std::string::npos);
    EXPECT_TRUE(messages.empty());
    // 10 twips stand on the nearest whole pixel.
    EXPECT_EQ(window()->pos(), QPoint(1, 1));

    form.Unload();  // an unmoved window saves the twips it was given
    EXPECT_EQ(saved("yp"), "10");
    EXPECT_EQ(saved("xp"), "10");
    EXPECT_EQ(saved("mp"), "1");
    EXPECT_EQ(helpUnloads, 1);
    EXPECT_EQ(soundListUnloads, 0);  // the sound list was closed
}

TEST_F(frmTestLifeCycle, ClosingSavesPlacesOffTheScreenEdgesAs100) {
    const int screenWidth = forms::ScreenWidth();
    const int screenHeight = forms::ScreenHeight();
    ASSERT_GT(screenWidth, 0);
    struct Close {
        float top, left;
        std::string yp, xp;
    };
    // The margins at the bottom and right edges are 109 and 123 twips.
    const Close closes[] = {
        {0, 150, "100", "150"},
        {-300, 0, "100", "100"},
        {static_cast<float>(screenHeight - 8 * 15), static_cast<float>(screenWidth - 9 * 15),
         std::to_string(screenHeight - 8 * 15), std::to_string(screenWidth - 9 * 15)},
        {static_cast<float>(screenHeight - 7 * 15), static_cast<float>(screenWidth - 8 * 15), "100", "100"},
        {300, 450, "300", "450"},
    };
    for (const Close& close : closes) {
        SCOPED_TRACE(close.yp + " " + close.xp);
        frmTest& form = load();
        form.Move(close.left, close.top);
        ASSERT_EQ(form.Top(), close.top);
        ASSERT_EQ(form.Left(), close.left);
        form.Unload();
        EXPECT_EQ(saved("yp"), close.yp);
        EXPECT_EQ(saved("xp"), close.xp);
    }
    // The next start comes up where the last one closed.
    frmTest& form = load();
    EXPECT_EQ(form.Top(), 300);
    EXPECT_EQ(form.Left(), 450);
}

TEST_F(frmTestLifeCycle, SavedModeIsRoundedHalfToEvenAndAppliedWhenShown) {
    struct Case {
        const char* mp;
        std::int16_t mode;
    };
    const Case cases[] = {{"2.5", 2}, {"3.5", 4},   {"0", 1},     {"abc", 1},         {"7", 7},
                          {" 3", 3},  {"4.49", 4},  {"1e10", 1},  {"32767.6", 1},     {"-32769", 1},
                          {"40000", 1}, {"1e999", 1}, {"-0.4", 1}, {"-32768", -32768}, {"inf", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mp);
        writeSettings(std::string("[ppos]\r\nmp=") + c.mp + "\r\n");
        frmTest& form = load();
        EXPECT_EQ(iMaschineMode, c.mode);
        const char* skins[] = {"skins/large_folded.bmp", "skins/small_open.bmp", "skins/small_folded.bmp"};
        EXPECT_EQ(windowMask(), outlineOf(c.mode >= 2 && c.mode <= 4 ? skins[c.mode - 2] : "skins/large_open.bmp"));
        form.Unload();
        EXPECT_EQ(saved("mp"), std::to_string(c.mode));
    }
}

TEST_F(frmTestLifeCycle, SavedPositionsThatDoNotFitFallBackTo10) {
    struct Case {
        const char* yp;
        const char* xp;
        std::optional<QPoint> pixels;
    };
    const Case cases[] = {
        {"1e39", "-1e39", QPoint(1, 1)},   // beyond single precision
        {"1e999", "2e308", QPoint(1, 1)},  // beyond double precision
        {"nan", "abc", QPoint(0, 0)},      // no number at the start
        {" 450x", "+300", QPoint(20, 30)},
        {"3e38", "-3e38", std::nullopt},  // fits, far off the screen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.yp);
        writeSettings(std::string("[ppos]\r\nyp=") + c.yp + "\r\nxp=" + c.xp + "\r\n");
        frmTest& form = load();
        if (c.pixels) {
            EXPECT_EQ(window()->pos(), *c.pixels);
        }
        EXPECT_TRUE(form.Visible());
        form.Unload();
    }
}

TEST_F(frmTestLifeCycle, LanguageIsGermanOnlyForLangExactlyDeOrEmpty) {
    struct Case {
        std::optional<std::string> lang;
        bool german;
    };
    const Case cases[] = {{"de", true}, {"de_DE", false}, {"DE", false}, {"", true}, {std::nullopt, true},
                          {"en_US.UTF-8", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lang.value_or("(unset)"));
        const ScopedEnv lang("LANG", c.lang ? c.lang->c_str() : nullptr);
        messages.clear();

        frmTest& form = load();
        EXPECT_EQ(sLang, c.lang && !c.lang->empty() ? *c.lang : "de");
        pressEscape();
        EXPECT_EQ(form.Caption(), c.german ? "Rechner (Wissenschaftlich)" : "Calc (Scientific)");
        form.setWindowState(forms::vbNormal);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].prompt, c.german ? "Programm beenden?" : "Exit Program?");
        EXPECT_EQ(messages[0].title, c.german ? "Rechner" : "Calculator");
        EXPECT_EQ(messages[0].buttons, forms::vbYesNo);
        form.Unload();
    }
}

TEST_F(frmTestLifeCycle, EscapeSilencesAndDisguisesAndNoBringsTheMachineBack) {
    writeSettings("[ppos]\r\nmp=3\r\n");
    const fs::path sound = temp.path() / "long.wav";
    writeSilentWav(sound, 5000);
    frmTest& form = load();
    ASSERT_EQ(iMaschineMode, 3);
    media::MediaPlayer& player = form.wmp(0);
    player.setFileName(sound.string());
    ASSERT_EQ(player.PlayState(), media::kPlaying);
    form.wmp(1).setFileName(sound.string());
    bPlaylistOn = true;
    bSndListOpen = true;

    pressEscape();
    EXPECT_TRUE(bPanic);
    EXPECT_EQ(form.WindowState(), forms::vbMinimized);
    EXPECT_EQ(form.Caption(), "Rechner (Wissenschaftlich)");
    EXPECT_TRUE(iconShows(form.wrdpic));
    EXPECT_TRUE(windowMask().isEmpty());
    EXPECT_EQ(player.PlayState(), media::kStopped);
    EXPECT_EQ(player.Volume(), -600);
    EXPECT_FALSE(bPlaylistOn);  // else the next playlist entry would start at once
    EXPECT_EQ(form.wmp(1).PlayState(), media::kPlaying);
    EXPECT_TRUE(messages.empty());

    // Esc again while disguised repeats the disguise.
    pressEscape();
    EXPECT_TRUE(bPanic);

    answer = forms::vbNo;
    form.setWindowState(forms::vbNormal);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(bPanic);
    EXPECT_TRUE(form.Visible());
    EXPECT_EQ(form.WindowState(), forms::vbNormal);
    EXPECT_EQ(form.Caption(), "Zirpomat");
    EXPECT_TRUE(iconShows(form.zpmpic));
    EXPECT_EQ(iMaschineMode, 3);
    EXPECT_EQ(windowMask(), outlineOf("skins/small_open.bmp"));
    EXPECT_EQ(soundListUnloads, 1);
    EXPECT_FALSE(bSndListOpen);
    EXPECT_EQ(player.PlayState(), media::kStopped);
}

TEST_F(frmTestLifeCycle, UnloadStopsBothPlayersAndClosesTheOtherWindows) {
    const fs::path sound = temp.path() / "long.wav";
    writeSilentWav(sound, 5000);
    frmTest& form = load();
    // Offscreen there is no window manager to keep a window above.
    EXPECT_FALSE(SetTopMost(1, form.hWnd()));
    form.wmp(0).setFileName(sound.string());
    form.wmp(1).setFileName(sound.string());
    bSndListOpen = true;

    form.Unload();
    EXPECT_FALSE(form.Loaded());
    for (int index : {0, 1}) {
        EXPECT_EQ(form.wmp(index).PlayState(), media::kStopped);
        EXPECT_EQ(form.wmp(index).Volume(), media::kSilence);
    }
    EXPECT_EQ(helpUnloads, 1);
    EXPECT_EQ(soundListUnloads, 1);
    EXPECT_TRUE(bSndListOpen);
}

TEST_F(frmTestLifeCycle, StartupPathsBoxForSlashDOrInidebOne) {
    ScopedEnv local("LOCALAPPDATA", "/local/app");
    const std::string expected = "SystemDir = " + windir.string() + "\r\n" +
                                 "ApplDataDir (EnvLocal) = /local/app\r\n" +
                                 "ApplDataDir (EnvUser) = " + appdata.string() + "\r\n" +
                                 "ApplDataDir (PGM) = " + dataFolder.string() + "\r\n" +
                                 "INI_Name = " + ini.string() + "\r\n" +
                                 "SystemSound = " + (dataFolder / "eep.wav").string() + "\r\n";

    frmTest::CommandLine = "/d";
    load().Unload();
    EXPECT_TRUE(messages.empty());

    frmTest::CommandLine = "/D";
    load().Unload();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "INFO");
    EXPECT_EQ(messages[0].buttons, forms::vbInformation | forms::vbOKOnly);
    EXPECT_EQ(messages[0].prompt, expected);

    // From the settings file in use: a redirect's target decides.
    frmTest::CommandLine.clear();
    messages.clear();
    const fs::path other = temp.path() / "other.ini";
    writeSettings("[inifilepath]\r\npath=" + other.string() + "\r\ninideb=1\r\n");
    writeFile(other, "[ppos]\r\nmp=1\r\n");
    load().Unload();
    EXPECT_TRUE(messages.empty());

    writeFile(other, "[inifilepath]\r\ninideb=1\r\n");
    forgetSettings();
    load().Unload();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(INI_Name, other.string());
    EXPECT_EQ(messages[0].prompt, expected);  // still names the default settings file

    messages.clear();
    writeSettings("[inifilepath]\r\ninideb=1\r\n");
    load().Unload();
    EXPECT_EQ(messages.size(), 1u);
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
            iMaschineMode = 2;
            pressEscape();
            form.setWindowState(forms::vbNormal);
            std::_Exit(3);  // the answer Yes did not end the program
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EQ(readFile(ini), before);
}

}  // namespace

TEST_F(frmTestLifeCycle, KeysOtherThanEscapeChangeNothing) {
    frmTest& form = load();
    const QRegion mask = windowMask();
    pressKey(Qt::Key_A, "a");
    pressKey(Qt::Key_Return, "\r");
    EXPECT_FALSE(bPanic);
    EXPECT_EQ(form.Caption(), "Zirpomat");
    EXPECT_EQ(form.WindowState(), forms::vbNormal);
    EXPECT_EQ(windowMask(), mask);
}
