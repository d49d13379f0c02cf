// The status tick, one tick at a time: time and title displays, scrolling,
// playlist advance, blinking; also the time texts and the mouse release.
#include <cmath>
#include <limits>
#include <regex>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

TEST(FormatSeconds, WholeSecondsAsHoursMinutesAndSeconds) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, const char*> table[] = {
        {-5, "00:00:00"},     {0, "00:00:00"},         {0.99, "00:00:00"},      {1, "00:00:01"},
        {59.999, "00:00:59"}, {125.9, "00:02:05"},      {3725, "01:02:05"},      {86399, "23:59:59"},
        {86400, "24:00:00"},  {89999, "24:59:59"},      {89999.9, "24:59:59"},   {90000, "24:59:59"},
        {1e300, "24:59:59"},  {inf, "24:59:59"},       {-inf, "00:00:00"},      {std::nan(""), "00:00:00"},
    };
    for (const auto& [seconds, text] : table) EXPECT_EQ(FormatSeconds(seconds), text) << seconds;
}

bool isPlayingTime(const std::string& text, const std::string& total) {
    return std::regex_match(text, std::regex("\\d\\d:\\d\\d:\\d\\d - " + total));
}

// The date and time as the tick writes it while nothing plays.
bool isDateTime(const std::string& text) {
    return text.find(" - ") != std::string::npos && !std::regex_search(text, std::regex("\\(|00:00:30$"));
}

bool validUtf8(const std::string& text) { return text.find("\xEF\xBF\xBD") == std::string::npos; }

class Timer1Test : public MainWindowTest {
protected:
    std::string longSound;

    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        longSound = sound("Long_One.wav");
        Zpm.iMaschineMode = 1;
    }
    void TearDown() override {
        Zpm.iMaschineMode = 1;
        MainWindowTest::TearDown();
    }

    frmTest& startPlaying() {
        frmTest& window = start("[snds]\r\ns1=" + longSound + "\r\n");
        click(button(1));
        EXPECT_EQ(player().PlayState(), media::kPlaying);
        return window;
    }

    // What the title display should show for a title and a scroll position.
    static std::string visible(const std::string& title, std::size_t position) {
        const std::string marquee = MarqueeText(title + "   " + title);
        return position - 1 >= marquee.size() ? std::string() : marquee.substr(position - 1, title.size());
    }
};

TEST_F(Timer1Test, TimeAndTitleWhilePlayingAndWhileIdle) {
    frmTest& window = start("[snds]\r\ns1=" + longSound + "\r\n");
    // Before the first press only the displays are written.
    window.Image1[1].setPicture(window.ImgOnAir.Picture());
    tick();
    EXPECT_TRUE(isDateTime(window.lblTime.Caption())) << window.lblTime.Caption();
    EXPECT_EQ(window.lblTitel.Caption(), "");
    EXPECT_TRUE(showsState(1, window.ImgOnAir));

    click(button(1));
    tick();
    EXPECT_TRUE(isPlayingTime(window.lblTime.Caption(), "00:00:30")) << window.lblTime.Caption();
    EXPECT_EQ(window.lblTitel.Caption(), "Long One");
    EXPECT_EQ(window.lblTitel.Alignment(), forms::vbCenter);
    EXPECT_EQ(Zpm.sMarquee, MarqueeText("Long One"));
    EXPECT_TRUE(showsState(1, window.ImgOnAir));

    // An empty title is shown empty and centred.
    Zpm.sNowTitle.clear();
    tick();
    EXPECT_EQ(window.lblTitel.Caption(), "");
    EXPECT_EQ(window.lblTitel.Alignment(), forms::vbCenter);

    click(button(1));
    tick();
    EXPECT_EQ(window.lblTitel.Caption(), "");
    EXPECT_TRUE(isDateTime(window.lblTime.Caption())) << window.lblTime.Caption();
    EXPECT_TRUE(showsState(1, window.ImgReady));
}

