// The program module works on the recording window alone.
#include "core_test_support.h"

namespace {

using namespace sbtest;

TEST_F(CoreTest, PlainClickStartsAndStopsOnTheRecordingWindow) {
    const std::string one = sound("One.wav");
    load("[snds]\r\ns1=" + one + "\r\n");
    EXPECT_EQ(window->ButtonToolTip(1), "One");
    EXPECT_EQ(window->ButtonToolTip(101), "One");
    click(1);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(picture(1), ButtonPicture::OnAir);
    click(101);
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(picture(101), ButtonPicture::Ready);
}

}  // namespace
