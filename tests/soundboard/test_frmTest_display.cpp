// The main window shows what the program module decides, and only what
// changed: an idle tick copies no picture and rewrites no label.
#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

TEST_F(MainWindowTest, IdleTicksLeaveAnUnchangedPictureAlone) {
    start("[snds]\r\ns1=" + sound("One.wav", 200) + "\r\n");
    click(button(1));
    ASSERT_TRUE(waitForEnd(player()));
    tick();
    ASSERT_TRUE(showsState(1, form->ImgReady));
    const gdi::Handle shown = button(1).Picture().handle();
    tick();
    tick();
    EXPECT_EQ(button(1).Picture().handle(), shown);

    // A new state still reaches the button.
    click(button(1));
    EXPECT_TRUE(showsState(1, form->ImgOnAir));
    EXPECT_NE(button(1).Picture().handle(), shown);
}

}  // namespace
