// The settings file turned into button assignments, on the recording window;
// stored paths, display names, the title buffer and the playlists' forms.
#include "core_test_support.h"

namespace {

using namespace sbtest;
using P = ButtonPicture;

class SettingsTest : public CoreTest {
protected:
    std::optional<ScopedCurrentFolder> currentFolder;

    void SetUp() override {
        CoreTest::SetUp();
        if (IsSkipped()) return;
        fs::remove(media / "eep.wav");
        writeFile(media / "Ding.WAV", "ding");
        fs::create_directories(temp.path() / "cwd");
        currentFolder.emplace(temp.path() / "cwd");
    }
    void TearDown() override {
        mdINIBas::SetEventPump(nullptr);
        CoreTest::TearDown();
    }
    std::string tip(int index) const { return window->ButtonToolTip(index); }
    void expectAllKeysPresent() {
        ASSERT_EQ(Zpm.colSnds.Count(), ButtonCount);
        for (int n = 1; n <= ButtonCount; ++n) EXPECT_TRUE(Zpm.colSnds.Contains(ButtonKey(n))) << n;
    }
};

TEST_F(SettingsTest, WithoutSettingsEveryButtonIsEmptyAndTheDefaultSoundIsCopied) {
    LoadSettings();
    EXPECT_EQ(Zpm.SystemDir, windir.string());
    EXPECT_EQ(Zpm.ApplDataDir, dataFolder.string());
    EXPECT_EQ(Zpm.INI_Name, ini.string());
    EXPECT_EQ(Zpm.SystemSound, (dataFolder / "eep.wav").string());
    EXPECT_EQ(readFile(Zpm.SystemSound), "ding");
    expectAllKeysPresent();
    for (int n = 1; n <= ButtonCount; ++n) EXPECT_EQ(Zpm.colSnds.Item(ButtonKey(n)), Zpm.SystemSound);
    for (const auto& [index, button] : window->buttons) {
        EXPECT_EQ(button.toolTip, "eep") << index;
        EXPECT_EQ(button.picture, P::Empty) << index;
    }

    // The data folder's own "sound/eep.wav" comes first; a copy made is never replaced.
    fs::create_directories(dataFolder / "sound");
    writeFile(dataFolder / "sound" / "eep.wav", "own beep");
    LoadSettings();
    EXPECT_EQ(readFile(Zpm.SystemSound), "ding");
    fs::remove(Zpm.SystemSound);
    LoadSettings();
    EXPECT_EQ(readFile(Zpm.SystemSound), "own beep");

    // Without any source the copy is skipped and the buttons still load.
    fs::remove(Zpm.SystemSound);
    fs::remove_all(dataFolder / "sound");
    fs::remove(media / "Ding.WAV");
    fs::create_directory(media / "folder.wav");
    load("[snds]\r\ns1=" + sound("a.wav") + "\r\n");
    EXPECT_FALSE(fs::exists(Zpm.SystemSound));
    expectAllKeysPresent();
    EXPECT_EQ(tip(1), "a");
    EXPECT_EQ(tip(2), "eep");
}

TEST_F(SettingsTest, StoredPathsMarkersPlaylistsAndTwins) {
    fs::create_directories(dataFolder / "sound");
    writeFile(dataFolder / "sound" / "boom.wav", "boom");
    writeFile(fs::current_path() / "NIL", "a file that happens to be called NIL");
    writeFile(fs::current_path() / "a.wav", "x");
    writeFile(sounds / "b.wav", "x");
    const std::string boom = dataFolder.string() + "/sound/boom.wav";
    struct Row {
        int n;
        std::string stored, assigned, tip;
    };
    const Row rows[] = {
        {1, "[!P!]/sound/boom.wav", boom, "boom"},
        {2, "[!p!]/sound/boom.wav", boom, "boom"},
        {3, "/no/such/folder/gone.wav", "", "eep"},
        {5, "PlayList_5", "PlayList_5", "PlayList 5"},  // kept whether or not its list exists
        {6, sound("user/eep.wav"), sound("user/eep.wav"), "eep"},  // a user's own eep.wav shows as empty
        {7, sound("EEP.wav"), sound("EEP.wav"), "EEP"},
        {15, sound("Fifteen_Sound.mp3"), sound("Fifteen_Sound.mp3"), "Fifteen Sound"},
        {16, sound("sixteen.mid"), sound("sixteen.mid"), "sixteen"},
        {17, sounds.string(), "", "eep"},  // a folder is no sound file
        {18, "*.wav", "", "eep"},          // existence is tested literally
        {19, (sounds / "?.wav").string(), "", "eep"},
        {20, "a.wav", "a.wav", "a"},  // a relative name is taken as it stands
        {21, "nil", "", "eep"},
        {22, "", "", "eep"},
        {23, "plAYlist_9", "plAYlist_9", "plAYlist 9"},
    };
    std::string settings = "[snds]\r\n";
    for (const Row& row : rows) settings += ButtonKey(row.n) + "=" + row.stored + "\r\n";
    load(settings);
    expectAllKeysPresent();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.n);
        EXPECT_EQ(Zpm.colSnds.Item(ButtonKey(row.n)), row.assigned.empty() ? Zpm.SystemSound : row.assigned);
        EXPECT_EQ(tip(row.n), row.tip);
        EXPECT_EQ(picture(row.n), row.tip == "eep" ? P::Empty : P::Ready);
    }
    EXPECT_EQ(Zpm.colSnds.Item("s75"), Zpm.SystemSound);  // an absent key is no file name
    // Buttons 1 to 15 have twins on the small panel.
    for (int n = 1; n <= TwinCount; ++n) {
        EXPECT_EQ(tip(n + TwinOffset), tip(n)) << n;
        EXPECT_EQ(picture(n + TwinOffset), picture(n)) << n;
    }
    EXPECT_EQ(tip(115), "Fifteen Sound");
}

