// The settings file turned into button assignments on the recording window:
// stored paths, display names, the title buffer and the playlists' forms.
#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

class Settings : public CoreTest {
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
    void load(std::string_view settings) {
        writeSettings(settings);
        LoadSettings();
    }
    void expectAllKeysPresent() {
        ASSERT_EQ(Zpm.colSnds.Count(), ButtonCount);
        for (int n = 1; n <= ButtonCount; ++n) EXPECT_TRUE(Zpm.colSnds.Contains(ButtonKey(n))) << n;
    }
};

TEST_F(Settings, WithoutSettingsEveryButtonIsEmptyAndTheDefaultSoundIsCopied) {
    LoadSettings();
    EXPECT_EQ(std::tuple(Zpm.SystemDir, Zpm.ApplDataDir, Zpm.INI_Name, Zpm.SystemSound),
              std::tuple(windir.string(), dataFolder.string(), ini.string(), (dataFolder / "eep.wav").string()));
    EXPECT_EQ(readFile(Zpm.SystemSound), "ding");
    expectAllKeysPresent();
    for (int n = 1; n <= ButtonCount; ++n) EXPECT_EQ(Zpm.colSnds.Item(ButtonKey(n)), Zpm.SystemSound);
    for (const auto& [index, button] : window->buttons)
        EXPECT_EQ(std::pair(button.toolTip, button.picture), std::pair(std::string("eep"), std::optional(P::Empty)));
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
    load("[snds]\ns1=" + sound("a.wav") + "\n");
    EXPECT_FALSE(fs::exists(Zpm.SystemSound));
    expectAllKeysPresent();
    EXPECT_EQ(std::pair(tip(1), tip(2)), std::pair(std::string("a"), std::string("eep")));
}

TEST_F(Settings, StoredPathsMarkersPlaylistsAndTwins) {
    fs::create_directories(dataFolder / "sound");
    writeFile(dataFolder / "sound" / "boom.wav", "boom");
    writeFile(fs::current_path() / "NIL", "a file that happens to be called NIL");
    writeFile(fs::current_path() / "a.wav", "x");
    const std::string boom = dataFolder.string() + "/sound/boom.wav";
    const std::tuple<int, std::string, std::string, std::string> rows[] = {
        {1, "[!P!]/sound/boom.wav", boom, "boom"},
        {2, "[!p!]/sound/boom.wav", boom, "boom"},
        {3, "/no/such/folder/gone.wav", "", "eep"},
        {5, "PlayList_5", "PlayList_5", "PlayList 5"},             // kept whether or not its list exists
        {6, sound("user/eep.wav"), sound("user/eep.wav"), "eep"},  // a user's own eep.wav shows as empty
        {7, sound("EEP.wav"), sound("EEP.wav"), "EEP"},
        {15, mp3("Fifteen_Sound.mp3"), sounds.string() + "/Fifteen_Sound.mp3", "Fifteen Sound"},  // not its tag's title
        {16, sound("sixteen.mid"), sound("sixteen.mid"), "sixteen"},
        {17, sounds.string(), "", "eep"},  // a folder is no sound file
        {18, "*.wav", "", "eep"},          // existence is tested literally
        {19, (sounds / "?.wav").string(), "", "eep"},
        {20, "a.wav", "a.wav", "a"},  // a relative name is taken as it stands
        {21, "nil", "", "eep"},
        {22, "", "", "eep"},
        {23, "plAYlist_9", "plAYlist_9", "plAYlist 9"},
    };
    std::string settings = "[snds]\n";
    for (const auto& [n, stored, assigned, shown] : rows) settings += ButtonKey(n) + "=" + stored + "\n";
    load(settings);
    expectAllKeysPresent();
    for (const auto& [n, stored, assigned, shown] : rows)
        EXPECT_EQ(std::tuple(Zpm.colSnds.Item(ButtonKey(n)), tip(n), picture(n)),
                  std::tuple(assigned.empty() ? Zpm.SystemSound : assigned, shown, shown == "eep" ? P::Empty : P::Ready))
            << n;
    EXPECT_EQ(Zpm.colSnds.Item("s75"), Zpm.SystemSound);  // an absent key is no file name
    // Buttons 1 to 15 have twins on the small panel.
    for (int n = 1; n <= TwinCount; ++n)
        EXPECT_EQ(std::pair(tip(n + TwinOffset), picture(n + TwinOffset)), std::pair(tip(n), picture(n))) << n;
}

