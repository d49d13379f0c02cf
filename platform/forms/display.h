// Which window system the program's windows go to, and starting on it.
#pragma once

namespace forms {

// Takes the launcher's start-up notice (DESKTOP_STARTUP_ID) out of the
// environment, to be answered when the first window shows. Qt would take it
// out itself while it connects, when threads started at first may be reading
// the environment; so this comes first, before any thread.
void takeStartupNotice();

// Picks the window system before the runtime starts: one chosen by the
// user (QT_QPA_PLATFORM) stays; a reachable X display is preferred, also on
// Wayland, since window shapes, always-on-top and minimising work there as
// the program needs them; else Wayland. False when none can be reached.
// The choice goes to the runtime directly: the environment is left as it is.
bool chooseDisplay();

// Starts the runtime (as startRuntime) on the chosen window system. Qt ends
// the process when its own connection fails, which a busy X server makes
// happen now and then even right after chooseDisplay() reached it: the
// program is then started again from the beginning after a short pause, a
// few times, and after that `hint` is printed as one line and the process
// exits with 1. It never aborts there.
void startRuntimeOrExit(const char* hint);

}  // namespace forms