TEST_F(SettingsTest, RedirectIsFollowedOneLevelAndTakenAsWritten) {
    const fs::path other = temp.path() / "other.ini", third = temp.path() / "third.ini";
    writeFile(other, "[inifilepath]\r\npath=" + third.string() + "\r\n[snds]\r\ns1=" + sound("other.wav") + "\r\n");
    writeFile(third, "[snds]\r\ns1=" + sound("third.wav") + "\r\n");
    load("[inifilepath]\r\npath=" + other.string() + "\r\n[snds]\r\ns1=" + sound("default.wav") + "\r\n");
    EXPECT_EQ(Zpm.INI_Name, other.string());
    EXPECT_EQ(tip(1), "other");

    load("[inifilepath]\r\npath=nil\r\n[snds]\r\ns1=" + sound("default.wav") + "\r\n");
    EXPECT_EQ(Zpm.INI_Name, "nil");
    expectAllKeysPresent();
    EXPECT_EQ(tip(1), "eep");

    // A path gone from its drive is tried on the drive of the settings file
    // in use; names with drives are plain names in the current folder here.
    writeFile("F:\\Music\\a.wav", "x");
    writeFile("F:\\zpm.ini", "[snds]\r\ns8=E:\\Music\\a.wav\r\ns9=E:\\Music\\gone.wav\r\n");
    load("[inifilepath]\r\npath=F:\\zpm.ini\r\n");
    EXPECT_EQ(Zpm.colSnds.Item("s8"), "F:\\Music\\a.wav");
    EXPECT_EQ(tip(8), "a");
    EXPECT_EQ(Zpm.colSnds.Item("s9"), Zpm.SystemSound);
}

TEST_F(SettingsTest, PortableRuleByDriveLetter) {
    LoadSettings("D:\\tools");
    EXPECT_EQ(Zpm.ApplDataDir, "D:\\tools");
    EXPECT_EQ(Zpm.INI_Name, "D:\\tools/zpm.ini");
    EXPECT_EQ(ExpandPathMarkers("[!D!]\\x.wav"), "D:\\x.wav");
    expectAllKeysPresent();
    LoadSettings("c:\\tools");
    EXPECT_EQ(Zpm.ApplDataDir, dataFolder.string());
    EXPECT_EQ(Zpm.INI_Name, ini.string());
}

TEST_F(SettingsTest, RunAgainWhileTheStoreLetsEventsRunEveryRunEndsWithAllKeys) {
    const fs::path other = temp.path() / "other.ini";
    writeFile(other, "[snds]\r\ns1=" + sound("one.wav") + "\r\ns75=" + sound("last.wav") + "\r\n");
    load("[inifilepath]\r\npath=" + other.string() + "\r\n");
    forgetSettings();

    // Each file load lets events run: a handler finds the complete
    // collection every time and asks for the settings once more.
    int pumps = 0, completeSeen = 0;
    mdINIBas::SetEventPump([&] {
        if (Zpm.colSnds.Count() == ButtonCount) ++completeSeen;
        if (pumps++ < 3) LoadSettings();
    });
    LoadSettings();
    EXPECT_GT(pumps, 3);
    EXPECT_EQ(completeSeen, pumps);
    expectAllKeysPresent();
    EXPECT_EQ(Zpm.INI_Name, other.string());
    EXPECT_EQ(tip(1), "one");
    EXPECT_EQ(tip(75), "last");
    EXPECT_EQ(tip(2), "eep");
}

TEST_F(SettingsTest, ASettingsFileDroppedDuringTheWaitHasTheLastWord) {
    const fs::path first = temp.path() / "first.ini", second = temp.path() / "second.ini";
    writeFile(first, "[snds]\r\ns1=" + sound("old.wav") + "\r\n");
    writeFile(second, "[snds]\r\ns1=" + sound("new.wav") + "\r\n");
    load("[inifilepath]\r\npath=" + first.string() + "\r\n");
    EXPECT_EQ(tip(1), "old");
    forgetSettings();

    // While the first redirect file is read, a drop names another one.
    int pumps = 0;
    mdINIBas::SetEventPump([&] {
        if (++pumps == 2) DropFiles(1, std::vector<std::string>{second.string()});
    });
    LoadSettings();
    ASSERT_GE(pumps, 2);
    EXPECT_EQ(Zpm.INI_Name, second.string());
    EXPECT_EQ(Zpm.colSnds.Item("s1"), (sounds / "new.wav").string());
    EXPECT_EQ(tip(1), "new");
    expectAllKeysPresent();
}

