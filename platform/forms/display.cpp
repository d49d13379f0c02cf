#include "display.h"

#include <xcb/xcb.h>

#include <cstdlib>

namespace forms {
namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt ends the process when it cannot open its display, so ask first.
bool x11DisplayReachable() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

}  // namespace

bool chooseDisplay() {
    if (isSet("QT_QPA_PLATFORM")) return true;
    if (isSet("DISPLAY") && x11DisplayReachable()) return ::setenv("QT_QPA_PLATFORM", "xcb", 1) == 0;
    return isSet("WAYLAND_DISPLAY");
}

}  // namespace forms
