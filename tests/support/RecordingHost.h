// Stands in for the windows of the program, for the drawing and imaging tests: records the outline each
// window was given, the bitmaps put on the clipboard and the messages shown.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "window_host.h"

class RecordingHost : public gdi::WindowHost {
public:
    RecordingHost() { gdi::setWindowHost(this); }
    ~RecordingHost() override { gdi::setWindowHost(nullptr); }
    bool setWindowShape(gdi::WindowHandle window, const std::optional<std::vector<gdi::Rect>>& shape, bool redraw) override {
        if (missingWindows.count(window)) return false;
        return shapes[window] = shape, redraws.push_back(redraw), true;
    }
    bool setClipboardBitmap(const gdi::Bitmap& bitmap) override { return !refuseClipboard && (clipboard = bitmap, true); }
    void showMessage(std::string_view text) override { messages.emplace_back(text); }

    std::set<gdi::WindowHandle> missingWindows;
    bool refuseClipboard = false;
    std::map<gdi::WindowHandle, std::optional<std::vector<gdi::Rect>>> shapes;
    std::vector<bool> redraws;
    std::optional<gdi::Bitmap> clipboard;
    std::vector<std::string> messages;
};
