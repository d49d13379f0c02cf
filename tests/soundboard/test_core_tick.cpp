// The status tick on the recording window, one tick at a time: the time and
// title displays, scrolling, the playlist's advance, blinking; also the time
// texts and the picture a released button keeps.
#include <cmath>
#include <limits>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;
using std::tuple;

TEST(FormatSeconds, WholeSecondsAsHoursMinutesAndSeconds) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, const char*> table[] = {
        {-5, "00:00:00"},   {0.99, "00:00:00"},  {1, "00:00:01"},       {59.999, "00:00:59"}, {3725, "01:02:05"},
        {86400, "24:00:00"}, {89999.9, "24:59:59"}, {90000, "24:59:59"}, {inf, "24:59:59"}, {std::nan(""), "00:00:00"},
    };
    for (const auto& [seconds, text] : table) EXPECT_EQ(FormatSeconds(seconds), text) << seconds;
}

// What the time display shows: kept, the 30-second test sound's times, the date and time while nothing plays.
enum Shown { Kept, PlayingTime, DateTime, Other };
Shown kind(const std::string& text) {
    if (text == "kept") return Kept;
    if (std::regex_match(text, std::regex("00:00:(29|30) - 00:00:30"))) return PlayingTime;
    return text.find(" - ") != std::string::npos && !std::regex_search(text, std::regex("\\(|00:00:30$")) ? DateTime : Other;
}
// What the title display shows at a scroll position of the buffer: the title, three blanks and the title again.
std::string visible(const std::string& title, std::size_t position) {
    std::string buffer = title + "   " + title;
    buffer.resize(256, ' ');
    return position > 256 ? "" : buffer.substr(position - 1, title.size());
}

enum Scene { Idle, Play, Pause, Stop };

class Tick : public CoreTest {
protected:
    fs::path folder = temp.path() / "party";
    // Button 1 holds a sound, button 5 a list of these entries.
    void start(const std::vector<std::string>& entries = {"first.wav", "Second_One.wav", "third.wav"}) {
        std::string list = folder.string() + "/";
        for (const std::string& entry : entries) list += "," + entry;
        restart("[snds]\ns1=" + sound("Long_One.wav") + "\ns2=$/Long_One.wav\ns5=PlayList_5\n[lsts]\ns5=" + list + "\n");
        fs::create_directories(folder);
        for (const std::string& entry : entries)
            if (entry.ends_with(".wav")) writeSilentWav(folder / entry, 30000);
        Zpm.iMaschineMode = 1;
    }
    void scene(Scene scene) {
        start();
        if (scene != Idle) click(1);
        if (scene == Pause) click(1, 1, 6);
        if (scene == Stop) click(1);
    }
};

TEST_F(Tick, TimeTitleAndCaptionByPlayerStateModeAndWindowState) {
    // mode, minimised, panic; the time display; the title (nullptr: kept); the caption
    const std::tuple<Scene, std::int16_t, bool, bool, Shown, const char*, Shown> rows[] = {
        {Idle, 1, false, false, DateTime, "", Kept},         {Play, 1, false, false, PlayingTime, "Long One", Kept},
        {Play, 3, false, false, PlayingTime, nullptr, Kept}, {Play, 2, false, false, PlayingTime, nullptr, Kept},
        {Pause, 1, false, false, DateTime, "", Kept},        {Stop, 3, false, false, DateTime, "", Kept},
        {Play, 1, true, false, Kept, nullptr, PlayingTime},  {Stop, 1, true, false, Kept, nullptr, DateTime},
        {Play, 1, true, true, PlayingTime, "Long One", Kept},  // minimised, disguised
    };
    for (const auto& [scene, mode, minimised, panic, time, title, caption] : rows) {
        SCOPED_TRACE(testing::Message() << scene << " mode " << mode << " " << minimised << panic);
        this->scene(scene);
        window->buttons[1] = {"Long One", "", P::TalkOver, 0};  // to see what the tick changes
        Zpm.iMaschineMode = mode;
        Zpm.iMarqueePos = 5;
        window->minimised = minimised;
        Zpm.bPanic = panic;
        window->time = window->title = window->caption = "kept";
        StatusTick();
        EXPECT_EQ(std::tuple(kind(window->time), window->title, kind(window->caption)),
                  std::tuple(time, title ? title : "kept", caption)) << window->time << " | " << window->caption;
        // Only a short title sets the scroll to 1; only the minimised idle tick resets it.
        EXPECT_EQ(Zpm.iMarqueePos, title && *title ? 1 : caption == DateTime ? 0 : 5);
        EXPECT_EQ(picture(1), scene == Stop ? P::Ready : scene == Pause ? P::OnAir : P::TalkOver);
        EXPECT_EQ(window->buttons[1].refreshes, scene == Idle ? 0 : 1);
    }
}

