// Files dropped on a button, on the recording window: one sound, a list
// file, several files that become a new list, and a settings file.
#include <algorithm>
#include <ctime>
#include <regex>

#include "core_test_support.h"

namespace {

using namespace sbtest;
using P = ButtonPicture;

class DropTest : public CoreTest {
protected:
    fs::path lists = dataFolder / "lists";

    void SetUp() override {
        CoreTest::SetUp();
        if (!IsSkipped()) load();
    }
    std::vector<fs::path> listFiles() const {
        std::vector<fs::path> found;
        if (fs::exists(lists))
            for (const auto& entry : fs::directory_iterator(lists)) found.push_back(entry.path());
        std::ranges::sort(found);
        return found;
    }
    void drop(int index, const std::vector<std::string>& files) { DropFiles(index, files); }
};

// One file: what is stored, what the buttons show; players are left alone,
// and the dropped sound plays after a new start.
TEST_F(DropTest, OneFileIsStoredAndShownOnBothTwins) {
    const fs::path inData = dataFolder / "sound" / "Boom_Boom.WAV";
    fs::create_directories(inData.parent_path());
    writeSilentWav(inData, 30000);
    const std::string elsewhere = sound("Other_Thing.mp3"), list = temp.file("Party.TXT");
    writeFile(list, sounds.string() + "/\r\nOther_Thing.mp3");
    struct Row {
        int index;
        std::string file, stored, list, tip;
        P shown;
    };
    const Row rows[] = {
        {103, inData.string(), "[!P!]/sound/Boom_Boom.WAV", "NIL", "Boom Boom", P::Ready},
        {20, elsewhere, elsewhere, "NIL", "Other Thing", P::Ready},
        {6, (media / "eep.wav").string(), (media / "eep.wav").string(), "NIL", "eep", P::Empty},
        {12, list, "PlayList_12", list, "PlayList 12", P::Ready},
        {14, sound("short.mp"), sounds.string() + "/short.mp", "NIL", "short.mp", P::Ready},  // "mp" is in the list
    };
    click(1);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const int n = ButtonNumber(row.index);
        for (int index : {n, n + 100})
            if (index <= 115) window->buttons[index].tag = ErrorMark;
        drop(row.index, {row.file});
        const std::string key = ButtonKey(n);
        EXPECT_EQ(onDisk("snds", key), row.stored);
        EXPECT_EQ(onDisk("lsts", key), row.list);
        EXPECT_EQ(Zpm.colSnds.Item(key), row.list == "NIL" ? row.file : row.stored);
        for (int index : {n, n + 100}) {
            if (index > 115) continue;
            EXPECT_EQ(window->ButtonToolTip(index), row.tip) << index;
            EXPECT_EQ(picture(index), row.shown) << index;
            EXPECT_EQ(window->ButtonTag(index), row.shown == P::Empty ? "Lerror" : "") << index;
        }
        EXPECT_EQ(playing(), "eep.wav");
    }
    EXPECT_TRUE(listFiles().empty());
    LoadSettings();
    click(103);
    EXPECT_EQ(player().FileName(), inData.string());
}

// Files that are no sound, names a list file cannot hold, and a settings
// file that cannot be written: nothing changes, and each fault is told once.
TEST_F(DropTest, FilesThatCannotBeStoredChangeNothing) {
    std::string before = settingsText();
    for (const std::string& file : {sound("refused.wma"), sound("no_extension"), temp.file("a.bmp")}) {
        drop(4, {file, sound("b.wav")});
        drop(4, {file});
    }
    drop(4, {});
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(settingsText(), before);

    // Names with commas or line breaks are told and left out of a new list.
    const std::string comma = sound("b,c.wav"), lineBreak = sound("a\nb.wav");
    drop(3, {sound("a.wav"), comma, sound("d.wav")});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].prompt.find(comma), std::string::npos);
    LoadPlaylist("s3");
    EXPECT_EQ(Zpm.aPlaylist, (std::vector<std::string>{sounds.string() + "/", "a.wav", "d.wav"}));
    before = settingsText();
    drop(4, {comma, lineBreak});
    drop(2, {lineBreak});
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[2].prompt.find(lineBreak), std::string::npos);
    EXPECT_EQ(window->ButtonToolTip(4), EmptyName);
    EXPECT_EQ(window->ButtonToolTip(2), EmptyName);
    EXPECT_EQ(settingsText(), before);

    fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    drop(5, {sound("one.wav")});
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_NE(messages[3].prompt.find(ini.string()), std::string::npos);
    EXPECT_NE(messages[3].prompt.find("ermission"), std::string::npos);
    drop(6, {sound("two.wav")});
    EXPECT_EQ(messages.size(), 4u);  // told once
    EXPECT_EQ(settingsText(), before);
    fs::permissions(ini, fs::perms::owner_all);

    // A list that cannot be written stores nothing.
    fs::remove_all(lists);
    writeFile(lists, "a file where the folder should be");
    drop(7, {sound("a.wav"), sound("b.wav")});
    EXPECT_EQ(onDisk("snds", "s7"), "NIL");
    EXPECT_EQ(window->ButtonToolTip(7), EmptyName);
}