TEST_F(Timer1Test, ShortTitlesStandStillAndLongOnesScrollOnePositionATick) {
    frmTest& window = startPlaying();
    const std::string seventy(70, 'x');
    Zpm.sNowTitle = seventy;
    for (int i = 0; i < 3; ++i) {
        tick();
        EXPECT_EQ(window.lblTitel.Caption(), seventy);
        EXPECT_EQ(window.lblTitel.Alignment(), forms::vbCenter);
    }

    std::string title;
    for (int i = 0; i < 71; ++i) title += static_cast<char>('A' + i % 26);
    Zpm.sNowTitle = title;
    // The short title left the position at 1; the scroll goes on from there.
    for (std::size_t position = 2; position <= 71; ++position) {
        tick();
        ASSERT_EQ(window.lblTitel.Caption(), visible(title, position)) << position;
        EXPECT_EQ(window.lblTitel.Alignment(), forms::vbLeftJustify);
    }
    EXPECT_EQ(window.lblTitel.Caption(), title.substr(70) + "   " + title.substr(0, 67));
    tick();
    EXPECT_EQ(window.lblTitel.Caption(), title);
    EXPECT_EQ(Zpm.sMarquee, MarqueeText(title + "   " + title));

    // A long title shorter than the position reached starts from its beginning.
    Zpm.sNowTitle = std::string(100, 'h');
    for (int i = 0; i < 89; ++i) tick();
    ASSERT_EQ(window.lblTitel.Caption(), visible(Zpm.sNowTitle, 90));
    const std::string shorter = title.substr(0, 75);
    Zpm.sNowTitle = shorter;
    tick();
    EXPECT_EQ(window.lblTitel.Caption(), shorter);
}

TEST_F(Timer1Test, VeryLongTitlesNeverReadPastTheBuffer) {
    frmTest& window = startPlaying();
    for (std::size_t length : {128u, 129u, 257u, 258u, 300u, 600u}) {
        std::string title;
        for (std::size_t i = 0; i < length; ++i) title += static_cast<char>('a' + i % 26);
        Zpm.sNowTitle = std::string(5, 's');
        tick();  // back to the first position
        Zpm.sNowTitle = title;
        for (std::size_t position = 2; position <= length + 1; ++position) {
            tick();
            const std::size_t expected = position > length ? 1 : position;
            ASSERT_EQ(window.lblTitel.Caption(), visible(title, expected)) << length << " " << position;
        }
    }
    // Cut characters are left out whole: every text shown is valid.
    std::string umlauts;
    for (int i = 0; i < 90; ++i) umlauts += i % 3 ? "\xC3\xA4" : "o";
    Zpm.sNowTitle = umlauts;
    for (std::size_t i = 0; i < umlauts.size() + 2; ++i) {
        tick();
        ASSERT_TRUE(validUtf8(window.lblTitel.Caption())) << i;
        ASSERT_LE(window.lblTitel.Caption().size(), umlauts.size());
    }
}

TEST_F(Timer1Test, PausedSingleSoundBlinksUntilItStops) {
    frmTest& window = start("[snds]\r\ns1=" + longSound + "\r\n");
    for (int index : {1, 40}) {
        SCOPED_TRACE(index);
        click(button(index));
        click(button(index), Qt::LeftButton, pauseKeys);
        ASSERT_EQ(player().PlayState(), media::kPaused);
        for (int i = 0; i < 4; ++i) {
            tick();
            EXPECT_TRUE(showsState(index, Zpm.bBlinkOn ? window.ImgOnAir : window.ImgReady)) << i;
            EXPECT_TRUE(isDateTime(window.lblTime.Caption()));
        }
        const bool phase = Zpm.bBlinkOn;
        tick();
        EXPECT_NE(Zpm.bBlinkOn, phase);
        player().Stop();
        tick();
        EXPECT_TRUE(showsState(index, index == 40 ? window.ImgEmpty : window.ImgReady));
        tick();
        EXPECT_TRUE(showsState(index, index == 40 ? window.ImgEmpty : window.ImgReady));
    }

    // A sound that cannot be played counts as ended.
    const fs::path broken = sounds / "broken.wav";
    writeFile(broken, "no sound");
    mdINIBas::SetIniValue("snds", "s2", broken.string(), Zpm.INI_Name);
    LoadSettings();
    click(button(2));
    ASSERT_EQ(player().PlayState(), media::kClosed);
    tick();
    EXPECT_TRUE(showsState(2, window.ImgReady));
}

