// Starts the forms runtime with the main window and runs until it unloads.
#include <cstdio>
#include <string>
#include <string_view>

#include "forms.h"
#include "Form1.h"
#include "Form2.h"
#include "frmTest.h"
#include "mdINIBas.h"
#include "media_player.h"

namespace {

constexpr const char* kNoDisplayHint =
    "zirpomat needs a graphical display and cannot reach one (DISPLAY names none that answers, and no Wayland display is set); "
    "to run it without one, start it under a virtual X server: xvfb-run -a ./scripts/run.sh";

std::string joinedArguments(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    forms::takeStartupNotice();
    // From here on a thread reads the environment, so nothing writes it: the
    // display choice goes to Qt as an argument, and a restart hands its count
    // to the new process alone.
    media::initialiseInBackground();
    if (!forms::chooseDisplay()) {
        std::fprintf(stderr, "%s\n", kNoDisplayHint);
        return 1;
    }
    frmTest::links.CommandLine = joinedArguments(argc, argv);
    frmTest::links.showHelpWindow = [] { Form1::instance().Show(); };
    frmTest::links.unloadHelpWindow = UnloadHelpWindow;
    frmTest::links.showSoundList = [] { Form2::instance().Show(); };
    frmTest::links.unloadSoundList = [] { Form2::instance().Close(); };
    forms::startRuntimeOrExit(kNoDisplayHint);
    mdINIBas::SetEventPump(forms::DoEvents);
    frmTest::instance().Show();
    return forms::Run();
}
