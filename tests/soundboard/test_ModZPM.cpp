#include <unistd.h>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

gdi::Picture filledPicture(std::uint8_t value) {
    gdi::Picture picture(gdi::createBitmap(19, 19));
    for (auto& byte : gdi::bitmapFromHandle(picture.handle())->bits) byte = value;
    return picture;
}

// A folder on the same file system as "/", as an installed program's folder.
std::string folderOnRootFileSystem(const TempDir& temp) {
    for (const std::string& candidate : {temp.path().string(), platform::files::programFolder()})
        if (platform::files::sameFileSystem(candidate, "/")) return candidate;
    return "/";
}

// A new folder on another file system than "/", as a stick would be.
std::optional<fs::path> folderOnOtherFileSystem(const TempDir& temp) {
    for (const std::string& candidate : {std::string("/dev/shm"), temp.path().string(), std::string("/run")}) {
        if (platform::files::sameFileSystem(candidate, "/")) continue;
        fs::path folder = fs::path(candidate) / ("zpm-portable-" + std::to_string(::getpid()));
        std::error_code error;
        if (fs::create_directory(folder, error)) return folder;
    }
    return std::nullopt;
}

class ModZPMTest : public DataFolderTest {
protected:
    std::optional<ScopedCurrentFolder> currentFolder;
    frmTest* form = nullptr;

    void SetUp() override {
        DataFolderTest::SetUp();
        fs::create_directories(temp.path() / "cwd");
        currentFolder.emplace(temp.path() / "cwd");
        writeFile(media / "Ding.WAV", "ding");
        forms::startRuntime();
        form = &frmTest::instance();
        form->ImgEmpty.setPicture(filledPicture(0x10));
        form->ImgReady.setPicture(filledPicture(0x80));
    }
    void TearDown() override { mdINIBas::SetEventPump(nullptr); }

    void loadFromSystemDrive() { LoadSettings(folderOnRootFileSystem(temp)); }

    std::string tip(int index) { return form->Image1[index].ToolTipText(); }
    bool shows(int index, const forms::Image& state) { return samePicture(form->Image1[index].Picture(), state.Picture()); }
    bool showsEmpty(int index) { return shows(index, form->ImgEmpty); }
    bool showsReady(int index) { return shows(index, form->ImgReady); }

    void expectAllKeysPresent() {
        ASSERT_EQ(Zpm.colSnds.Count(), 75);
        for (int n = 1; n <= 75; ++n) EXPECT_TRUE(Zpm.colSnds.Contains("s" + std::to_string(n))) << n;
    }
};

TEST_F(ModZPMTest, WithoutSettingsEveryButtonIsEmptyAndTheDefaultSoundIsCopied) {
    loadFromSystemDrive();
    EXPECT_EQ(Zpm.SystemDir, windir.string());
    EXPECT_EQ(Zpm.ApplDataDir, dataFolder.string());
    EXPECT_TRUE(fs::is_directory(dataFolder));
    EXPECT_EQ(Zpm.INI_Name, ini.string());
    EXPECT_EQ(Zpm.SystemSound, (dataFolder / "eep.wav").string());
    EXPECT_EQ(readFile(Zpm.SystemSound), "ding");

    expectAllKeysPresent();
    for (int n = 1; n <= 75; ++n) EXPECT_EQ(Zpm.colSnds.Item("s" + std::to_string(n)), Zpm.SystemSound);
    for (int index : {1, 15, 16, 75, 101, 115}) {
        EXPECT_EQ(tip(index), "eep") << index;
        EXPECT_TRUE(showsEmpty(index)) << index;
    }
}

TEST_F(ModZPMTest, DefaultSoundComesFromTheDataFoldersSoundFolderFirstAndIsNeverReplaced) {
    fs::create_directories(dataFolder / "sound");
    writeFile(dataFolder / "sound" / "eep.wav", "own beep");
    loadFromSystemDrive();
    EXPECT_EQ(readFile(Zpm.SystemSound), "own beep");

    writeFile(Zpm.SystemSound, "edited");
    loadFromSystemDrive();
    EXPECT_EQ(readFile(Zpm.SystemSound), "edited");
}

TEST_F(ModZPMTest, WithoutASourceTheCopyIsSkippedAndButtonsStillLoad) {
    fs::remove(media / "Ding.WAV");
    fs::create_directory(media / "folder.wav");
    writeSettings("[snds]\r\ns1=" + sound("a.wav") + "\r\n");
    loadFromSystemDrive();
    EXPECT_FALSE(fs::exists(Zpm.SystemSound));
    expectAllKeysPresent();
    EXPECT_EQ(tip(1), "a");
    EXPECT_EQ(tip(2), "eep");
}

