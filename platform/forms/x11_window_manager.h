// What the runtime asks of an X11 window manager directly, through the
// extended window manager hints: the "above" state and the manager's own
// move of a window. Qt's window flags would re-create, hide and move a shown
// window, and Qt's own move always names the left button. Part of the
// runtime's Qt side; every call is false where Qt does not run on X11, where
// the window has no native window yet, or where no window manager runs.
#pragma once

#include <Qt>
#include <string>

class QWidget;

namespace forms::x11 {

// Puts the window into or out of the "above" state: a shown window through
// the window manager, a hidden one by the hint the manager reads when it is
// shown. The state is asked for again whenever the window manager takes the
// window in anew (it forgets it when the window is hidden).
bool setAbove(QWidget& window, bool above);

// Just before a window is mapped: a window that Qt holds normal asks to be
// shown normal (after the window manager restored a minimised window, its
// hints would still ask for minimised). From then on a window that the
// window manager maps while Qt holds it minimised is taken as restored, also
// when the program learnt of neither change in time.
void beforeShowing(QWidget& window);

// The launcher's start-up notice, answered ("remove") when the first window
// is shown, so that the launcher's busy sign ends then.
void holdStartupNotice(std::string id);

// Lets the window manager move the window with the mouse until `button` is
// let go; a button already let go moves nothing.
bool startMove(QWidget& window, Qt::MouseButton button);

}  // namespace forms::x11
