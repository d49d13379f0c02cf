// Window services the program asks of the window system, under the names
// and numbers the program uses for them.
#pragma once

#include <cstdint>

#include "window_host.h"

namespace forms {

constexpr std::intptr_t HWND_TOPMOST = -1;
constexpr std::intptr_t HWND_NOTOPMOST = -2;
constexpr unsigned SWP_NOSIZE = 0x0001;
constexpr unsigned SWP_NOMOVE = 0x0002;
constexpr unsigned WM_NCLBUTTONDOWN = 161;
constexpr std::intptr_t HTCAPTION = 2;

// Only the stacking change HWND_TOPMOST / HWND_NOTOPMOST is supported: the
// window manager's "above" state, changed on the shown window without hiding,
// moving, re-creating or unshaping it, and kept when the window is hidden and
// shown again. A move or size is done only when the flags ask for it. False,
// changing nothing, for an unknown window and where the above state cannot
// be had: a window not shown yet (no native window), a display other than
// X11, or no window manager running.
bool SetWindowPos(gdi::WindowHandle window, std::intptr_t insertAfter, int x, int y, int cx, int cy, unsigned flags);
bool ReleaseCapture();
// WM_NCLBUTTONDOWN with HTCAPTION starts moving the window with the mouse
// until the button held now is let go (the window manager's own move, or the
// window following the mouse where there is none); other messages are not
// handled and give 0.
std::intptr_t SendMessage(gdi::WindowHandle window, unsigned message, std::intptr_t wParam, std::intptr_t lParam);

}  // namespace forms
