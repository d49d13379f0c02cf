// Presses and drops on the recording window: rows of presses, each from a
// fresh start, and what they leave behind; files dropped on a button.
#include <algorithm>
#include <ctime>
#include <functional>

#include "child_process.h"
#include "soundboard_test_support.h"

namespace {

using namespace sbtest;
constexpr int Left = 1, Right = 2, Middle = 4, PauseKeys = 6, ClearKeys = 3;

struct Press {
    int index, button = Left, shift = 0;
};

class Clicks : public CoreTest {
protected:
    std::optional<ScopedCurrentFolder> here;
    std::string settings;
    // 1 to 4 hold sounds (4 with "playlist" in small letters); 5 a list of two entries; 6 a list whose folder
    // is missing; 7 to 10 lists that cannot be read: none, an empty file, a missing file, an empty value.
    void SetUp() override {
        CoreTest::SetUp();
        if (IsSkipped()) return;
        for (const char* name : {"One_Sound.wav", "two.mp3.wav", "three.wav", "playlist_of_mine.wav",
                                 "list/Entry_A.wav", "list/entry b.wav"})
            sound(name);
        writeFile(temp.path() / "empty.txt", "");
        fs::create_directory(temp.path() / "NIL");  // never taken for a base folder
        here.emplace(temp.path());
        settings = "[snds]\ns1=$/One_Sound.wav\ns2=$/two.mp3.wav\ns3=$/three.wav\ns4=$/playlist_of_mine.wav\n";
        for (int n = 5; n <= 10; ++n) settings += "s" + std::to_string(n) + "=PlayList_" + std::to_string(n) + "\n";
        settings += "[lsts]\ns5=$/list/,Entry_A.wav,entry b.wav\ns6=" + temp.file("gone") + "/,x.wav\ns8=" +
                    temp.file("empty.txt") + "\ns9=" + temp.file("missing.txt") + "\ns10=\n";
        restart(settings);
    }
    void scene(const std::vector<Press>& clicks, int marked = 0) {
        restart(settings);
        for (const Press& p : clicks) click(p.index, p.button, p.shift);
        if (marked) window->SetButtonTag(marked, ErrorMark);
    }
};

struct ClickRow {
    const char* what;
    std::vector<Press> before;
    Press press;  // pressed, not yet released
    long state;   // the main player's afterwards
    const char* file;
    int current;
    const char* title;
    std::vector<std::pair<int, P>> pictures;
    int marked = 0;  // tagged for a missing folder before the press
};

TEST_F(Clicks, PlainClicksPausesAndPlaylistStarts) {
    const ClickRow rows[] = {
        {"start", {}, {1}, Playing, "One_Sound.wav", 1, "One Sound", {{1, P::OnAir}, {101, P::OnAir}}},
        {"stop the playing button", {{1}}, {1}, Stopped, "One_Sound.wav", 1, "One Sound", {{1, P::OnAir}}},
        {"start it again", {{1}, {1}}, {1}, Playing, "One_Sound.wav", 1, "One Sound", {{1, P::OnAir}}},
        {"another button", {{1}}, {2, Middle}, Playing, "two.mp3.wav", 2, "two", {{1, P::Ready}, {2, P::OnAir}}},
        {"the middle button stops", {{2, Middle}}, {2, Middle}, Stopped, "two.mp3.wav", 2, "two", {}},
        {"the large twin stops", {{103}}, {3}, Stopped, "three.wav", 103, "three", {{103, P::OnAir}}},
        {"the small twin stops", {{3}}, {103}, Stopped, "three.wav", 3, "three", {{3, P::OnAir}}},
        {"101 is button 1", {{3}}, {101}, Playing, "One_Sound.wav", 101, "One Sound", {{3, P::Ready}, {101, P::OnAir}}},
        {"pause", {{1}}, {1, Left, PauseKeys}, Paused, "One_Sound.wav", 1, "One Sound", {}},
        {"no pause with the right button", {{1}}, {1, Right, PauseKeys}, Playing, "One_Sound.wav", 1, "One Sound", {}},
        {"pause from any button", {{1}}, {5, Middle, PauseKeys}, Paused, "One_Sound.wav", 1, "One Sound", {}},
        {"nothing to pause", {{1}, {1}}, {1, Left, PauseKeys}, Stopped, "One_Sound.wav", 1, "One Sound", {}},
        {"resume from another button", {{1}, {1, Left, PauseKeys}}, {2}, Playing, "One_Sound.wav", 1, "One Sound",
         {{1, P::OnAir}, {2, P::Ready}}},
        {"resume after the button was cleared", {{1}, {1, Left, PauseKeys}, {1, Right, ClearKeys}}, {1, Middle},
         Playing, "One_Sound.wav", 1, "", {{1, P::Empty}}},
        {"an empty button plays the default sound", {}, {40}, Playing, "eep.wav", 40, "", {{40, P::OnAir}}},
        {"leaving an empty button", {{40}}, {1}, Playing, "One_Sound.wav", 1, "One Sound", {{40, P::Empty}}},
        {"a playlist, its mark taken away", {}, {105}, Playing, "Entry_A.wav", 105, "Entry A", {{5, P::ListOnAir}}, 5},
        {"a sound ends the playlist, not its title", {{105}}, {2}, Playing, "two.mp3.wav", 2, "Entry A",
         {{105, P::Ready}, {2, P::OnAir}}},
        {"a missing folder", {{5}}, {106}, Stopped, "Entry_A.wav", 6, "Entry A", {{6, P::Error}, {5, P::Ready}}},
        {"the mark shows when left", {{6}}, {1}, Playing, "One_Sound.wav", 1, "One Sound", {{6, P::Error}}},
        {"keys on a marked button", {{6}, {1}}, {6, Left, PauseKeys}, Playing, "One_Sound.wav", 1, "One Sound", {}},
        {"keys on its twin", {{6}, {1}}, {106, Middle, PauseKeys}, Playing, "One_Sound.wav", 1, "One Sound", {}},
        {"no list", {{1}}, {7}, Stopped, "One_Sound.wav", 7, "PlayList 7", {{7, P::Error}, {1, P::Ready}}},
        {"an empty list file", {{1}}, {8}, Stopped, "One_Sound.wav", 8, "PlayList 8", {{8, P::Error}}},
        {"a missing list file", {{1}}, {9}, Stopped, "One_Sound.wav", 9, "PlayList 9", {{9, P::Error}}},
        {"an empty list", {{1}}, {10}, Stopped, "One_Sound.wav", 10, "PlayList 10", {{10, P::Error}}},
        {"the mark counts letter case", {}, {4}, Playing, "playlist_of_mine.wav", 4, "playlist of mine", {{4, P::OnAir}}},
    };
    const std::string before = settingsText();
    for (const ClickRow& row : rows) {
        SCOPED_TRACE(row.what);
        scene(row.before, row.marked);
        press(row.press.index, row.press.button, row.press.shift);
        const bool list = std::ranges::count(row.pictures, std::pair{5, P::ListOnAir}) > 0;
        EXPECT_EQ(std::tuple(player().PlayState(), playing(), player().Volume(), Zpm.iCurBtn, Zpm.sNowTitle),
                  std::tuple(row.state, row.file, NormalLevel, row.current, row.title));
        EXPECT_EQ(std::pair(Zpm.bPlaylistOn, list ? Zpm.iPlIdx : 1), std::pair(list, 1));
        for (const auto& [index, shown] : row.pictures) {
            EXPECT_EQ(picture(index), shown) << index;
            // The error picture comes with the mark, a playlist's start takes it away.
            if (shown == P::Error || shown == P::ListOnAir) {
                EXPECT_EQ(window->ButtonTag(index), shown == P::Error ? ErrorMark : "") << index;
            }
        }
    }
    EXPECT_EQ(settingsText(), before);
    EXPECT_FALSE(fs::exists(temp.path() / "missing.txt"));
}

// Twins are one button: after every press, release, tick and fade step both
// panels show the same picture and mark, so the other machine is never stale.
TEST_F(Clicks, TwinsShowTheSameStateAfterEveryStartAndStop) {
    constexpr int Alt = 4, Ctrl = 2;
    const std::tuple<const char*, std::vector<Press>, std::vector<std::pair<int, P>>> rows[] = {
        {"a list started and stopped on the small panel", {{105}, {105}}, {{5, P::Ready}}},
        {"a list stopped from the other panel", {{5}, {105}}, {{5, P::Ready}}},
        {"a list's next entry", {{105}, {105, Right, Ctrl}}, {{5, P::ListOnAir}}},
        {"a sound stopped from the other panel", {{103}, {3}}, {{103, P::Ready}}},
        {"another button on the other panel", {{101}, {2}}, {{1, P::Ready}, {2, P::OnAir}}},
        {"a missing folder", {{1}, {106}}, {{6, P::Error}, {101, P::Ready}}},
        {"paused, blinking", {{101}, {101, Left, PauseKeys}}, {}},
        {"a fade-out", {{103}, {103, Right, Alt}}, {{3, P::Ready}}},
    };
    const auto twinsAgree = [&](const std::string& when) {
        for (int n = 1; n <= TwinCount; ++n)
            EXPECT_EQ(std::pair(picture(n), window->ButtonTag(n)), std::pair(picture(n + 100), window->ButtonTag(n + 100)))
                << when << ", button " << n;
    };
    for (const auto& [what, clicks, pictures] : rows) {
        SCOPED_TRACE(what);
        restart(settings);
        for (const Press& p : clicks) {
            const std::string when = std::to_string(p.index) + "/" + std::to_string(p.shift);
            press(p.index, p.button, p.shift);
            twinsAgree("pressed " + when);
            ShowReleasedButton(p.index, p.shift);
            twinsAgree("released " + when);
            for (int ticks = 0; window->fadeEnabled && ticks < 1000; ++ticks) FadeTimerTick();
            for (int ticks = 0; ticks < 2; ++ticks) StatusTick();
            twinsAgree("ticked " + when);
        }
        for (const auto& [index, shown] : pictures) EXPECT_EQ(picture(index), shown) << index;
    }
}

// Shift+Ctrl with the right button: the default sound on both twins, and no
// list, unless anything plays; the mark of another button stays.
TEST_F(Clicks, ClearOnlyWhileNothingPlays) {
    const std::tuple<std::vector<Press>, int, bool, const char*, long> rows[] = {
        {{{1}}, 2, false, "NIL", Playing},        {{{1}, {1, Left, PauseKeys}}, 101, true, "NIL", Paused},
        {{{1}, {1}}, 1, true, "NIL", Stopped},    {{}, 5, true, "", Closed},
        {{}, 4, true, "", Closed},
    };
    for (const auto& [before, index, cleared, list, state] : rows) {
        SCOPED_TRACE(index);
        scene(before, 1);
        const std::string settings = settingsText(), oldTip = tip(index);
        const int n = ButtonNumber(index);
        press(index, Right, ClearKeys);
        EXPECT_EQ(std::tuple(player().PlayState(), onDisk("lsts", ButtonKey(n)), Zpm.iCurBtn, window->ButtonTag(1)),
                  std::tuple(state, list, before.empty() ? n : 1, ErrorMark));
        if (!cleared) {
            EXPECT_EQ(std::pair(settingsText(), tip(index)), std::pair(settings, oldTip));
            continue;
        }
        EXPECT_EQ(onDisk("snds", ButtonKey(n)), Zpm.SystemSound);
        for (int twin : {n, n + 100}) EXPECT_EQ(std::pair(tip(twin), picture(twin)), std::pair(std::string("eep"), std::optional(P::Empty)));
    }
}

// The bindings that are not built yet change nothing.
TEST_F(Clicks, PressesWithoutABindingChangeNothing) {
    scene({{1}});
    const auto snapshot = [&] {
        return std::tuple(player().PlayState(), player().FileName(), player().Volume(), Zpm.iCurBtn,
                          Zpm.bPlaylistOn, Zpm.bTalkOver, settingsText(), Zpm.sNowTitle, picture(1), picture(2));
    };
    const auto playing = snapshot();
    for (int index : {1, 2, 40, 102})
        for (const auto& [button, shift] : {std::pair{Right, 0}, {Right, 5}, {Right, 7}, {Right, 6}, {Middle, 3},
                                            {Left, 5}, {Left, 7}, {Left, 3}}) {
            press(index, button, shift);
            EXPECT_EQ(snapshot(), playing) << index << " " << button << " " << shift;
        }
}

// The sound list hands over iCurBtn itself: nothing without one, else a
// stopped button starts, a playing one stops, a paused one resumes.
TEST_F(Clicks, TheSoundListPassesTheCurrentButtonAndIsRebuiltAfterAStart) {
    std::int16_t none = 0;
    const auto fromList = [&] {
        ButtonAction(Zpm.iCurBtn, none, none);
        return std::tuple(player().PlayState(), Zpm.iCurBtn, playing());
    };
    EXPECT_EQ(fromList(), std::tuple(Closed, std::int16_t(0), ""));
    scene({{105}, {105}});
    EXPECT_EQ(fromList(), std::tuple(Playing, std::int16_t(5), "Entry_A.wav"));
    EXPECT_TRUE(Zpm.bPlaylistOn);
    EXPECT_EQ(fromList(), std::tuple(Stopped, std::int16_t(5), "Entry_A.wav"));
    scene({{2}, {2, Left, PauseKeys}});
    EXPECT_EQ(fromList(), std::tuple(Playing, std::int16_t(2), "two.mp3.wav"));
    // An open sound list is rebuilt from the settings file after every start, never after one that failed.
    restart(settings);
    click(1);
    EXPECT_EQ(window->soundListUnloads + window->soundListShows, 0);
    Zpm.bSndListOpen = true;
    mdINIBas::SetIniValue("snds", "s9", Zpm.SystemSound, Zpm.INI_Name);
    press(2);  // the reload puts every button at rest, then the started one shows it plays: no release follows from the list
    EXPECT_EQ(std::tuple(window->soundListUnloads, window->soundListShows, tip(9), picture(2), picture(1)),
              std::tuple(1, 1, "eep", P::OnAir, P::Ready));
    press(5);
    EXPECT_EQ(std::tuple(window->soundListUnloads, picture(5), picture(2)), std::tuple(2, P::ListOnAir, P::Ready));
    press(6);
    press(2, Left, PauseKeys);
    EXPECT_EQ(window->soundListUnloads, 2);
}

// Alt and the left button on button 3 while another plays: inside the wait 15 fade ticks run, then the old
// sound ends by itself, a plain click stops it, or Esc is pressed. Afterwards the fade is over.
TEST_F(Clicks, FadeOverWaitEndsItsFadeAndEscInsideItStartsNothing) {
    const std::string shortSound = sound("Short.wav", 300);
    const std::tuple<const char*, int, std::function<void()>, long, const char*, int, P> rows[] = {
        {"the old sound ends by itself", 11, [] {}, Playing, "three.wav", 3, P::OnAir},
        {"a plain click stops it", 1, [this] { click(1); }, Playing, "three.wav", 3, P::OnAir},
        {"Esc", 1, [] { PanicStop(); }, Stopped, "One_Sound.wav", 1, P::Ready},
    };
    for (const auto& [what, old, inWait, state, file, current, shown] : rows) {
        SCOPED_TRACE(what);
        scene({});
        AssignButton(11, shortSound, false);
        click(old);
        const auto ticksThenEnd = [&action = inWait] {  // clang takes no structured binding into a lambda
            for (int tick = 0; tick < 15; ++tick) FadeTimerTick();
            action();
        };
        forms::setWaitHooks(
            {[&] { QMetaObject::invokeMethod(QCoreApplication::instance(), ticksThenEnd, Qt::QueuedConnection); }, {}});
        press(3, Left, 4);
        forms::setWaitHooks({});
        EXPECT_EQ(std::tuple(player().PlayState(), playing(), player().Volume(), Zpm.iCurBtn, picture(old), picture(3)),
                  std::tuple(state, file, NormalLevel, current, std::optional(P::Ready), std::optional(shown)));
        EXPECT_EQ(std::tuple(window->fadeEnabled, window->fadeTag, Zpm.iFadeTick, Zpm.iFadeNextToggle),
                  std::tuple(false, std::string(FadeIdleTag), 0, 0));
    }
}

class Drops : public CoreTest {
protected:
    fs::path lists = dataFolder / "lists";
    void SetUp() override {
        CoreTest::SetUp();
        if (!IsSkipped()) restart();
    }
    std::vector<fs::path> listFiles() const {
        std::vector<fs::path> found;
        if (fs::exists(lists))
            for (const auto& entry : fs::directory_iterator(lists)) found.push_back(entry.path());
        return found;
    }
    void drop(int index, const std::vector<std::string>& files) { DropFiles(index, files); }
};

// One file: what is stored, what the buttons show; players are left alone,
// and the dropped sound plays after a new start.
TEST_F(Drops, OneFileIsStoredAndShownOnBothTwins) {
    const fs::path inData = dataFolder / "sound" / "Boom_Boom.WAV";
    fs::create_directories(inData.parent_path());
    writeSilentWav(inData, 30000);
    const std::string elsewhere = sound("Other_Thing.mp3"), list = temp.file("Party.TXT");
    writeFile(list, sounds.string() + "/\r\nOther_Thing.mp3");
    const std::tuple<int, std::string, std::string, std::string, std::string, P> rows[] = {
        {103, inData.string(), "[!P!]/sound/Boom_Boom.WAV", "NIL", "Boom Boom", P::Ready},
        {20, elsewhere, elsewhere, "NIL", "Other Thing", P::Ready},
        {6, (media / "eep.wav").string(), (media / "eep.wav").string(), "NIL", "eep", P::Empty},
        {12, list, "PlayList_12", list, "PlayList 12", P::Ready},
        {14, sound("short.mp"), sounds.string() + "/short.mp", "NIL", "short.mp", P::Ready},  // "mp" is in the list
    };
    click(1);
    for (const auto& [index, file, stored, list, shownTip, shown] : rows) {
        SCOPED_TRACE(file);
        const int n = ButtonNumber(index);
        for (int twin : {n, n + 100})
            if (window->HasButton(twin)) window->buttons[twin].tag = ErrorMark;
        drop(index, {file});
        EXPECT_EQ(std::pair(onDisk("snds", ButtonKey(n)), onDisk("lsts", ButtonKey(n))), std::pair(stored, list));
        EXPECT_EQ(Zpm.colSnds.Item(ButtonKey(n)), list == "NIL" ? file : stored);
        for (int twin : {n, n + 100})
            if (window->HasButton(twin)) {
                EXPECT_EQ(std::tuple(tip(twin), picture(twin), window->ButtonTag(twin)),
                          std::tuple(shownTip, std::optional(shown), shown == P::Empty ? ErrorMark : ""));
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
TEST_F(Drops, FilesThatCannotBeStoredChangeNothing) {
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
    LoadPlaylist("s3");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(std::pair(messages[0].prompt.find(comma) != std::string::npos, Zpm.aPlaylist),
              std::pair(true, std::vector<std::string>{sounds.string() + "/", "a.wav", "d.wav"}));
    before = settingsText();
    drop(4, {comma, lineBreak});
    drop(2, {lineBreak});
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(std::tuple(messages[2].prompt.find(lineBreak) != std::string::npos, tip(4), tip(2), settingsText()),
              std::tuple(true, EmptyName, EmptyName, before));
    fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    drop(5, {sound("one.wav")});
    drop(6, {sound("two.wav")});
    ASSERT_EQ(messages.size(), 4u);  // told once
    EXPECT_NE(messages[3].prompt.find(ini.string()), std::string::npos);
    EXPECT_NE(messages[3].prompt.find("ermission"), std::string::npos);
    EXPECT_EQ(settingsText(), before);
    fs::permissions(ini, fs::perms::owner_all);
    // A list that cannot be written stores nothing.
    fs::remove_all(lists);
    writeFile(lists, "a file where the folder should be");
    drop(7, {sound("a.wav"), sound("b.wav")});
    EXPECT_EQ(std::pair(onDisk("snds", "s7"), tip(7)), std::pair(std::string("NIL"), std::string(EmptyName)));
}

// A new list that cannot be stored is told as one file is, and leaves nothing: no list file, no setting (on
// disk or waiting in the store for the next write), no assignment. Root writes into a read-only folder: that
// scenario runs as another user.
TEST_F(Drops, ANewListThatCannotBeStoredIsToldAndLeavesNothing) {
    const std::vector<std::string> files{sound("a.wav"), sound("b.wav")};
    drop(2, {sound("kept.wav")});
    const std::string before = settingsText();
    const auto nothingKept = [&] {
        return std::tuple(listFiles().empty(), tip(5), mdINIBas::GetIniValue("snds", "s5", "NIL", ini.string()),
                          mdINIBas::GetIniValue("lsts", "s5", "NIL", ini.string()), settingsText());
    };
    const auto nothing = std::tuple(true, std::string(EmptyName), std::string("NIL"), std::string("NIL"), before);
    using fs::perms;
    fs::permissions(temp.path(), perms::owner_all | perms::group_read | perms::group_exec | perms::others_read | perms::others_exec);
    fs::permissions(dataFolder, perms::owner_read | perms::owner_exec | perms::group_read | perms::group_exec |
                                    perms::others_read | perms::others_exec);
    const bool toldInReadOnlyFolder = testing_support::childSucceeds([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return false;
        drop(5, files);
        return messages.size() == 1 && messages[0].prompt.find(lists.string()) != std::string::npos &&
               messages[0].prompt.find("ermission") != std::string::npos && nothingKept() == nothing;
    });
    fs::permissions(dataFolder, perms::owner_all, fs::perm_options::add);
    EXPECT_TRUE(toldInReadOnlyFolder);
    EXPECT_EQ(nothingKept(), nothing);
    // The list is written, but the settings file refuses it; told once.
    fs::permissions(ini, perms::owner_read | perms::group_read | perms::others_read);
    drop(5, files);
    drop(5, files);
    fs::permissions(ini, perms::owner_read | perms::owner_write);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].prompt.find(ini.string()), std::string::npos);
    EXPECT_EQ(nothingKept(), nothing);
    // The next write saves only what it was given.
    drop(3, {sound("c.wav")});
    EXPECT_EQ(std::pair(onDisk("snds", "s5"), onDisk("lsts", "s5")), std::pair(std::string("NIL"), std::string("NIL")));
    drop(5, files);
    ASSERT_EQ(listFiles().size(), 1u);
    EXPECT_EQ(std::tuple(onDisk("snds", "s5"), onDisk("lsts", "s5"), tip(5)),
              std::tuple(std::string("PlayList_5"), listFiles().front().string(), std::string("PlayList 5")));
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
TEST_F(Drops, SeveralFilesBecomeANewListThatPlaysEvenAcrossFolders) {
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
    EXPECT_EQ(std::pair(onDisk("snds", "s5"), Zpm.colSnds.Item("s5")), std::pair(std::string("PlayList_5"), std::string("PlayList_5")));
    for (int index : {5, 105}) EXPECT_EQ(std::pair(tip(index), picture(index)), std::pair(std::string("PlayList 5"), std::optional(P::Ready)));
    click(5);
    for (const std::string& entry : {first, second, third}) {
        EXPECT_EQ(std::pair(player().FileName(), player().PlayState()), std::pair(entry, Playing));
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

TEST_F(Drops, SettingsFileIsUsedFromNowOnAndStopsWhatPlays) {
    restart("[snds]\ns1=" + sound("one.wav") + "\n");
    const fs::path other = temp.path() / "Other.INI";
    writeSettings("[snds]\ns2=" + sound("two.wav") + "\n", other);
    click(1);
    Zpm.bPlaylistOn = true;
    drop(9, {other.string(), sound("one.wav")});  // a first ".ini" file is a settings file
    EXPECT_EQ(std::tuple(player().PlayState(), Zpm.bPlaylistOn, Zpm.INI_Name, onDisk("inifilepath", "path"), tip(1), tip(2), tip(9)),
              std::tuple(Stopped, false, other.string(), other.string(), "eep", "two", "eep"));
    click(2);
    click(2, 1, 6);
    drop(9, {other.string()});
    EXPECT_EQ(player().PlayState(), Paused);  // paused stays paused
    // Unreadable settings files leave every button empty.
    fs::create_directories(temp.path() / "folder.ini");
    for (const fs::path& dropped : {temp.path() / "folder.ini", temp.path() / "gone.ini"}) {
        drop(1, {dropped.string()});
        ASSERT_EQ(std::pair(Zpm.INI_Name, Zpm.colSnds.Count()), std::pair(dropped.string(), ButtonCount));
        for (int index = 1; index <= ButtonCount; ++index) EXPECT_EQ(tip(index), "eep") << index;
    }
    EXPECT_TRUE(fs::is_directory(temp.path() / "folder.ini"));
}

}  // namespace