TEST_F(Settings, RedirectIsFollowedOneLevelAndTakenAsWritten) {
    const fs::path other = temp.path() / "other.ini", third = temp.path() / "third.ini";
    writeSettings("[inifilepath]\npath=" + third.string() + "\n[snds]\ns1=" + sound("other.wav") + "\n", other);
    writeSettings("[snds]\ns1=" + sound("third.wav") + "\n", third);
    load("[inifilepath]\npath=" + other.string() + "\n[snds]\ns1=" + sound("default.wav") + "\n");
    EXPECT_EQ(std::pair(Zpm.INI_Name, tip(1)), std::pair(other.string(), std::string("other")));
    load("[inifilepath]\npath=nil\n[snds]\ns1=" + sound("default.wav") + "\n");
    EXPECT_EQ(std::pair(Zpm.INI_Name, tip(1)), std::pair(std::string("nil"), std::string("eep")));
    expectAllKeysPresent();
    // A path gone from its drive is tried on the drive of the settings file
    // in use; names with drives are plain names in the current folder here.
    writeFile("F:\\Music\\a.wav", "x");
    writeFile("F:\\zpm.ini", "[snds]\r\ns8=E:\\Music\\a.wav\r\ns9=E:\\Music\\gone.wav\r\n");
    load("[inifilepath]\npath=F:\\zpm.ini\n");
    EXPECT_EQ(std::pair(Zpm.colSnds.Item("s8"), tip(8)), std::pair(std::string("F:\\Music\\a.wav"), std::string("a")));
    EXPECT_EQ(Zpm.colSnds.Item("s9"), Zpm.SystemSound);
}

TEST_F(Settings, PortableRuleByDriveLetter) {
    LoadSettings("D:\\tools");
    EXPECT_EQ(std::pair(Zpm.ApplDataDir, Zpm.INI_Name), std::pair(std::string("D:\\tools"), std::string("D:\\tools/zpm.ini")));
    EXPECT_EQ(ExpandPathMarkers("[!D!]\\x.wav"), "D:\\x.wav");
    expectAllKeysPresent();
    LoadSettings("c:\\tools");
    EXPECT_EQ(std::pair(Zpm.ApplDataDir, Zpm.INI_Name), std::pair(dataFolder.string(), ini.string()));
}

// Each file load lets events run: a handler there finds the complete
// collection every time and may ask for the settings once more, or drop
// another settings file, which has the last word.
TEST_F(Settings, RunAgainWhileTheStoreLetsEventsRun) {
    const fs::path other = temp.path() / "other.ini", second = temp.path() / "second.ini";
    writeSettings("[snds]\ns1=" + sound("one.wav") + "\ns75=" + sound("last.wav") + "\n", other);
    writeSettings("[snds]\ns1=" + sound("new.wav") + "\n", second);
    load("[inifilepath]\npath=" + other.string() + "\n");
    forgetSettings();
    int pumps = 0, completeSeen = 0;
    mdINIBas::SetEventPump([&] {
        if (Zpm.colSnds.Count() == ButtonCount) ++completeSeen;
        if (pumps++ < 3) LoadSettings();
    });
    LoadSettings();
    EXPECT_GT(pumps, 3);
    EXPECT_EQ(completeSeen, pumps);
    expectAllKeysPresent();
    EXPECT_EQ(std::tuple(Zpm.INI_Name, tip(1), tip(75), tip(2)), std::tuple(other.string(), "one", "last", "eep"));
    forgetSettings();
    pumps = 0;
    mdINIBas::SetEventPump([&] {
        if (++pumps == 2) DropFiles(1, std::vector<std::string>{second.string()});
    });
    LoadSettings();
    ASSERT_GE(pumps, 2);
    EXPECT_EQ(std::tuple(Zpm.INI_Name, Zpm.colSnds.Item("s1"), tip(1)),
              std::tuple(second.string(), (sounds / "new.wav").string(), "new"));
    expectAllKeysPresent();
}

