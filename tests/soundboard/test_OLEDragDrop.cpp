// Drops on the real sound buttons: one sound, a list file, several files
// that become a new list, a settings file, and data that holds no files.
#include <QImage>
#include <algorithm>
#include <ctime>
#include <regex>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

class DropTest : public MainWindowTest {
protected:
    fs::path lists = dataFolder / "lists";

    // A value as the settings file on disk holds it.
    std::string onDisk(std::string_view section, std::string_view key) {
        forgetSettings();
        return mdINIBas::GetIniValue(section, key, "NIL", ini.string());
    }

    std::vector<fs::path> listFiles() const {
        std::vector<fs::path> found;
        if (!fs::exists(lists)) return found;
        for (const auto& entry : fs::directory_iterator(lists)) found.push_back(entry.path());
        std::sort(found.begin(), found.end());
        return found;
    }
};

TEST_F(DropTest, DataWithoutLocalFilesIsRefusedWithAMessage) {
    start();
    const std::string settings = settingsText();
    QMimeData text;
    text.setText("some text");
    dropData(button(1), text);
    QMimeData web;
    web.setUrls({QUrl("https://example.org/sound.wav")});
    dropData(button(2), web);
    QMimeData picture;
    picture.setImageData(QImage(4, 4, QImage::Format_RGB32));
    dropData(button(3), picture);

    ASSERT_EQ(messages.size(), 3u);
    for (const forms::MessageRequest& message : messages) {
        EXPECT_EQ(message.prompt, "Falsches Format - Erwarte Dateiname");
        EXPECT_EQ(message.title, "Fehler");
        EXPECT_EQ(message.buttons, forms::vbOKOnly);
    }
    EXPECT_EQ(settingsText(), settings);
    EXPECT_EQ(button(1).ToolTipText(), "eep");
}

TEST_F(DropTest, OneSoundIsStoredWithTheDataFolderMarkerOrWhole) {
    start();
    const fs::path inData = dataFolder / "sound" / "Boom_Boom.WAV";
    fs::create_directories(inData.parent_path());
    writeSilentWav(inData, 1000);
    const std::string elsewhere = sound("Other_Thing.mp3");
    const std::string wma = sound("refused.wma");

    button(3).setTag("Lerror");
    dropFiles(button(103), {inData});
    EXPECT_EQ(onDisk("snds", "s3"), "[!P!]/sound/Boom_Boom.WAV");
    EXPECT_EQ(Zpm.colSnds.Item("s3"), inData.string());
    for (int index : {3, 103}) {
        EXPECT_EQ(button(index).ToolTipText(), "Boom Boom");
        EXPECT_TRUE(showsState(index, form->ImgReady));
        EXPECT_EQ(button(index).Tag(), "");
    }

    dropFiles(button(20), {elsewhere});
    EXPECT_EQ(onDisk("snds", "s20"), elsewhere);  // a Linux path has no drive: stored whole
    EXPECT_EQ(button(20).ToolTipText(), "Other Thing");
    EXPECT_EQ(button(5).ToolTipText(), "eep");

    const std::string before = settingsText();
    dropFiles(button(4), {wma});
    EXPECT_EQ(settingsText(), before);
    EXPECT_EQ(button(4).ToolTipText(), "eep");
    EXPECT_TRUE(messages.empty());

    // The default sound's name marks an empty button.
    dropFiles(button(6), {media / "eep.wav"});
    EXPECT_TRUE(showsState(6, form->ImgEmpty));
    EXPECT_EQ(button(6).ToolTipText(), "eep");

    // A click plays what was dropped, and a restart keeps it.
    click(button(3));
    EXPECT_EQ(player().FileName(), inData.string());
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    form->Unload();
    start(readFile(ini));
    EXPECT_EQ(Zpm.colSnds.Item("s3"), inData.string());
    EXPECT_EQ(Zpm.colSnds.Item("s20"), elsewhere);
}

