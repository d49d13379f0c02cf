// Window shapes and the clipboard, handed on to the window host.
#pragma once

#include <cstdint>

#include "gdi_objects.h"

namespace gdi {

inline constexpr std::uint32_t CF_BITMAP = 2;

// Gives the window the region as its outline (0 takes the outline away).
// On success the region belongs to the window system and its handle is no
// longer valid; on failure (no such window, not a region, no host) it stays
// the caller's and the result is 0.
int SetWindowRgn(WindowHandle window, Handle region, bool redraw);

// The clipboard: open it, empty it, place a bitmap (format CF_BITMAP; the
// bitmap then belongs to the clipboard, which deletes it when emptied next
// time), close it. Every call but OpenClipboard needs it open.
bool OpenClipboard(WindowHandle owner);
bool EmptyClipboard();
Handle SetClipboardData(std::uint32_t format, Handle data);
bool CloseClipboard();

}  // namespace gdi