// Up to 70 characters a title stands still in the middle; a longer one
// scrolls one position a tick, also beyond the buffer, never splitting a
// character; the length counts characters, not bytes.
TEST_F(Tick, ShortTitlesStandStillAndLongOnesScroll) {
    scene(Play);
    std::string umlauts;
    for (int i = 0; i < 40; ++i) umlauts += "\xC3\xA4";
    for (const auto& [title, characters] : {std::pair{std::string(), 0}, {std::string(70, 'x'), 70}, {umlauts, 40}}) {
        Zpm.sNowTitle = title;
        StatusTick();
        EXPECT_EQ(std::tuple(window->title, window->titleCentred, Zpm.sMarquee),
                  std::tuple(title, true, title + std::string(256 - characters, ' ')));
    }
    for (std::size_t length : {71u, 129u, 257u}) {
        std::string title;
        for (std::size_t i = 0; i < length; ++i) title += static_cast<char>('A' + i % 26);
        Zpm.sNowTitle = title;  // the position goes on from where it stood
        for (std::size_t position = 2; position <= length + 1; ++position) {
            StatusTick();
            ASSERT_EQ(std::pair(window->title, window->titleCentred),
                      std::pair(visible(title, position > length ? 1 : position), false)) << length << " " << position;
        }
    }
    // A long title shorter than the position reached starts from its beginning.
    Zpm.sNowTitle = std::string(100, 'h');
    for (int i = 0; i < 89; ++i) StatusTick();
    ASSERT_EQ(window->title, visible(Zpm.sNowTitle, 90));
    Zpm.sNowTitle = std::string(75, 's');
    StatusTick();
    EXPECT_EQ(window->title, Zpm.sNowTitle);
    umlauts.clear();
    for (int i = 0; i < 90; ++i) umlauts += i % 3 ? "\xC3\xA4" : "o";
    Zpm.sNowTitle = umlauts;
    for (std::size_t i = 0; i < umlauts.size() + 2; ++i) {
        StatusTick();
        const std::string& shown = window->title;
        ASSERT_FALSE(!shown.empty() && (static_cast<unsigned char>(shown.front()) & 0xC0) == 0x80) << i;
        ASSERT_FALSE(!shown.empty() && static_cast<unsigned char>(shown.back()) == 0xC3) << i;
    }
}

// A paused button blinks once a tick; a stopped one comes to rest; a sound that cannot be played counts as ended.
TEST_F(Tick, PausedButtonsBlinkAndComeToRest) {
    start();
    for (const auto& [index, off, rest] : {std::tuple{1, P::Ready, P::Ready}, {40, P::Ready, P::Empty}}) {
        click(index);
        click(index, 1, 6);
        const bool phase = Zpm.bBlinkOn;  // the phase carries over from blink to blink
        for (int i = 0; i < 4; ++i) {
            const int refreshes = window->buttons[index].refreshes;
            StatusTick();
            EXPECT_EQ(std::tuple(picture(index), window->buttons[index].refreshes, kind(window->time)),
                      std::tuple((i % 2 == 0) != phase ? P::OnAir : off, refreshes + 1, DateTime)) << index << " " << i;
        }
        player().Stop();
        StatusTick();
        EXPECT_EQ(picture(index), rest);
    }
    writeFile(sounds / "broken.wav", "no sound");
    mdINIBas::SetIniValue("snds", "s2", (sounds / "broken.wav").string(), Zpm.INI_Name);
    LoadSettings();
    press(2);
    ASSERT_EQ(player().PlayState(), Closed);
    StatusTick();
    EXPECT_EQ(picture(2), P::Ready);
}