// With a drive in the data folder, as a portable folder written with one:
// "[!P!]" for the data folder in any letter case, "[!D!]" for its drive.
TEST(StoredPaths, MarkersForADataFolderWithADrive) {
    Zpm = ZpmState{};
    Zpm.ApplDataDir = "D:/Tools/zpm";
    const std::pair<const char*, const char*> paths[] = {
        {"d:/tools/ZPM/sound/a.wav", "[!P!]/sound/a.wav"},
        {"D:/Music/b.wav", "[!D!]/Music/b.wav"},
        {"d:/x/D:/Tools/zpm/c.wav", "[!D!]/x/D:/Tools/zpm/c.wav"},
        {"E:/Music/d.wav", "E:/Music/d.wav"},
    };
    for (const auto& [dropped, stored] : paths) EXPECT_EQ(StoredPath(dropped), stored) << dropped;
    Zpm.ApplDataDir = "/home/u/data";
    EXPECT_EQ(StoredPath("/home/u/data/a.wav"), "[!P!]/a.wav");
    EXPECT_EQ(StoredPath("/home/U/data/a.wav"), "/home/U/data/a.wav");  // Linux names count letter case
    Zpm = ZpmState{};
}

std::string stampIn(int seconds) {
    const std::time_t at = std::time(nullptr) + seconds;
    std::tm local{};
    localtime_r(&at, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &local);
    return text;
}

// Every entry is its base folder and the entry; a list file first is one
// entry like any other. No earlier list is ever overwritten.
TEST_F(DropTest, SeveralFilesBecomeANewListThatPlaysEvenAcrossFolders) {
    const std::string first = sound("one/First.wav"), second = sound("one/deeper/Second.mp3");
    const std::string third = sound("two/Third.wav"), fourth = sound("one/list.txt");
    fs::create_directories(lists);
    for (int later : {0, 1})
        for (const char* count : {"", "_2"}) writeFile(lists / ("List_" + stampIn(later) + count + ".txt"), "earlier");
    drop(105, {first, second, third, fourth});
    EXPECT_TRUE(std::regex_match(fs::path(onDisk("lsts", "s5")).filename().string(),
                                 std::regex("List_\\d{8}_\\d{6}(_\\d+)?\\.txt")));
    EXPECT_EQ(readFile(onDisk("lsts", "s5")),
              sounds.string() + "/\r\none/First.wav\r\none/deeper/Second.mp3\r\ntwo/Third.wav\r\none/list.txt");
    EXPECT_EQ(onDisk("snds", "s5"), "PlayList_5");
    EXPECT_EQ(Zpm.colSnds.Item("s5"), "PlayList_5");
    for (int index : {5, 105}) {
        EXPECT_EQ(window->ButtonToolTip(index), "PlayList 5");
        EXPECT_EQ(picture(index), P::Ready);
    }
    click(5);
    for (const std::string& entry : {first, second, third}) {
        EXPECT_EQ(player().FileName(), entry);
        EXPECT_EQ(player().PlayState(), media::kPlaying);
        player().Stop();
        StatusTick();
    }
    drop(6, {fourth, first});
    EXPECT_EQ(onDisk("snds", "s6"), "PlayList_6");
    drop(7, {first, first});
    EXPECT_EQ(readFile(onDisk("lsts", "s7")), sounds.string() + "/one/\r\nFirst.wav\r\nFirst.wav");
    const std::vector<fs::path> all = listFiles();
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(std::ranges::count_if(all, [](const fs::path& f) { return readFile(f) == "earlier"; }), 4);
}

TEST_F(DropTest, SettingsFileIsUsedFromNowOnAndStopsWhatPlays) {
    const std::string one = sound("one.wav");
    load("[snds]\r\ns1=" + one + "\r\n");
    const fs::path other = temp.path() / "Other.INI";
    writeFile(other, "[snds]\r\ns2=" + sound("two.wav") + "\r\n");
    click(1);
    Zpm.bPlaylistOn = true;
    drop(9, {other.string(), one});  // a first ".ini" file is a settings file
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_FALSE(Zpm.bPlaylistOn);
    EXPECT_EQ(Zpm.INI_Name, other.string());
    EXPECT_EQ(onDisk("inifilepath", "path"), other.string());
    EXPECT_EQ(window->ButtonToolTip(1), "eep");
    EXPECT_EQ(window->ButtonToolTip(2), "two");
    EXPECT_EQ(window->ButtonToolTip(9), "eep");
    click(2);
    click(2, 1, 6);
    drop(9, {other.string()});
    EXPECT_EQ(player().PlayState(), media::kPaused);  // paused stays paused

    // Unreadable settings files leave every button empty.
    fs::create_directories(temp.path() / "folder.ini");
    for (const fs::path& dropped : {temp.path() / "folder.ini", temp.path() / "gone.ini"}) {
        drop(1, {dropped.string()});
        EXPECT_EQ(Zpm.INI_Name, dropped.string());
        ASSERT_EQ(Zpm.colSnds.Count(), ButtonCount);
        for (int index = 1; index <= ButtonCount; ++index) EXPECT_EQ(window->ButtonToolTip(index), "eep") << index;
    }
    EXPECT_TRUE(fs::is_directory(temp.path() / "folder.ini"));
}

}  // namespace