// A data folder with a drive, as a portable folder written with one:
// "[!P!]" for the data folder in any letter case, "[!D!]" for the rest of
// its drive, other drives whole.
TEST_F(DropTest, BothMarkersForADataFolderWithADrive) {
    start();
    ScopedCurrentFolder here(temp.path());
    LoadSettings("D:/Tools/zpm");
    ASSERT_EQ(Zpm.ApplDataDir, "D:/Tools/zpm");
    struct Drop {
        std::string dropped, stored, played;
    };
    const Drop drops[] = {
        {"d:/tools/ZPM/sound/a.wav", "[!P!]/sound/a.wav", "D:/Tools/zpm/sound/a.wav"},
        {"D:/Music/b.wav", "[!D!]/Music/b.wav", "D:/Music/b.wav"},
        {"d:/x/D:/Tools/zpm/c.wav", "[!D!]/x/D:/Tools/zpm/c.wav", "D:/x/D:/Tools/zpm/c.wav"},
        {"E:/Music/d.wav", "E:/Music/d.wav", "E:/Music/d.wav"},
        {"/home/e.wav", "/home/e.wav", "/home/e.wav"},
    };
    int n = 30;
    for (const Drop& drop : drops) {
        SCOPED_TRACE(drop.dropped);
        const std::string key = "s" + std::to_string(n);
        button(n).onDragDrop(forms::DataObject({drop.dropped}), forms::MouseEvent{});
        EXPECT_EQ(mdINIBas::GetIniValue("snds", key, "NIL", Zpm.INI_Name), drop.stored);
        EXPECT_EQ(ExpandPathMarkers(drop.stored), drop.played);
        EXPECT_EQ(Zpm.colSnds.Item(key), drop.dropped);
        ++n;
    }
    LoadSettings();
}

TEST_F(DropTest, AListFileBecomesTheButtonsPlaylist) {
    start();
    const fs::path folder = temp.path() / "party";
    fs::create_directories(folder);
    writeSilentWav(folder / "a.wav", 30000);
    const fs::path list = temp.path() / "Party.TXT";
    writeFile(list, folder.string() + "/\r\na.wav");

    dropFiles(button(12), {list});
    EXPECT_EQ(onDisk("snds", "s12"), "PlayList_12");
    EXPECT_EQ(onDisk("lsts", "s12"), list.string());
    EXPECT_EQ(button(12).ToolTipText(), "PlayList 12");
    EXPECT_EQ(button(112).ToolTipText(), "PlayList 12");
    EXPECT_TRUE(listFiles().empty());

    click(button(112));
    EXPECT_TRUE(Zpm.bPlaylistOn);
    EXPECT_EQ(player().FileName(), (folder / "a.wav").string());
}

TEST_F(DropTest, SeveralFilesBecomeANewListThatPlaysEvenAcrossFolders) {
    start();
    const std::string first = sound("one/First.wav");
    const std::string second = sound("one/deeper/Second.mp3");
    const std::string third = sound("two/Third.wav");
    const std::string fourth = sound("one/list.txt");  // a list file among others is an entry

    dropFiles(button(105), {first, second, third, fourth});
    const std::vector<fs::path> made = listFiles();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_TRUE(std::regex_match(made[0].filename().string(), std::regex("List_\\d{8}_\\d{6}\\.txt")));
    EXPECT_EQ(readFile(made[0]), sounds.string() + "/\r\none/First.wav\r\none/deeper/Second.mp3\r\ntwo/Third.wav\r\none/list.txt");
    EXPECT_EQ(onDisk("snds", "s5"), "PlayList_5");
    EXPECT_EQ(onDisk("lsts", "s5"), made[0].string());
    EXPECT_EQ(button(5).ToolTipText(), "PlayList 5");
    EXPECT_EQ(button(105).ToolTipText(), "PlayList 5");
    EXPECT_TRUE(showsState(5, form->ImgReady));

    // Every entry is its base folder and the entry.
    click(button(5));
    ASSERT_TRUE(Zpm.bPlaylistOn);
    for (std::int32_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(player().FileName(), (std::vector<std::string>{first, second, third})[static_cast<std::size_t>(i - 1)]);
        EXPECT_EQ(player().PlayState(), media::kPlaying) << i;
        player().Stop();
        tick();
    }

    // A list file first is no different; nor a drop of files of one folder.
    dropFiles(button(6), {fourth, first});
    ASSERT_EQ(listFiles().size(), 2u);
    EXPECT_EQ(onDisk("snds", "s6"), "PlayList_6");
    dropFiles(button(7), {first, first});
    const std::vector<fs::path> all = listFiles();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_NE(std::find_if(all.begin(), all.end(),
                           [&](const fs::path& f) { return readFile(f) == sounds.string() + "/one/\r\nFirst.wav\r\nFirst.wav"; }),
              all.end());
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
    start();
    const std::string a = sound("a.wav");
    const std::string b = sound("b.wav");
    // Lists of this second and the next exist already, as after other drops.
    fs::create_directories(lists);
    for (int later : {0, 1}) {
        writeFile(lists / ("List_" + stampIn(later) + ".txt"), "earlier");
        writeFile(lists / ("List_" + stampIn(later) + "_2.txt"), "earlier");
    }
    dropFiles(button(1), {a, b});
    dropFiles(button(2), {b, a});
    const std::vector<fs::path> all = listFiles();
    ASSERT_EQ(all.size(), 6u);
    int earlier = 0;
    for (const fs::path& file : all) earlier += readFile(file) == "earlier";
    EXPECT_EQ(earlier, 4);
    const std::string first = onDisk("lsts", "s1");
    const std::string second = onDisk("lsts", "s2");
    EXPECT_NE(first, second);
    EXPECT_EQ(readFile(first), sounds.string() + "/\r\na.wav\r\nb.wav");
    EXPECT_EQ(readFile(second), sounds.string() + "/\r\nb.wav\r\na.wav");
}