TEST_F(Tick, APlaylistGoesOnAfterEachStopAndWrapsAroundWithinTheList) {
    start();
    click(5);
    StatusTick();
    EXPECT_EQ(tuple(std::regex_match(window->time, std::regex("00:00:(29|30) - 00:00:30  \\(1/3\\)")), window->title, picture(5)),
              tuple(true, "first", P::ListOnAir)) << window->time;
    player().Pause();  // paused, the display shows the clock without the place in the list
    StatusTick();
    EXPECT_EQ(window->time.find("(1/3)"), std::string::npos) << window->time;
    player().Play();
    const std::tuple<int, const char*, const char*> turns[] = {
        {2, "Second_One.wav", "Second One"}, {3, "third.wav", "third"}, {1, "first.wav", "first"}};
    for (const auto& [entry, file, title] : turns) {
        player().Stop();
        Zpm.iMarqueePos = 9;
        StatusTick();
        EXPECT_EQ(tuple(Zpm.iPlIdx, player().FileName(), player().PlayState(), Zpm.sNowTitle, Zpm.iMarqueePos,
                        window->time.ends_with("  (" + std::to_string(entry) + "/3)")),
                  tuple(entry, (folder / file).string(), Playing, title, 0, true)) << window->time;
    }
    // Outside the large open machine the title is left alone.
    for (std::int16_t mode : {2, 3, 4}) {
        Zpm.iMaschineMode = mode;
        Zpm.sNowTitle = "kept";
        player().Stop();
        StatusTick();
        EXPECT_EQ(std::pair(Zpm.iPlIdx, Zpm.sNowTitle), std::pair(mode == 4 ? 1 : mode, std::string("kept")));
    }
    // A position outside the list, as after a shorter list replaced a longer
    // one, starts it again; positions beyond 16 bits go on counting.
    Zpm.iPlIdx = 40;
    player().Stop();
    StatusTick();
    ASSERT_EQ(Zpm.iPlIdx, 1);
    Zpm.aPlaylist.assign(40001, "e.wav");
    Zpm.aPlaylist[32768] = "32768.wav";
    Zpm.iPlIdx = 32767;
    player().Stop();
    StatusTick();
    EXPECT_EQ(player().FileName(), "e.wav32768.wav");
    Zpm.aPlaylist = {folder.string() + "/"};  // no entry: the playlist ends
    player().Stop();
    StatusTick();
    EXPECT_FALSE(Zpm.bPlaylistOn);
}

// Entries that cannot be played are passed over a tick each; a list of
// nothing playable ends after one round with the error mark, which stays.
TEST_F(Tick, EntriesThatCannotBePlayedArePassedOver) {
    start({"missing.wav.gone", "empty.wav.gone", "good.wav"});
    writeFile(folder / "empty.wav.gone", "");
    click(5);
    EXPECT_EQ(picture(5), P::Ready);
    for (int entry : {2, 3, 3}) {
        StatusTick();
        EXPECT_EQ(Zpm.iPlIdx, entry);
    }
    EXPECT_EQ(tuple(player().PlayState(), picture(5)), tuple(Playing, P::ListOnAir));
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) writeFile(folder / name, "no sound");
    mdINIBas::SetIniValue("lsts", "s6", folder.string() + "/,a.wav,b.wav,c.wav", Zpm.INI_Name);
    mdINIBas::SetIniValue("snds", "s6", "PlayList_6", Zpm.INI_Name);
    LoadSettings();
    click(6);
    StatusTick();
    EXPECT_TRUE(Zpm.bPlaylistOn);
    StatusTick();
    EXPECT_EQ(std::tuple(Zpm.bPlaylistOn, picture(6), window->ButtonTag(6)), std::tuple(false, P::Error, ErrorMark));
    StatusTick();
    EXPECT_EQ(tuple(picture(6), Zpm.iPlIdx), tuple(P::Error, 3));
}

// The first matching rule sets one picture, on the released button or, for a
// playing playlist, on the current one. Only the button whose sound plays shows it on air.
TEST_F(Tick, ReleasedButtonsKeepThePictureOfTheirState) {
    // scene, released button, shift, marked, playlist on; the button that changes and its picture
    const std::tuple<Scene, int, int, bool, bool, int, P> rows[] = {
        {Idle, 2, 0, false, false, 2, P::Ready},   {Idle, 40, 0, false, false, 40, P::Empty},
        {Idle, 2, 0, true, false, 2, P::Error},    {Play, 40, 1, false, false, 40, P::Empty},
        {Play, 2, 0, false, false, 2, P::Ready},   {Play, 2, 0, true, false, 2, P::Error},
        {Play, 2, 2, true, false, 2, P::Error},
        {Play, 2, 2, false, false, 2, P::Ready},   {Play, 1, 0, false, false, 1, P::OnAir},
        {Play, 1, 4, true, false, 1, P::Error},    {Play, 2, 0, false, true, 1, P::ListOnAir},
        {Play, 2, 4, false, true, 1, P::ListOnAir}, {Pause, 2, 0, false, false, 2, P::Ready},
        {Pause, 40, 0, false, false, 40, P::Empty}, {Pause, 2, 6, true, false, 2, P::Error},
        {Stop, 1, 0, false, false, 1, P::Ready},
    };
    for (const auto& [scene, index, shift, marked, playlistOn, shownOn, shown] : rows) {
        this->scene(scene);
        window->SetButtonTag(index, marked ? ErrorMark : "");
        Zpm.bPlaylistOn = playlistOn;
        window->buttons[1].picture.reset();
        window->buttons[index].picture.reset();
        ShowReleasedButton(index, shift);
        EXPECT_EQ(std::pair(picture(shownOn), picture(index)),
                  std::pair(std::optional(shown), shownOn == index ? std::optional(shown) : std::nullopt))
            << scene << " " << index << " " << shift;
    }
}

}  // namespace