TEST_F(ModZPMTest, StoredPathsMarkersPlaylistsAndTwins) {
    fs::create_directories(dataFolder / "sound");
    writeFile(dataFolder / "sound" / "boom.wav", "boom");
    fs::create_directories(sounds / "user");
    writeSettings("[snds]\r\n"
                         "s1=[!P!]/sound/boom.wav\r\n"
                         "s2=[!p!]/sound/boom.wav\r\n"
                         "s3=/no/such/folder/gone.wav\r\n"
                         "s5=PlayList_5\r\n"
                         "s6=" + sound("user/eep.wav") + "\r\n"
                         "s7=" + sound("EEP.wav") + "\r\n"
                         "s15=" + sound("Fifteen_Sound.mp3") + "\r\n"
                         "s16=" + sound("sixteen.mid") + "\r\n"
                         "s17=" + sounds.string() + "\r\n");
    loadFromSystemDrive();
    expectAllKeysPresent();

    struct Button {
        int index;
        std::string sound, tip;
        bool ready;
    };
    const std::string boom = Zpm.ApplDataDir + "/sound/boom.wav";
    const Button buttons[] = {
        {1, boom, "boom", true},
        {2, boom, "boom", true},
        {3, Zpm.SystemSound, "eep", false},
        {5, "PlayList_5", "PlayList 5", true},  // kept whether or not its list exists
        {6, (sounds / "user" / "eep.wav").string(), "eep", false},  // a user's own eep.wav shows as empty
        {7, (sounds / "EEP.wav").string(), "EEP", true},
        {15, (sounds / "Fifteen_Sound.mp3").string(), "Fifteen Sound", true},
        {16, (sounds / "sixteen.mid").string(), "sixteen", true},
        {17, Zpm.SystemSound, "eep", false},  // a folder is not a sound file
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.index);
        EXPECT_EQ(Zpm.colSnds.Item("s" + std::to_string(b.index)), b.sound);
        EXPECT_EQ(tip(b.index), b.tip);
        EXPECT_EQ(showsReady(b.index), b.ready);
        EXPECT_EQ(showsEmpty(b.index), !b.ready);
    }
    // Buttons 1 to 15 have twins on the small panel, button 16 has none.
    EXPECT_EQ(tip(115), "Fifteen Sound");
    EXPECT_TRUE(showsReady(115));
    for (int index = 101; index <= 115; ++index) {
        EXPECT_EQ(tip(index), tip(index - 100)) << index;
        EXPECT_EQ(showsReady(index), showsReady(index - 100)) << index;
        EXPECT_NE(tip(index), "sixteen") << index;
    }
    EXPECT_FALSE(form->Image1.exists(116));
}

TEST_F(ModZPMTest, ExistenceIsTestedLiterallyAndAnAbsentKeyIsNoFileName) {
    const fs::path cwd = fs::current_path();
    writeFile(cwd / "NIL", "a file that happens to be called NIL");
    writeFile(cwd / "a.wav", "x");
    writeFile(sounds / "b.wav", "x");
    writeSettings("[snds]\r\ns1=*.wav\r\ns2=" + (sounds / "?.wav").string() + "\r\ns3=a.wav\r\ns4=nil\r\n");
    loadFromSystemDrive();
    EXPECT_EQ(Zpm.colSnds.Item("s1"), Zpm.SystemSound);
    EXPECT_EQ(Zpm.colSnds.Item("s2"), Zpm.SystemSound);
    EXPECT_EQ(Zpm.colSnds.Item("s3"), "a.wav");  // a relative name is taken as it stands
    EXPECT_EQ(Zpm.colSnds.Item("s4"), Zpm.SystemSound);
    EXPECT_EQ(Zpm.colSnds.Item("s5"), Zpm.SystemSound);
    EXPECT_EQ(tip(5), "eep");
}

TEST_F(ModZPMTest, RedirectIsFollowedOneLevelAndTakenAsWritten) {
    const fs::path other = temp.path() / "other.ini";
    const fs::path third = temp.path() / "third.ini";
    writeSettings("[inifilepath]\r\npath=" + other.string() + "\r\n[snds]\r\ns1=" + sound("default.wav") + "\r\n");
    writeFile(other, "[inifilepath]\r\npath=" + third.string() + "\r\n[snds]\r\ns1=" + sound("other.wav") + "\r\n");
    writeFile(third, "[snds]\r\ns1=" + sound("third.wav") + "\r\n");
    loadFromSystemDrive();
    EXPECT_EQ(Zpm.INI_Name, other.string());
    EXPECT_EQ(tip(1), "other");

    writeSettings("[inifilepath]\r\npath=nil\r\n[snds]\r\ns1=" + sound("default.wav") + "\r\n");
    loadFromSystemDrive();
    EXPECT_EQ(Zpm.INI_Name, "nil");
    expectAllKeysPresent();
    for (int index : {1, 2, 75, 101}) EXPECT_EQ(tip(index), "eep");
}

