// What the windows of the program do for the graphics layer: shape a window,
// take a bitmap onto the desktop clipboard, show a plain message. The forms
// runtime installs the real host; tests may install their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "gdi_objects.h"

namespace gdi {

class WindowHost {
public:
    virtual ~WindowHost() = default;
    // Gives the window the outline made of these rectangles (window pixel
    // coordinates), or takes the outline away (nullopt). False when no such
    // window exists.
    virtual bool setWindowShape(WindowHandle window, const std::optional<std::vector<Rect>>& shape, bool redraw) = 0;
    // Puts a copy of the bitmap on the desktop clipboard as an image.
    virtual bool setClipboardBitmap(const Bitmap& bitmap) = 0;
    // A message box with only an OK button and the program's own title.
    virtual void showMessage(std::string_view text) = 0;
};

void setWindowHost(WindowHost* host);  // nullptr: no windows (tools, some tests)
WindowHost* windowHost();

}  // namespace gdi
