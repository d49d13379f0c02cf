#include <QApplication>
#include <regex>

#include "sound_list_test_support.h"

namespace {

using namespace sbtest;

class TitleBar : public SoundListTest {};

constexpr forms::Color White = 0xFFFFFF;
constexpr forms::Color Magenta = 0xFF00FF;

TEST_F(TitleBar, SizeAndFoldSwitchesMoveAlongTheModeTableAndCloseTheSoundList) {
    struct Case {
        std::int16_t before, afterSize, afterFold;
    };
    constexpr Case cases[] = {{1, 3, 2}, {2, 4, 1}, {3, 1, 4}, {4, 2, 3}, {7, 7, 7}};
    start();
    for (const Case& c : cases) {
        for (const bool fold : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mode " << c.before << (fold ? " fold" : " size"));
            Zpm.iMaschineMode = c.before == 7 ? 1 : c.before;
            form->set_maschine();
            Zpm.iMaschineMode = c.before;
            openList();
            ASSERT_TRUE(list().Loaded());
            form->lblTitel.setVisible(true);
            form->cmdfokus.setVisible(true);
            window()->setFocus();

            clickOn(fold ? form->Lblup : form->LblSmallwin);

            const std::int16_t after = fold ? c.afterFold : c.afterSize;
            EXPECT_EQ(Zpm.iMaschineMode, after);
            EXPECT_EQ(form->lblTitel.Visible(), after == 1);
            EXPECT_FALSE(Zpm.bSndListOpen);
            EXPECT_FALSE(list().Loaded());
            EXPECT_EQ(window()->focusWidget() == forms::widgetOf(form->cmdfokus), fold);
            if (after >= 1 && after <= 4) {
                EXPECT_EQ(Zpm.lWinW, after <= 2 ? 306 : 123);
            }
        }
    }
}

TEST_F(TitleBar, TheTwoOnTopSwitchesKeepTheirOwnStateAndSigns) {
    start();
    forms::Label& time = form->lblTime;
    const auto ledLit = [&] { return form->PicLed.Visible(); };
    const auto rightPress = [&](Qt::KeyboardModifiers keys = {}) { clickOn(time, Qt::RightButton, keys); };

    // The LED key first, then the time display twice: the LED stays lit.
    clickOn(form->LblOnTop);
    EXPECT_TRUE(ledLit());
    EXPECT_EQ(form->PicLed.Left(), 46);
    EXPECT_EQ(form->PicLed.Top(), 6);
    rightPress();
    EXPECT_EQ(time.ForeColor(), Magenta);
    rightPress();
    EXPECT_EQ(time.ForeColor(), White);
    EXPECT_TRUE(ledLit());
    EXPECT_TRUE(frmTest::onTop.bOnTop);
    clickOn(form->LblOnTop);
    EXPECT_FALSE(ledLit());
    EXPECT_FALSE(frmTest::onTop.bOnTop);

    // The roles swapped; Shift does not matter, other buttons do nothing.
    rightPress(Qt::ShiftModifier);
    EXPECT_EQ(time.ForeColor(), Magenta);
    clickOn(form->LblOnTop);
    clickOn(form->LblOnTop);
    EXPECT_FALSE(ledLit());
    EXPECT_EQ(time.ForeColor(), Magenta);
    clickOn(time, Qt::LeftButton);
    clickOn(time, Qt::MiddleButton);
    EXPECT_EQ(time.ForeColor(), Magenta);
    EXPECT_TRUE(frmTest::onTop.bTimeOnTop);
    rightPress();
    EXPECT_EQ(time.ForeColor(), White);
}

TEST_F(TitleBar, MinimiseTakesTheOutlineAndShowsTheDateUntilRestored) {
    start();
    const QRegion outline = outlineOf("skins/large_open.bmp");
    ASSERT_EQ(windowMask(), outline);

    clickOn(form->LblMin);
    EXPECT_EQ(form->WindowState(), forms::vbMinimized);
    EXPECT_TRUE(windowMask().isEmpty());
    EXPECT_TRUE(std::regex_match(form->Caption(), std::regex("[0-9/.-]+ - [0-9:]+.*"))) << form->Caption();

    form->setWindowState(forms::vbNormal);
    EXPECT_EQ(form->Caption(), "Zirpomat");
    EXPECT_EQ(windowMask(), outline);
}

// Any mouse button on the skin starts a move of the window; presses on its
// elements never do.
TEST_F(TitleBar, EveryButtonOnTheSkinDragsTheWindowAndElementsDoNot) {
    start();
    for (const Qt::MouseButton which : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        SCOPED_TRACE(which);
        sendMouseTo(window(), QEvent::MouseButtonPress, {5, 60}, which, which, {});
        EXPECT_EQ(QWidget::mouseGrabber(), window());
        sendMouseTo(window(), QEvent::MouseButtonRelease, {5, 60}, which, Qt::NoButton, {});
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    }
    for (forms::Control* element : std::initializer_list<forms::Control*>{
             &form->lblTime, &form->LblOnTop, &form->Picture1, &button(1), &form->lblTitel}) {
        clickOn(*element, Qt::RightButton);
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    }
}

TEST_F(TitleBar, HelpSoundListAndCloseSpots) {
    start();
    int helpShown = 0;
    frmTest::links.showHelpWindow = [&] { ++helpShown; };
    clickOn(form->LblHelp);
    EXPECT_EQ(helpShown, 1);

    // A second click shows the same list, not loaded again.
    openList();
    EXPECT_TRUE(Zpm.bSndListOpen);
    EXPECT_TRUE(list().Visible());
    list().LstSounds.setListIndex(3);
    openList();
    EXPECT_EQ(list().LstSounds.ListIndex(), 3);
    EXPECT_TRUE(Zpm.bSndListOpen);

    form->Move(4500, 3000);
    clickOn(form->LblClose);
    EXPECT_FALSE(form->Loaded());
    EXPECT_FALSE(list().Loaded());
    EXPECT_EQ(onDisk("ppos", "xp"), "4500");
    EXPECT_EQ(onDisk("ppos", "yp"), "3000");
}

}  // namespace
