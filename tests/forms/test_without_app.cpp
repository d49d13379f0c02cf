#include <gtest/gtest.h>

#include "runtime.h"

// A tool or test without windows may call the event pass and ask for the
// screen: nothing happens and nothing is made.
TEST(FormsWithoutApplication, EventPassAndScreenAreHarmless) {
    forms::DoEvents();
    EXPECT_EQ(forms::ScreenWidth(), 0);
    EXPECT_EQ(forms::ScreenHeight(), 0);
    forms::setMessageHook([](const forms::MessageRequest& request) { return request.buttons == forms::vbYesNo ? forms::vbNo : forms::vbOK; });
    EXPECT_EQ(forms::MsgBox("Exit Program?", forms::vbYesNo, "Calculator"), forms::vbNo);
}