class PlaylistTickTest : public Timer1Test {
protected:
    fs::path folder = temp.path() / "party";

    // Button 5 holds a list file of these entries in the folder "party".
    frmTest& startList(const std::vector<std::pair<std::string, int>>& entries) {
        fs::create_directories(folder);
        std::string text = folder.string() + "/";
        for (const auto& [name, milliseconds] : entries) {
            if (milliseconds > 0) writeSilentWav(folder / name, milliseconds);
            text += "\r\n" + name;
        }
        writeFile(temp.path() / "party.txt", text);
        return start("[snds]\r\ns1=" + longSound + "\r\ns5=PlayList_5\r\n[lsts]\r\ns5=" +
                     (temp.path() / "party.txt").string() + "\r\n");
    }
};

TEST_F(PlaylistTickTest, ThreeEntriesPlayInTurnAndWrapAround) {
    frmTest& window = startList({{"first.wav", 30000}, {"Second_One.wav", 600}, {"third.wav", 600}});
    click(button(5));
    ASSERT_TRUE(Zpm.bPlaylistOn);
    tick();
    EXPECT_TRUE(isPlayingTime(window.lblTime.Caption(), "00:00:30  \\(1/3\\)")) << window.lblTime.Caption();
    EXPECT_EQ(window.lblTitel.Caption(), "first");
    EXPECT_TRUE(showsState(5, window.ImgListOnAir));

    // The first entry is cut short; the others play to their ends.
    player().Stop();
    const std::pair<int, std::string> turns[] = {{2, "Second One"}, {3, "third"}, {1, "first"}};
    for (const auto& [entry, title] : turns) {
        SCOPED_TRACE(entry);
        ASSERT_TRUE(waitForEnd(player()));
        tick();
        EXPECT_EQ(Zpm.iPlIdx, entry);
        EXPECT_EQ(player().FileName(), folder.string() + "/" + Zpm.aPlaylist[static_cast<std::size_t>(entry)]);
        EXPECT_NE(player().PlayState(), media::kClosed);
        EXPECT_EQ(Zpm.sNowTitle, title);
        EXPECT_TRUE(isDateTime(window.lblTime.Caption().substr(0, window.lblTime.Caption().size() - 7)));
        EXPECT_TRUE(window.lblTime.Caption().ends_with("  (" + std::to_string(entry) + "/3)"))
            << window.lblTime.Caption();
        EXPECT_TRUE(Zpm.bPlaylistOn);
    }
    EXPECT_EQ(player().PlayState(), media::kPlaying);
}

TEST_F(PlaylistTickTest, PausedPlaylistBlinksWithoutItsPosition) {
    frmTest& window = startList({{"first.wav", 30000}, {"second.wav", 300}});
    click(button(105));
    click(button(105), Qt::LeftButton, pauseKeys);
    ASSERT_EQ(player().PlayState(), media::kPaused);
    for (int i = 0; i < 4; ++i) {
        tick();
        EXPECT_TRUE(showsState(105, Zpm.bBlinkOn ? window.ImgOnAir : window.ImgListOnAir)) << i;
        EXPECT_TRUE(isDateTime(window.lblTime.Caption())) << window.lblTime.Caption();
        EXPECT_EQ(Zpm.iPlIdx, 1);
    }
}