TEST_F(ModZPMTest, MissingPathIsRepairedToTheSettingsFilesDrive) {
    // Paths written on a system with drives: here they are plain names in
    // the current folder, which the literal existence test finds.
    writeFile("F:\\Music\\a.wav", "x");
    writeFile("F:\\zpm.ini", "[snds]\r\ns8=E:\\Music\\a.wav\r\ns9=E:\\Music\\gone.wav\r\n");
    writeSettings("[inifilepath]\r\npath=F:\\zpm.ini\r\n");
    loadFromSystemDrive();
    EXPECT_EQ(Zpm.INI_Name, "F:\\zpm.ini");
    EXPECT_EQ(Zpm.colSnds.Item("s8"), "F:\\Music\\a.wav");
    EXPECT_EQ(tip(8), "a");
    EXPECT_EQ(Zpm.colSnds.Item("s9"), Zpm.SystemSound);
}

TEST_F(ModZPMTest, PortableRuleByDriveLetter) {
    LoadSettings("D:\\tools");
    EXPECT_EQ(Zpm.ApplDataDir, "D:\\tools");
    EXPECT_EQ(Zpm.INI_Name, "D:\\tools/zpm.ini");
    EXPECT_EQ(ExpandPathMarkers("[!D!]\\x.wav"), "D:\\x.wav");
    expectAllKeysPresent();

    LoadSettings("c:\\tools");
    EXPECT_EQ(Zpm.ApplDataDir, dataFolder.string());
    EXPECT_EQ(Zpm.INI_Name, ini.string());
}

TEST_F(ModZPMTest, PortableRuleByFileSystem) {
    const std::string installed = folderOnRootFileSystem(temp);
    LoadSettings(installed);
    EXPECT_EQ(Zpm.ApplDataDir, dataFolder.string());

    const std::optional<fs::path> stick = folderOnOtherFileSystem(temp);
    if (!stick) GTEST_SKIP() << "no writable folder on another file system than /";
    writeFile(*stick / "zpm.ini", "[snds]\r\ns1=[!P!]/boom.wav\r\n");
    writeFile(*stick / "boom.wav", "boom");
    LoadSettings(stick->string());
    const std::string stickApplDataDir = Zpm.ApplDataDir, stickIni = Zpm.INI_Name, stickS1 = Zpm.colSnds.Item("s1");
    const std::string copied = readFile(*stick / "eep.wav");
    fs::remove_all(*stick);
    EXPECT_EQ(stickApplDataDir, stick->string());
    EXPECT_EQ(stickIni, (*stick / "zpm.ini").string());
    EXPECT_EQ(stickS1, (*stick / "boom.wav").string());
    EXPECT_EQ(copied, "ding");
}

TEST_F(ModZPMTest, RunAgainWhileTheStoreLetsEventsRunEveryRunEndsWithAllKeys) {
    const fs::path other = temp.path() / "other.ini";
    writeSettings("[inifilepath]\r\npath=" + other.string() + "\r\n");
    writeFile(other, "[snds]\r\ns1=" + sound("one.wav") + "\r\ns75=" + sound("last.wav") + "\r\n");
    loadFromSystemDrive();
    expectAllKeysPresent();
    forgetSettings();

    // Each file load lets events run: a handler finds the complete
    // collection every time and asks for the settings once more.
    int pumps = 0, completeSeen = 0;
    mdINIBas::SetEventPump([&] {
        if (Zpm.colSnds.Count() == 75) ++completeSeen;
        if (pumps++ < 3) loadFromSystemDrive();
    });
    loadFromSystemDrive();
    mdINIBas::SetEventPump(nullptr);

    EXPECT_GT(pumps, 3);
    EXPECT_EQ(completeSeen, pumps);
    expectAllKeysPresent();
    EXPECT_EQ(Zpm.INI_Name, other.string());
    EXPECT_EQ(tip(1), "one");
    EXPECT_EQ(tip(75), "last");
    EXPECT_EQ(tip(2), "eep");
}

