// Starts the forms runtime with the main window and runs until it unloads.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "forms.h"
#include "frmTest.h"
#include "mdINIBas.h"

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Window shapes, always-on-top and minimising work as the program needs
// them on X11, so an X display is preferred, also under Wayland.
bool chooseDisplay() {
    if (isSet("QT_QPA_PLATFORM")) return true;
    if (isSet("DISPLAY")) return ::setenv("QT_QPA_PLATFORM", "xcb", 1) == 0;
    return isSet("WAYLAND_DISPLAY");
}

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
    if (!chooseDisplay()) {
        std::fputs("zirpomat needs a graphical display and none is set (DISPLAY and WAYLAND_DISPLAY are empty); "
                   "to run it without one, start it under a virtual X server: xvfb-run -a ./scripts/run.sh\n",
                   stderr);
        return 1;
    }
    frmTest::CommandLine = joinedArguments(argc, argv);
    forms::startRuntime();
    mdINIBas::SetEventPump(forms::DoEvents);
    frmTest::instance().Show();
    return forms::Run();
}