// "[!P!]" for the data folder and "[!D!]" for its drive, both ways, in any letter case and in one pass;
// display names without folder and sound extensions; the title buffer.
TEST(ModZPMNames, PathMarkersDisplayNamesAndTheMarquee) {
    Zpm = ZpmState{};
    Zpm.ApplDataDir = "/home/u/data";
    const std::pair<const char*, const char*> expanded[] = {
        {"[!P!]/sound/boom.wav", "/home/u/data/sound/boom.wav"}, {"[!p!]/a[!P!]b", "/home/u/data/a/home/u/datab"},
        {"[!d!]/x.wav", "/x.wav"}, {"/plain/path.wav", "/plain/path.wav"}, {"[!P", "[!P"}};
    for (const auto& [stored, path] : expanded) EXPECT_EQ(ExpandPathMarkers(stored), path) << stored;
    EXPECT_EQ(StoredPath("/home/u/data/a.wav"), "[!P!]/a.wav");
    EXPECT_EQ(StoredPath("/home/U/data/a.wav"), "/home/U/data/a.wav");  // Linux names count letter case
    Zpm.ApplDataDir = "X:\\[!P!][!D!]";  // inserted text is not searched again
    EXPECT_EQ(ExpandPathMarkers("[!P!]|[!D!]"), "X:\\[!P!]X:|X:");
    Zpm.ApplDataDir = "D:/Tools/zpm";  // a portable folder written with a drive
    const std::pair<const char*, const char*> stored[] = {
        {"d:/tools/ZPM/sound/a.wav", "[!P!]/sound/a.wav"}, {"D:/Music/b.wav", "[!D!]/Music/b.wav"},
        {"d:/x/D:/Tools/zpm/c.wav", "[!D!]/x/D:/Tools/zpm/c.wav"}, {"E:/Music/d.wav", "E:/Music/d.wav"}};
    for (const auto& [dropped, path] : stored) EXPECT_EQ(StoredPath(dropped), path) << dropped;
    Zpm = ZpmState{};
    const std::pair<const char*, const char*> names[] = {
        {"C:\\Sounds\\My_Song.MP3", "My Song"}, {"PlayList_12", "PlayList 12"}, {"D:\\a.wav.mp3", "a"},
        {"x.midi", "xi"}, {"/a\\b/c_d.Wma", "c d"}, {"/folder/", ""}, {"a.WAV.wma.rmi.mid.mp3_", "a "},
    };
    for (const auto& [file, name] : names) EXPECT_EQ(SoundDisplayName(file), name) << file;
    // The title, three blanks and the title again, cut or filled to 256 characters, not bytes.
    const std::string x130(130, 'x'), a125 = std::string(125, 'a') + "\xC3\xA4", a130 = std::string(130, 'a') + "\xC3\xA4";
    const std::tuple<std::string, std::string, std::string> rows[] = {
        {"C:\\a\\Hit_Song.mp3", "Hit Song", "Hit Song   Hit Song" + std::string(237, ' ')},
        {"/music/" + x130 + ".wav", x130, x130 + "   " + std::string(123, 'x')},
        {"/" + a125, a125, a125 + "   " + a125 + " "},
        {"/" + a130, a130, a130 + "   " + std::string(122, 'a')},
    };
    for (const auto& [path, title, marquee] : rows) {
        SetNowPlaying(path);
        EXPECT_EQ(std::pair(Zpm.sNowTitle, Zpm.sMarquee), std::pair(title, marquee)) << path;
    }
    Zpm = ZpmState{};
}

// Each "lsts" value of a button and the playlist it loads as.
TEST_F(Settings, PlaylistsFromInlineValuesAndListFiles) {
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
    std::string settings = "[lsts]\n";
    for (std::size_t i = 0; i < std::size(rows); ++i) settings += ButtonKey(int(i) + 1) + "=" + rows[i].first + "\n";
    writeSettings(settings);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        Zpm.aPlaylist = {"stale", "entries"};
        LoadPlaylist(ButtonKey(int(i) + 1));
        EXPECT_EQ(Zpm.aPlaylist, rows[i].second) << rows[i].first;
    }
    LoadPlaylist("s75");
    EXPECT_EQ(Zpm.aPlaylist, absent);
    EXPECT_FALSE(fs::exists(lists / "missing.txt"));
}

}  // namespace
