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

// One file: what is stored, what the buttons show, and what plays.
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
        {20, elsewhere, elsewhere, "NIL", "Other Thing", P::Ready},  // no drive: stored whole
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
        EXPECT_EQ(playing(), "eep.wav");  // a drop leaves the players alone
    }
    EXPECT_EQ(window->ButtonToolTip(5), "eep");
    EXPECT_TRUE(listFiles().empty());

    // What is dropped plays, and a new start keeps it.
    click(103);
    EXPECT_EQ(player().FileName(), inData.string());
    click(112);
    EXPECT_EQ(player().FileName(), elsewhere);
    LoadSettings();
    EXPECT_EQ(Zpm.colSnds.Item("s3"), inData.string());
    EXPECT_EQ(Zpm.colSnds.Item("s20"), elsewhere);
}

TEST_F(DropTest, FilesThatAreNoSoundChangeNothing) {
    const std::string before = settingsText();
    for (const std::string& file : {sound("refused.wma"), sound("no_extension"), temp.file("a.bmp")}) {
        drop(4, {file, sound("b.wav")});
        drop(4, {file});
    }
    drop(4, {});
    EXPECT_EQ(settingsText(), before);
    EXPECT_EQ(window->ButtonToolTip(4), "eep");
    EXPECT_TRUE(listFiles().empty());
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
        {"/home/e.wav", "/home/e.wav"},
    };
    for (const auto& [dropped, stored] : paths) EXPECT_EQ(StoredPath(dropped), stored) << dropped;
    Zpm.ApplDataDir = "/home/u/data";
    EXPECT_EQ(StoredPath("/home/u/data/a.wav"), "[!P!]/a.wav");
    EXPECT_EQ(StoredPath("/home/U/data/a.wav"), "/home/U/data/a.wav");  // Linux names count letter case
    Zpm = ZpmState{};
}

TEST_F(DropTest, SeveralFilesBecomeANewListThatPlaysEvenAcrossFolders) {
    const std::string first = sound("one/First.wav"), second = sound("one/deeper/Second.mp3");
    const std::string third = sound("two/Third.wav"), fourth = sound("one/list.txt");
    drop(105, {first, second, third, fourth});
    const std::vector<fs::path> made = listFiles();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_TRUE(std::regex_match(made[0].filename().string(), std::regex("List_\\d{8}_\\d{6}\\.txt")));
    EXPECT_EQ(readFile(made[0]),
              sounds.string() + "/\r\none/First.wav\r\none/deeper/Second.mp3\r\ntwo/Third.wav\r\none/list.txt");
    EXPECT_EQ(onDisk("snds", "s5"), "PlayList_5");
    EXPECT_EQ(onDisk("lsts", "s5"), made[0].string());
    EXPECT_EQ(Zpm.colSnds.Item("s5"), "PlayList_5");
    for (int index : {5, 105}) {
        EXPECT_EQ(window->ButtonToolTip(index), "PlayList 5");
        EXPECT_EQ(picture(index), P::Ready);
    }

    // Every entry is its base folder and the entry.
    click(5);
    for (const std::string& entry : {first, second, third}) {
        EXPECT_EQ(player().FileName(), entry);
        EXPECT_EQ(player().PlayState(), media::kPlaying);
        player().Stop();
        StatusTick();
    }

    // A list file first is one entry like any other; files of one folder
    // have it as their base.
    drop(6, {fourth, first});
    EXPECT_EQ(onDisk("snds", "s6"), "PlayList_6");
    drop(7, {first, first});
    EXPECT_EQ(readFile(onDisk("lsts", "s7")), sounds.string() + "/one/\r\nFirst.wav\r\nFirst.wav");
    EXPECT_EQ(listFiles().size(), 3u);
}

std::string stampIn(int seconds) {
    const std::time_t at = std::time(nullptr) + seconds;
    std::tm local{};
    localtime_r(&at, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d_%H%M%S", &local);
    return text;
}

TEST_F(DropTest, NoListIsEverOverwritten) {
    const std::string a = sound("a.wav"), b = sound("b.wav");
    // Lists of this second and the next exist already, as after other drops.
    fs::create_directories(lists);
    for (int later : {0, 1})
        for (const char* count : {"", "_2"}) writeFile(lists / ("List_" + stampIn(later) + count + ".txt"), "earlier");
    drop(1, {a, b});
    drop(2, {b, a});
    const std::vector<fs::path> all = listFiles();
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(std::ranges::count_if(all, [](const fs::path& f) { return readFile(f) == "earlier"; }), 4);
    EXPECT_EQ(readFile(onDisk("lsts", "s1")), sounds.string() + "/\r\na.wav\r\nb.wav");
    EXPECT_EQ(readFile(onDisk("lsts", "s2")), sounds.string() + "/\r\nb.wav\r\na.wav");
}

TEST_F(DropTest, AListThatCannotBeWrittenStoresNothing) {
    load("[snds]\r\ns1=" + sound("kept.wav") + "\r\n");
    writeFile(lists, "a file where the folder should be");
    const std::string settings = settingsText();
    drop(1, {sound("a.wav"), sound("b.wav")});
    EXPECT_EQ(settingsText(), settings);
    EXPECT_EQ(Zpm.colSnds.Item("s1"), (sounds / "kept.wav").string());
    EXPECT_EQ(window->ButtonToolTip(1), "kept");
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

    // Paused stays paused.
    click(2);
    click(2, 1, 6);
    drop(9, {other.string()});
    EXPECT_EQ(player().PlayState(), media::kPaused);

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
