// The title bar's spots on the real main window: size and fold switches,
// the two on-top switches, minimise, help, sound list and close, and the
// drag of the window by its skin.
#include <QApplication>
#include <regex>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

class TitleBar : public SoundListTest {};

TEST_F(TitleBar, SizeAndFoldSwitchesMoveAlongTheModeTableAndCloseTheSoundList) {
    struct Case {
        std::int16_t before, afterSize, afterFold;
    };
    start();
    for (const Case& c : {Case{1, 3, 2}, Case{2, 4, 1}, Case{3, 1, 4}, Case{4, 2, 3}, Case{7, 7, 7}}) {
        for (const bool fold : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mode " << c.before << (fold ? " fold" : " size"));
            Zpm.iMaschineMode = c.before == 7 ? 1 : c.before;
            form->set_maschine();
            Zpm.iMaschineMode = c.before;
            openList();
            form->lblTitel.setVisible(true);
            form->cmdfokus.setVisible(true);
            window()->setFocus();
            click(fold ? form->Lblup : form->LblSmallwin);
            const std::int16_t after = fold ? c.afterFold : c.afterSize;
            EXPECT_EQ(Zpm.iMaschineMode, after);
            EXPECT_EQ(form->lblTitel.Visible(), after == 1);
            EXPECT_FALSE(list().Loaded());
            EXPECT_EQ(window()->focusWidget() == forms::widgetOf(form->cmdfokus), fold);
        }
    }
}

TEST_F(TitleBar, TheTwoOnTopSwitchesKeepTheirOwnStateAndSigns) {
    constexpr forms::Color White = 0xFFFFFF, Magenta = 0xFF00FF;
    start();
    forms::Label& time = form->lblTime;
    const auto rightPress = [&](Qt::KeyboardModifiers keys = {}) { click(time, Qt::RightButton, keys); };
    // The LED key first, then the time display twice: the LED stays lit.
    click(form->LblOnTop);
    EXPECT_TRUE(form->PicLed.Visible());
    rightPress();
    EXPECT_EQ(time.ForeColor(), Magenta);
    rightPress();
    EXPECT_EQ(time.ForeColor(), White);
    EXPECT_TRUE(form->PicLed.Visible());
    click(form->LblOnTop);
    EXPECT_FALSE(form->PicLed.Visible());
    EXPECT_FALSE(frmTest::onTop.bOnTop);
    // The roles swapped; Shift does not matter, other buttons do nothing.
    rightPress(Qt::ShiftModifier);
    click(form->LblOnTop);
    click(form->LblOnTop);
    EXPECT_FALSE(form->PicLed.Visible());
    click(time, Qt::LeftButton);
    click(time, Qt::MiddleButton);
    EXPECT_EQ(time.ForeColor(), Magenta);
    EXPECT_TRUE(frmTest::onTop.bTimeOnTop);
}

TEST_F(TitleBar, MinimiseTakesTheOutlineAndShowsTheDateUntilRestored) {
    start();
    const QRegion outline = outlineOf("skins/large_open.bmp");
    click(form->LblMin);
    EXPECT_EQ(form->WindowState(), forms::vbMinimized);
    EXPECT_TRUE(windowMask().isEmpty());
    EXPECT_TRUE(std::regex_match(form->Caption(), std::regex("[0-9/.-]+ - [0-9:]+.*"))) << form->Caption();
    form->setWindowState(forms::vbNormal);
    EXPECT_EQ(form->Caption(), "Zirpomat");
    EXPECT_EQ(windowMask(), outline);
}

// Any mouse button on the skin starts a move of the window; presses on its elements never do.
TEST_F(TitleBar, EveryButtonOnTheSkinDragsTheWindowAndElementsDoNot) {
    start();
    for (const Qt::MouseButton which : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        sendMouseTo(window(), QEvent::MouseButtonPress, {5, 60}, which, which);
        EXPECT_EQ(QWidget::mouseGrabber(), window()) << which;
        sendMouseTo(window(), QEvent::MouseButtonRelease, {5, 60}, which, Qt::NoButton);
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    }
    for (forms::Control* element : std::initializer_list<forms::Control*>{
             &form->lblTime, &form->LblOnTop, &form->Picture1, &button(1), &form->lblTitel}) {
        click(*element, Qt::RightButton);
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    }
}

TEST_F(TitleBar, HelpSoundListAndCloseSpots) {
    start();
    int helpShown = 0;
    frmTest::links.showHelpWindow = [&] { ++helpShown; };
    click(form->LblHelp);
    EXPECT_EQ(helpShown, 1);
    // A second click shows the same list, not loaded again.
    openList();
    EXPECT_TRUE(Zpm.bSndListOpen);
    list().LstSounds.setListIndex(3);
    openList();
    EXPECT_EQ(list().LstSounds.ListIndex(), 3);

    form->Move(4500, 3000);
    click(form->LblClose);
    EXPECT_FALSE(form->Loaded());
    EXPECT_FALSE(list().Loaded());
    EXPECT_EQ(onDisk("ppos", "xp"), "4500");
    EXPECT_EQ(onDisk("ppos", "yp"), "3000");
}

}  // namespace