TEST_F(DropTest, AListThatCannotBeWrittenStoresNothing) {
    start("[snds]\r\ns1=" + sound("kept.wav") + "\r\n");
    writeFile(lists, "a file where the folder should be");
    const std::string settings = settingsText();
    dropFiles(button(1), {sound("a.wav"), sound("b.wav")});
    EXPECT_EQ(settingsText(), settings);
    EXPECT_EQ(Zpm.colSnds.Item("s1"), (sounds / "kept.wav").string());
    EXPECT_EQ(button(1).ToolTipText(), "kept");
    EXPECT_TRUE(messages.empty());
}

TEST_F(DropTest, SettingsFileIsUsedFromNowOnAndStopsWhatPlays) {
    const std::string one = sound("one.wav");
    start("[snds]\r\ns1=" + one + "\r\n");
    const fs::path other = temp.path() / "Other.INI";
    const std::string two = sound("two.wav");
    writeFile(other, "[snds]\r\ns2=" + two + "\r\n");

    click(button(1));
    Zpm.bPlaylistOn = true;
    // Whatever else is dropped with it, a first ".ini" file is a settings file.
    dropFiles(button(9), {other, one});
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_FALSE(Zpm.bPlaylistOn);
    EXPECT_EQ(Zpm.INI_Name, other.string());
    EXPECT_EQ(onDisk("inifilepath", "path"), other.string());
    EXPECT_EQ(button(1).ToolTipText(), "eep");
    EXPECT_EQ(button(2).ToolTipText(), "two");
    EXPECT_EQ(button(9).ToolTipText(), "eep");

    // Paused stays paused; a restart uses the dropped file too.
    click(button(2));
    click(button(2), Qt::LeftButton, pauseKeys);
    dropFiles(button(9), {other});
    EXPECT_EQ(player().PlayState(), media::kPaused);
    form->Unload();
    forgetSettings();
    form = &load();
    EXPECT_EQ(Zpm.INI_Name, other.string());
    EXPECT_EQ(button(2).ToolTipText(), "two");
}

TEST_F(DropTest, UnreadableSettingsFileLeavesEveryButtonEmpty) {
    start("[snds]\r\ns1=" + sound("one.wav") + "\r\n");
    const fs::path folder = temp.path() / "folder.ini";
    fs::create_directories(folder);
    for (const fs::path& dropped : {folder, temp.path() / "gone.ini"}) {
        SCOPED_TRACE(dropped);
        dropFiles(button(1), {dropped});
        EXPECT_EQ(Zpm.INI_Name, dropped.string());
        ASSERT_EQ(Zpm.colSnds.Count(), 75);
        for (int index = 1; index <= 75; ++index) EXPECT_EQ(button(index).ToolTipText(), "eep") << index;
        click(button(1));
        EXPECT_EQ(player().FileName(), Zpm.SystemSound);
        click(button(1));
    }
    EXPECT_TRUE(fs::is_directory(folder));
}

}  // namespace
