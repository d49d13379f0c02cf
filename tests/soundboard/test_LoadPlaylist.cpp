#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "ModZPM.h"
#include "temp_dir.h"

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::writeFile;
using List = std::vector<std::string>;

namespace {

const List Absent{"NIL", "NIL"};

class LoadPlaylistTest : public ::testing::Test {
protected:
    TempDir temp;
    fs::path lists = temp.path() / "lists";

    void SetUp() override {
        fs::create_directories(lists);
        ApplDataDir = temp.file("data");
        INI_Name = temp.file("zpm.ini");
        aPlaylist = {"stale", "entries"};
    }
    // The settings file for the keys s1, s2, ... in order.
    void writeLists(const List& values) {
        std::string text = "[lsts]\r\n";
        for (std::size_t i = 0; i < values.size(); ++i) text += "s" + std::to_string(i + 1) + "=" + values[i] + "\r\n";
        writeFile(INI_Name, text);
    }
    std::string listFile(std::string_view name, std::string_view text) {
        writeFile(lists / name, text);
        return (lists / name).string();
    }
    List load(std::string_view key) {
        LoadPlaylist(key);
        return aPlaylist;
    }
};

TEST_F(LoadPlaylistTest, InlineListsAndTheAbsentValue) {
    writeLists({"/music/,a.mp3,b.mp3", "/music/,a.mp3,", "NIL", "nil", "", "/music/x.txt ,a.mp3", "[!p!]/,a.mp3"});
    EXPECT_EQ(load("s1"), (List{"/music/", "a.mp3", "b.mp3"}));
    EXPECT_EQ(load("s2"), (List{"/music/", "a.mp3", ""}));
    EXPECT_EQ(load("s3"), Absent);
    EXPECT_EQ(load("s4"), Absent);  // one element only: nothing to play
    EXPECT_EQ(load("s5"), Absent);
    EXPECT_EQ(load("s6"), (List{"/music/x.txt ", "a.mp3"}));
    EXPECT_EQ(load("s7"), (List{ApplDataDir + "/", "a.mp3"}));
    EXPECT_EQ(load("s75"), Absent);
}

TEST_F(LoadPlaylistTest, ListFilesSplitAtCrLfAndCommas) {
    writeLists({listFile("Party.TXT", "/music/\r\na.mp3\r\nb.mp3\r\n"), listFile("b.txt", "/music/\r\na.mp3\r\nb.mp3"),
                listFile("c.txt", "/music/\r\na.mp3\r\n\r\n"), listFile("d.txt", "/music/,a.mp3\r\nb.mp3,c.mp3"),
                listFile("e.txt", "/music/\na.mp3\rb\r\nc.mp3"), listFile("f.txt", "/music/\r\n/full/path.mp3"),
                listFile("g.txt", "[!P!]/music/\r\n[!p!]/a.mp3\r\n")});
    EXPECT_EQ(load("s1"), (List{"/music/", "a.mp3", "b.mp3"}));
    EXPECT_EQ(load("s2"), (List{"/music/", "a.mp3", "b.mp3"}));
    EXPECT_EQ(load("s3"), (List{"/music/", "a.mp3", ""}));
    EXPECT_EQ(load("s4"), (List{"/music/", "a.mp3", "b.mp3", "c.mp3"}));
    // A lone LF or CR separates nothing.
    EXPECT_EQ(load("s5"), (List{"/music/\na.mp3\rb", "c.mp3"}));
    // A full path is still an entry after the base folder.
    EXPECT_EQ(load("s6"), (List{"/music/", "/full/path.mp3"}));
    EXPECT_EQ(load("s7"), (List{ApplDataDir + "/music/", ApplDataDir + "/a.mp3"}));
}

TEST_F(LoadPlaylistTest, ListsTooShortToPlayGiveTheAbsentForm) {
    writeLists({listFile("lf.txt", "/music/\na.mp3\nb.mp3\n"), listFile("empty.txt", ""),
                listFile("base.txt", "/music/\r\n")});
    EXPECT_EQ(load("s1"), Absent);
    EXPECT_EQ(load("s2"), Absent);
    EXPECT_EQ(load("s3"), Absent);
}

TEST_F(LoadPlaylistTest, UnreadableListFilesGiveTheAbsentFormAndCreateNothing) {
    fs::create_directory(lists / "folder.txt");
    const std::string missing = (lists / "missing.txt").string();
    const std::string inMissingFolder = temp.file("gone/list.txt");
    writeLists({missing, inMissingFolder, (lists / "folder.txt").string()});
    EXPECT_EQ(load("s1"), Absent);
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(load("s2"), Absent);
    EXPECT_FALSE(fs::exists(temp.path() / "gone"));
    EXPECT_EQ(load("s3"), Absent);
}

TEST_F(LoadPlaylistTest, LongListsIndexBeyondSixteenBits) {
    std::string text = "/music/";
    for (int i = 1; i <= 40000; ++i) text += "\r\n" + std::to_string(i) + ".mp3";
    writeLists({listFile("long.txt", text)});
    LoadPlaylist("s1");
    ASSERT_EQ(aPlaylist.size(), 40001u);
    iPlIdx = static_cast<std::int32_t>(aPlaylist.size() - 1);
    EXPECT_EQ(iPlIdx, 40000);
    EXPECT_EQ(aPlaylist[static_cast<std::size_t>(iPlIdx)], "40000.mp3");
    iPlIdx = 0;
}

}  // namespace