TEST_F(PlaylistTickTest, APlaylistIndexOutsideTheListNeverReadsPastIt) {
    startList({{"first.wav", 300}, {"second.wav", 300}});
    click(button(5));
    Zpm.iPlIdx = 40;  // as after a shorter list replaced a longer one
    player().Stop();
    tick();
    EXPECT_EQ(Zpm.iPlIdx, 1);
    EXPECT_EQ(player().FileName(), (folder / "first.wav").string());

    Zpm.aPlaylist = {folder.string() + "/"};
    player().Stop();
    tick();
    EXPECT_FALSE(Zpm.bPlaylistOn);
    EXPECT_EQ(player().PlayState(), media::kStopped);
}

TEST_F(Timer1Test, MinimisedWindowShowsTheTimeInItsCaption) {
    frmTest& window = startPlaying();
    window.lblTime.setCaption("kept");
    window.setWindowState(forms::vbMinimized);
    ASSERT_EQ(window.WindowState(), forms::vbMinimized);
    tick();
    EXPECT_TRUE(isPlayingTime(window.Caption(), "00:00:30")) << window.Caption();
    EXPECT_EQ(window.lblTime.Caption(), "kept");

    click(button(1));
    tick();
    EXPECT_TRUE(isDateTime(window.Caption())) << window.Caption();
    EXPECT_EQ(window.lblTime.Caption(), "kept");

    // Under the disguise the caption stays and the displays are kept.
    Zpm.bPanic = true;
    window.setCaption("Rechner (Wissenschaftlich)");
    tick();
    EXPECT_EQ(window.Caption(), "Rechner (Wissenschaftlich)");
    EXPECT_TRUE(isDateTime(window.lblTime.Caption()));
    Zpm.bPanic = false;
    window.setWindowState(forms::vbNormal);
}

}  // namespace

TEST_F(PlaylistTickTest, EntriesThatCannotBePlayedArePassedOverATickEach) {
    startList({{"missing.wav", 0}, {"empty.wav", 0}, {"good.wav", 30000}});
    writeFile(folder / "empty.wav", "");
    click(button(5));
    ASSERT_TRUE(Zpm.bPlaylistOn);
    EXPECT_EQ(player().PlayState(), media::kClosed);
    tick();
    EXPECT_EQ(Zpm.iPlIdx, 2);
    tick();
    EXPECT_EQ(Zpm.iPlIdx, 3);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    tick();
    EXPECT_EQ(Zpm.iPlIdx, 3);
}

TEST_F(Timer1Test, MouseReleaseGivesThePressedButtonItsPicture) {
    frmTest& window = start("[snds]\r\ns1=" + longSound + "\r\ns2=" + longSound + "\r\n");
    // Idle: ready, or empty for an empty button.
    release(button(2), Qt::RightButton);
    EXPECT_TRUE(showsState(2, window.ImgReady));
    release(button(40));
    EXPECT_TRUE(showsState(40, window.ImgEmpty));

    click(button(1));
    release(button(40), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_TRUE(showsState(40, window.ImgEmpty));
    // Only the button whose sound plays shows it on air.
    release(button(2));
    EXPECT_TRUE(showsState(2, window.ImgReady));
    release(button(1));
    EXPECT_TRUE(showsState(1, window.ImgOnAir));
    button(2).setTag("Lerror");
    release(button(2), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_TRUE(showsState(2, window.ImgError));
    button(2).setTag("");
    button(1).setToolTipText("x");
    release(button(101), Qt::RightButton, Qt::ControlModifier);
    EXPECT_TRUE(showsState(101, window.ImgOnAir));

    // While a playlist plays the current button shows it.
    Zpm.bPlaylistOn = true;
    release(button(2));
    EXPECT_TRUE(showsState(1, window.ImgListOnAir));
    Zpm.bPlaylistOn = false;

    click(button(1), Qt::LeftButton, pauseKeys);
    release(button(2));
    EXPECT_TRUE(showsState(2, window.ImgReady));
    release(button(40));
    EXPECT_TRUE(showsState(40, window.ImgEmpty));
}