TEST(ModZPMNames, MarkersExpandInAnyCaseInOnePass) {
    Zpm = ZpmState{};
    Zpm.ApplDataDir = "/home/u/data";
    const std::pair<const char*, const char*> paths[] = {
        {"[!P!]/sound/boom.wav", "/home/u/data/sound/boom.wav"},
        {"[!p!]/a[!P!]b", "/home/u/data/a/home/u/datab"},
        {"[!d!]/x.wav", "/x.wav"},  // a Linux path has no drive
        {"/plain/path.wav", "/plain/path.wav"},
        {"[!P", "[!P"},
    };
    for (const auto& [stored, path] : paths) EXPECT_EQ(ExpandPathMarkers(stored), path) << stored;
    Zpm.ApplDataDir = "X:\\[!P!][!D!]";  // inserted text is not searched again
    EXPECT_EQ(ExpandPathMarkers("[!P!]|[!D!]"), "X:\\[!P!]X:|X:");
    Zpm = ZpmState{};
}

TEST(ModZPMNames, DisplayNames) {
    const std::pair<const char*, const char*> names[] = {
        {"C:\\Sounds\\My_Song.MP3", "My Song"}, {"PlayList_12", "PlayList 12"}, {"D:\\a.wav.mp3", "a"},
        {"x.midi", "xi"}, {"/a\\b/c_d.Wma", "c d"}, {"/folder/", ""}, {"a.WAV.wma.rmi.mid.mp3_", "a "},
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
    const std::string umlauts = std::string(130, 'a') + "\xC3\xA4";
    SetNowPlaying("/" + umlauts);
    EXPECT_EQ(Zpm.sMarquee, umlauts + "   " + std::string(122, 'a'));
    Zpm = ZpmState{};
}

// Each "lsts" value of a button and the playlist it loads as.
TEST_F(SettingsTest, PlaylistsFromInlineValuesAndListFiles) {
    using List = std::vector<std::string>;
    const List absent{"NIL", "NIL"}, ab{"/music/", "a.mp3", "b.mp3"};
    const fs::path lists = temp.path() / "lists";
    fs::create_directories(lists / "folder.txt");
    const auto file = [&](std::string_view name, std::string_view text) {
        writeFile(lists / name, text);
        return (lists / name).string();
    };
    LoadSettings();
    const std::pair<std::string, List> rows[] = {
        {"/music/,a.mp3,b.mp3", ab},
        {"/music/,a.mp3,", {"/music/", "a.mp3", ""}},
        {"NIL", absent},
        {"", absent},
        {"/music/x.txt ,a.mp3", {"/music/x.txt ", "a.mp3"}},
        {"[!p!]/,a.mp3", {dataFolder.string() + "/", "a.mp3"}},
        {file("Party.TXT", "/music/\r\na.mp3\r\nb.mp3\r\n"), ab},
        {file("c.txt", "/music/\r\na.mp3\r\n\r\n"), {"/music/", "a.mp3", ""}},
        {file("d.txt", "/music/,a.mp3\r\nb.mp3,c.mp3"), {"/music/", "a.mp3", "b.mp3", "c.mp3"}},
        {file("e.txt", "/music/\na.mp3\rb\r\nc.mp3"), {"/music/", "a.mp3\rb", "c.mp3"}},  // a lone CR is no break
        {file("g.txt", "[!P!]/music/\r\n[!p!]/a.mp3\r\n"), {dataFolder.string() + "/music/", dataFolder.string() + "/a.mp3"}},
        {file("lf.txt", "/music/\na.mp3\nb.mp3\n"), ab},  // as Linux editors write them
        {file("empty.txt", ""), absent},
        {file("base.txt", "/music/\r\n"), absent},
        {(lists / "missing.txt").string(), absent},
        {(lists / "folder.txt").string(), absent},
    };
    std::string settings = "[lsts]\r\n";
    for (std::size_t i = 0; i < std::size(rows); ++i) settings += ButtonKey(int(i) + 1) + "=" + rows[i].first + "\r\n";
    writeSettings(settings);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].first);
        Zpm.aPlaylist = {"stale", "entries"};
        LoadPlaylist(ButtonKey(int(i) + 1));
        EXPECT_EQ(Zpm.aPlaylist, rows[i].second);
    }
    LoadPlaylist("s75");
    EXPECT_EQ(Zpm.aPlaylist, absent);
    EXPECT_FALSE(fs::exists(lists / "missing.txt"));
    EXPECT_FALSE(fs::exists(temp.path() / "gone"));
}

}  // namespace
