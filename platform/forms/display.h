// Which window system the program's windows go to.
#pragma once

namespace forms {

// Picks the window system before the runtime starts: one chosen by the
// user (QT_QPA_PLATFORM) stays; a reachable X display is preferred, also on
// Wayland, since window shapes, always-on-top and minimising work there as
// the program needs them; else Wayland. False when none can be reached.
bool chooseDisplay();

}  // namespace forms
