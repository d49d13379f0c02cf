// Closing the main window inside each kind of wait of a press, in a process
// of its own: the program's event loop ends, every waiting press returns
// without starting anything, and the process exits.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "soundboard_test_support.h"

extern char** environ;

namespace {

using namespace sbtest;

struct ChildResult {
    bool exited = false;
    int status = -1;
    std::string printed;
};

// Runs the closing program; a child that goes quiet for a minute without
// ending is killed and reported as hung.
ChildResult runChild(const std::string& scenario) {
    ChildResult result;
    int out[2];
    if (::pipe(out) != 0) return result;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        std::string program = ZPM_CLOSE_IN_WAIT;
        std::string argument = scenario;
        char* argv[] = {program.data(), argument.data(), nullptr};
        ::execve(program.c_str(), argv, environ);
        ::_exit(4);
    }
    ::close(out[1]);
    char buffer[512];
    pollfd readable{out[0], POLLIN, 0};
    bool hung = false;
    for (;;) {
        if (::poll(&readable, 1, 60000) <= 0) {
            hung = true;
            break;
        }
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        result.printed.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    if (hung) ::kill(child, SIGKILL);
    ::waitpid(child, &result.status, 0);
    result.exited = !hung && WIFEXITED(result.status) && WEXITSTATUS(result.status) == 0;
    return result;
}

class CloseInWait : public DataFolderTest {
protected:
    void SetUp() override {
        if (!platform::files::isOnSystemDrive(platform::files::programFolder()))
            GTEST_SKIP() << "the test program lies on a portable folder";
        DataFolderTest::SetUp();
        fs::create_directories(dataFolder);
        writeSilentWav(media / "eep.wav", 3000);
        writeFile(ini, "[snds]\r\ns1=" + sound("one.wav") + "\r\ns2=" + sound("long_jingle.wav") +
                                        "\r\ns3=" + sound("short.wav", 300) + "\r\ns4=" + sound("four.wav") + "\r\n");
    }
};

// The unload silences both players (-10000); a press that went on after it
// would have set a level of its own, or started its sound.
TEST_F(CloseInWait, EveryWaitEndsAndNothingStarts) {
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
        const ChildResult result = runChild(scenario);
        EXPECT_TRUE(result.exited) << "status " << result.status;
        EXPECT_EQ(result.printed, std::string("run=0 ") + state + "\n");
    }
}

}  // namespace
