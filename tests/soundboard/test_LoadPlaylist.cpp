#include "soundboard_test_support.h"

namespace {

using namespace sbtest;
using List = std::vector<std::string>;

const List Absent{"NIL", "NIL"};

class LoadPlaylistTest : public DataFolderTest {
protected:
    fs::path lists = temp.path() / "lists";

    void SetUp() override {
        DataFolderTest::SetUp();
        fs::create_directories(lists);
        Zpm.ApplDataDir = dataFolder.string();
        Zpm.INI_Name = ini.string();
        Zpm.aPlaylist = {"stale", "entries"};
    }
    std::string listFile(std::string_view name, std::string_view text) {
        writeFile(lists / name, text);
        return (lists / name).string();
    }
    // Writes the values as the keys s1, s2, ... and expects each to load as
    // the list given for it.
    void expectLists(const std::vector<std::pair<std::string, List>>& cases) {
        std::string text = "[lsts]\r\n";
        for (std::size_t i = 0; i < cases.size(); ++i) text += "s" + std::to_string(i + 1) + "=" + cases[i].first + "\r\n";
        writeSettings(text);
        for (std::size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(cases[i].first);
            LoadPlaylist("s" + std::to_string(i + 1));
            EXPECT_EQ(Zpm.aPlaylist, cases[i].second);
        }
    }
};

TEST_F(LoadPlaylistTest, InlineListsAndTheAbsentValue) {
    expectLists({{"/music/,a.mp3,b.mp3", {"/music/", "a.mp3", "b.mp3"}},
                 {"/music/,a.mp3,", {"/music/", "a.mp3", ""}},
                 {"NIL", Absent},
                 {"nil", Absent},  // one element only: nothing to play
                 {"", Absent},
                 {"/music/x.txt ,a.mp3", {"/music/x.txt ", "a.mp3"}},
                 {"[!p!]/,a.mp3", {Zpm.ApplDataDir + "/", "a.mp3"}}});
    LoadPlaylist("s75");
    EXPECT_EQ(Zpm.aPlaylist, Absent);
}

TEST_F(LoadPlaylistTest, ListFilesSplitAtCrLfAndCommas) {
    const List ab{"/music/", "a.mp3", "b.mp3"};
    expectLists({{listFile("Party.TXT", "/music/\r\na.mp3\r\nb.mp3\r\n"), ab},
                 {listFile("b.txt", "/music/\r\na.mp3\r\nb.mp3"), ab},
                 {listFile("c.txt", "/music/\r\na.mp3\r\n\r\n"), {"/music/", "a.mp3", ""}},
                 {listFile("d.txt", "/music/,a.mp3\r\nb.mp3,c.mp3"), {"/music/", "a.mp3", "b.mp3", "c.mp3"}},
                 // A lone LF ends a line as Linux editors write them; a lone CR
                 // separates nothing.
                 {listFile("e.txt", "/music/\na.mp3\rb\r\nc.mp3"), {"/music/", "a.mp3\rb", "c.mp3"}},
                 {listFile("lf.txt", "/music/\na.mp3\nb.mp3\n"), {"/music/", "a.mp3", "b.mp3"}},
                 // A full path is still an entry after the base folder.
                 {listFile("f.txt", "/music/\r\n/full/path.mp3"), {"/music/", "/full/path.mp3"}},
                 {listFile("g.txt", "[!P!]/music/\r\n[!p!]/a.mp3\r\n"),
                  {Zpm.ApplDataDir + "/music/", Zpm.ApplDataDir + "/a.mp3"}}});
}

TEST_F(LoadPlaylistTest, ListsTooShortToPlayGiveTheAbsentForm) {
    expectLists({{listFile("empty.txt", ""), Absent},
                 {listFile("base.txt", "/music/\r\n"), Absent}});
}

TEST_F(LoadPlaylistTest, UnreadableListFilesGiveTheAbsentFormAndCreateNothing) {
    fs::create_directory(lists / "folder.txt");
    const std::string missing = (lists / "missing.txt").string();
    expectLists({{missing, Absent}, {temp.file("gone/list.txt"), Absent}, {(lists / "folder.txt").string(), Absent}});
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_FALSE(fs::exists(temp.path() / "gone"));
}

TEST_F(LoadPlaylistTest, LongListsIndexBeyondSixteenBits) {
    std::string text = "/music/";
    for (int i = 1; i <= 40000; ++i) text += "\r\n" + std::to_string(i) + ".mp3";
    writeSettings("[lsts]\r\ns1=" + listFile("long.txt", text) + "\r\n");
    LoadPlaylist("s1");
    ASSERT_EQ(Zpm.aPlaylist.size(), 40001u);
    Zpm.iPlIdx = static_cast<std::int32_t>(Zpm.aPlaylist.size() - 1);
    EXPECT_EQ(Zpm.iPlIdx, 40000);
    EXPECT_EQ(Zpm.aPlaylist[static_cast<std::size_t>(Zpm.iPlIdx)], "40000.mp3");
    Zpm.iPlIdx = 0;
}

}  // namespace
