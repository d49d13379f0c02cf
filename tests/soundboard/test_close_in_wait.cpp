// Closing the main window inside each kind of wait of a press, in a process
// of its own: the program's event loop ends, every waiting press returns
// without starting anything, and the process exits.
#include <sys/wait.h>

#include <cstdio>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

// What the closing program prints, and whether it ended well; a hung child
// is killed after a minute.
std::pair<std::string, int> runChild(const std::string& scenario) {
    FILE* child = ::popen(("timeout -s KILL 60 " ZPM_CLOSE_IN_WAIT " " + scenario).c_str(), "r");
    if (!child) return {"", -1};
    std::string printed;
    char buffer[512];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, child)) printed.append(buffer, n);
    return {printed, ::pclose(child)};
}

using CloseInWait = DataFolderTest;

// The unload silences both players (-10000); a press that went on after it
// would have set a level of its own, or started its sound.
TEST_F(CloseInWait, EveryWaitEndsAndNothingStarts) {
    fs::create_directories(dataFolder);
    writeFile(ini, "[snds]\r\ns1=" + sound("one.wav") + "\r\ns2=" + sound("long_jingle.wav") +
                       "\r\ns3=" + sound("short.wav", 300) + "\r\ns4=" + sound("four.wav") + "\r\n");
    const std::pair<const char*, const char*> expected[] = {
        {"jingle", "main=0 one.wav -10000 second=0 long_jingle.wav -10000 steps=0 current=1"},
        {"talkover", "main=0 one.wav -10000 second=6  -10000 steps=1 current=1"},
        {"oneshot-down", "main=0 one.wav -10000 second=0 short.wav -10000 steps=1 current=1"},
        {"oneshot-wait", "main=0 one.wav -10000 second=0 long_jingle.wav -10000 steps=10 current=1"},
        {"oneshot-up", "main=0 one.wav -10000 second=0 short.wav -10000 steps=11 current=1"},
        {"fadeover", "main=0 one.wav -10000 second=6  -10000 steps=0 current=1"},
        {"nested", "main=0 one.wav -10000 second=0 long_jingle.wav -10000 steps=1 current=1"},
    };
    for (const auto& [scenario, state] : expected) {
        SCOPED_TRACE(scenario);
        const auto [printed, status] = runChild(scenario);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        EXPECT_EQ(printed, std::string("run=0 ") + state + "\n");
    }
}

}  // namespace
