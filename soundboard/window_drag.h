// How the program's windows are moved by their own surface: the mouse
// capture is let go and the window is told its caption was pressed, so the
// window system moves it with the mouse, whichever button went down.
#pragma once

#include "forms.h"

inline void DragWindow(gdi::WindowHandle hWnd) {
    forms::ReleaseCapture();
    forms::SendMessage(hWnd, forms::WM_NCLBUTTONDOWN, forms::HTCAPTION, 0);
}