TEST_F(ModZPMTest, ASettingsFileDroppedDuringTheWaitHasTheLastWord) {
    const fs::path first = temp.path() / "first.ini";
    const fs::path second = temp.path() / "second.ini";
    writeSettings("[inifilepath]\r\npath=" + first.string() + "\r\n");
    writeFile(first, "[snds]\r\ns1=" + sound("old.wav") + "\r\n");
    writeFile(second, "[snds]\r\ns1=" + sound("new.wav") + "\r\n");
    loadFromSystemDrive();
    EXPECT_EQ(tip(1), "old");
    forgetSettings();

    // While the first redirect file is read, a drop writes a new redirect
    // and loads the settings again.
    int pumps = 0;
    mdINIBas::SetEventPump([&] {
        if (++pumps != 2) return;
        mdINIBas::SetIniValue("inifilepath", "path", second.string(), ini.string());
        loadFromSystemDrive();
    });
    loadFromSystemDrive();
    mdINIBas::SetEventPump(nullptr);

    ASSERT_GE(pumps, 2);
    EXPECT_EQ(Zpm.INI_Name, second.string());
    EXPECT_EQ(Zpm.colSnds.Item("s1"), (sounds / "new.wav").string());
    EXPECT_EQ(tip(1), "new");
    expectAllKeysPresent();
}

TEST(ModZPMNames, MarkersExpandInAnyCaseInOnePass) {
    Zpm.ApplDataDir = "/home/u/.local/share/Ostrolab/zirpomat";
    EXPECT_EQ(ExpandPathMarkers("[!P!]/sound/boom.wav"), Zpm.ApplDataDir + "/sound/boom.wav");
    EXPECT_EQ(ExpandPathMarkers("[!p!]/a[!P!]b"), Zpm.ApplDataDir + "/a" + Zpm.ApplDataDir + "b");
    EXPECT_EQ(ExpandPathMarkers("[!d!]/x.wav"), "/x.wav");  // a Linux path has no drive
    EXPECT_EQ(ExpandPathMarkers("/plain/path.wav"), "/plain/path.wav");
    EXPECT_EQ(ExpandPathMarkers("[!P"), "[!P");

    // Inserted text is not searched again.
    Zpm.ApplDataDir = "X:\\[!P!][!D!]";
    EXPECT_EQ(ExpandPathMarkers("[!P!]|[!D!]"), "X:\\[!P!]X:|X:");
}

TEST(ModZPMNames, DisplayNames) {
    const std::pair<const char*, const char*> names[] = {
        {"C:\\Sounds\\My_Song.MP3", "My Song"}, {"/home/u/Sounds/My_Song.MP3", "My Song"},
        {"PlayList_12", "PlayList 12"},           {"/home/u/.local/share/Ostrolab/zirpomat/eep.wav", "eep"},
        {"D:\\a.wav.mp3", "a"},                   {"x.midi", "xi"},
        {"/a\\b/c_d.Wma", "c d"},                 {"/a/b\\song.RMI", "song"},
        {"/folder/", ""},
    };
    for (const auto& [file, name] : names) EXPECT_EQ(SoundDisplayName(file), name) << file;
}

TEST(ModZPMNames, NowPlayingFillsTheMarqueeToItsFixedLength) {
    SetNowPlaying("C:\\a\\Hit_Song.mp3");
    EXPECT_EQ(Zpm.sNowTitle, "Hit Song");
    EXPECT_EQ(Zpm.sMarquee, "Hit Song   Hit Song" + std::string(237, ' '));

    const std::string longName(130, 'x');
    SetNowPlaying("/music/" + longName + ".wav");
    EXPECT_EQ(Zpm.sNowTitle, longName);
    EXPECT_EQ(Zpm.sMarquee, longName + "   " + std::string(123, 'x'));

    // The length counts characters, not bytes.
    const std::string umlaut = std::string(125, 'a') + "\xC3\xA4";
    SetNowPlaying("/" + umlaut);
    EXPECT_EQ(Zpm.sMarquee, umlaut + "   " + umlaut + " ");
    const std::string umlauts = std::string(2 * 130, 'a') + "\xC3\xA4";
    SetNowPlaying("/" + umlauts.substr(130));
    EXPECT_EQ(Zpm.sMarquee, umlauts.substr(130) + "   " + std::string(122, 'a'));
}

}  // namespace

TEST_F(ModZPMTest, LoadingLeavesPlaybackStateAndTagsAlone) {
    Zpm.iCurBtn = 7;
    Zpm.iPlIdx = 3;
    Zpm.bPlaylistOn = true;
    Zpm.aPlaylist = {"/music/", "a.mp3", "b.mp3"};
    form->Image1[4].setTag("Lerror");
    loadFromSystemDrive();
    EXPECT_EQ(Zpm.iCurBtn, 7);
    EXPECT_EQ(Zpm.iPlIdx, 3);
    EXPECT_TRUE(Zpm.bPlaylistOn);
    EXPECT_EQ(Zpm.aPlaylist.size(), 3u);
    EXPECT_EQ(form->Image1[4].Tag(), "Lerror");
    form->Image1[4].setTag("");
    Zpm.bPlaylistOn = false;
    Zpm.iCurBtn = 0;
}
