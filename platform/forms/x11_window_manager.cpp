#include "x11_window_manager.h"

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace forms::x11 {
namespace {

constexpr std::uint32_t kStateRemove = 0;
constexpr std::uint32_t kStateAdd = 1;
constexpr std::uint32_t kMoveWithPointer = 8;
constexpr std::uint32_t kMoveCancel = 11;
constexpr std::uint32_t kFromApplication = 1;

template <class Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply>
Owned<Reply> owned(Reply* reply) {
    return Owned<Reply>(reply, &std::free);
}

// The connection Qt uses and the root window of one window on it.
struct Display {
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
    xcb_window_t root = 0;

    xcb_atom_t atom(std::string_view name) const {
        auto reply = owned(xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    // A property made of 32-bit items (atoms or windows).
    std::vector<std::uint32_t> property(xcb_window_t of, xcb_atom_t name, xcb_atom_t type) const {
        auto reply = owned(xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, of, name, type, 0, 1024), nullptr));
        if (!reply || reply->format != 32 || reply->type != type) return {};
        const auto* items = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return {items, items + xcb_get_property_value_length(reply.get()) / 4};
    }

    // A window manager that follows the extended hints names a window of its
    // own on the root window, and that window names itself.
    bool managed() const {
        const xcb_atom_t check = atom("_NET_SUPPORTING_WM_CHECK");
        const auto named = property(root, check, XCB_ATOM_WINDOW);
        return named.size() == 1 && property(named[0], check, XCB_ATOM_WINDOW) == named;
    }

    bool supports(xcb_atom_t hint) const {
        const auto supported = property(root, atom("_NET_SUPPORTED"), XCB_ATOM_ATOM);
        return std::ranges::find(supported, hint) != supported.end();
    }

    void sendToManager(xcb_atom_t type, std::array<std::uint32_t, 5> data) const {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = type;
        std::ranges::copy(data, message.data.data32);
        xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection);
    }
};

// Qt's X display with one native window on it.
std::optional<Display> nativeDisplay(xcb_window_t id) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return std::nullopt;
    const auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!native || !native->connection() || id == 0) return std::nullopt;
    Display display{native->connection(), id, 0};
    auto geometry = owned(xcb_get_geometry_reply(display.connection, xcb_get_geometry(display.connection, id), nullptr));
    if (!geometry) return std::nullopt;
    display.root = geometry->root;
    return display;
}

// The X display of a window that has its native window.
std::optional<Display> displayOf(const QWidget& window) {
    return nativeDisplay(static_cast<xcb_window_t>(window.internalWinId()));
}

// The same, when a window manager runs there.
std::optional<Display> managedDisplay(const QWidget& window) {
    auto display = displayOf(window);
    if (!display || !display->managed()) return std::nullopt;
    return display;
}

// The state a window asks for when it is mapped (the initial state of its
// window manager hints): normal.
void writeInitialStateNormal(const Display& display) {
    constexpr std::uint32_t kStateHint = 1u << 1;
    constexpr std::uint32_t kNormalState = 1;
    constexpr std::size_t kHintFields = 9;
    std::vector<std::uint32_t> hints = display.property(display.window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS);
    hints.resize(kHintFields, 0);
    hints[0] |= kStateHint;
    hints[2] = kNormalState;
    xcb_change_property(display.connection, XCB_PROP_MODE_REPLACE, display.window, XCB_ATOM_WM_HINTS,
                        XCB_ATOM_WM_HINTS, 32, kHintFields, hints.data());
}

// A hidden window carries its wanted states itself; the window manager
// takes them in when the window is shown.
void writeState(const Display& display, xcb_atom_t state, bool on) {
    const xcb_atom_t name = display.atom("_NET_WM_STATE");
    std::vector<std::uint32_t> states = display.property(display.window, name, XCB_ATOM_ATOM);
    std::erase(states, state);
    if (on) states.push_back(state);
    xcb_change_property(display.connection, XCB_PROP_MODE_REPLACE, display.window, name, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(states.size()), states.data());
    xcb_flush(display.connection);
}

std::uint32_t buttonNumber(Qt::MouseButton button) {
    switch (button) {
        case Qt::RightButton: return XCB_BUTTON_INDEX_3;
        case Qt::MiddleButton: return XCB_BUTTON_INDEX_2;
        default: return XCB_BUTTON_INDEX_1;
    }
}

// The one filter of its kind, installed on the application when first
// asked for and kept for the life of the process.
template <typename Filter>
Filter& nativeFilter() {
    static Filter filter;
    [[maybe_unused]] static const bool installed =
        (QCoreApplication::instance()->installNativeEventFilter(&filter), true);
    return filter;
}

// A window manager forgets the states of a window that is hidden, and may
// do so only after the window was shown again. Each time the manager takes
// a window in (it gives the window its WM_STATE), a window that is to stay
// above asks for that state again.
class KeepAbove : public QAbstractNativeEventFilter {
public:
    void want(const Display& display, bool above) {
        m_wmState = display.atom("WM_STATE");
        if (above) {
            m_windows.insert(display.window);
        } else {
            m_windows.erase(display.window);
        }
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY) return false;
        const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
        if (change->atom != m_wmState || change->state != XCB_PROPERTY_NEW_VALUE) return false;
        if (!m_windows.contains(change->window)) return false;
        if (const auto display = nativeDisplay(change->window)) {
            display->sendToManager(display->atom("_NET_WM_STATE"),
                                   {kStateAdd, display->atom("_NET_WM_STATE_ABOVE"), 0, kFromApplication, 0});
        }
        return false;
    }

private:
    xcb_atom_t m_wmState = XCB_ATOM_NONE;
    std::set<xcb_window_t> m_windows;
};

// The window manager minimises and restores a window by unmapping and
// mapping it, and tells of it in properties that Qt reads only when it gets
// to their change notices. A program held up meanwhile reads them after the
// restore, finds the window normal both times, and Qt keeps the minimised
// state that the program asked for: no state change ever tells the window
// that it is back. So a window that is mapped while Qt holds it minimised
// takes the normal state, once the events already come in have run.
class FollowRestore : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) != XCB_MAP_NOTIFY) return false;
        const auto* map = static_cast<const xcb_map_notify_event_t*>(message);
        QWidget* window = map->event == map->window ? QWidget::find(map->window) : nullptr;
        if (window && window->isMinimized()) {
            QMetaObject::invokeMethod(window, [window] { takeNormalStateWhenShown(*window); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    static void takeNormalStateWhenShown(QWidget& window) {
        if (!window.isMinimized() || !shownNormal(window)) return;
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    }

    // Mapped and in the manager's normal state by now. A window mapped but
    // still iconic is being restored: Qt reads that change itself.
    static bool shownNormal(const QWidget& window) {
        constexpr std::uint32_t kNormalState = 1;
        const auto display = displayOf(window);
        if (!display) return false;
        auto attributes = owned(xcb_get_window_attributes_reply(
            display->connection, xcb_get_window_attributes(display->connection, display->window), nullptr));
        const xcb_atom_t wmState = display->atom("WM_STATE");
        const auto state = display->property(display->window, wmState, wmState);
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE && !state.empty() &&
               state.front() == kNormalState;
    }
};

// Where the pointer is while `button` is held, asked of the X server: a
// quick click may be over before the program handles its press.
std::optional<QPoint> pointerHolding(const Display& display, std::uint32_t button) {
    auto pointer = owned(xcb_query_pointer_reply(display.connection,
                                                 xcb_query_pointer(display.connection, display.window), nullptr));
    if (!pointer || !(pointer->mask & (XCB_BUTTON_MASK_1 << (button - 1)))) return std::nullopt;
    return QPoint(pointer->root_x, pointer->root_y);
}

// The window manager takes the pointer a moment after the program asks for
// a move. A release of the moving button in that moment would leave the
// manager moving the window until the next click, so the program then calls
// the move off. The release reaches the program only while the pointer is
// over its window; one over another window is seen by asking the X server
// until the button is up. A call-off after the manager's own move ended with
// the release comes to it after that release and changes nothing. While the
// manager moves the window the program sees no mouse buttons, so a press it
// sees ends the watch.
class CancelMoveOnRelease : public QObject {
public:
    static CancelMoveOnRelease& instance() {
        static CancelMoveOnRelease* filter = [] {
            auto* made = new CancelMoveOnRelease(QCoreApplication::instance());
            QCoreApplication::instance()->installEventFilter(made);
            return made;
        }();
        return *filter;
    }

    // Watches the move just asked for; calls it off at once when the button
    // was let go meanwhile.
    void watch(const Display& display, Qt::MouseButton button) {
        m_move = Move{display, button};
        m_ask.start();
        callOffWhenLetGo();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (!m_move) return false;
        if (event->type() == QEvent::MouseButtonPress) end();
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == m_move->button) {
            callOff();
        }
        return false;
    }

private:
    static constexpr int kAskEveryMs = 25;

    explicit CancelMoveOnRelease(QObject* parent) : QObject(parent) {
        m_ask.setInterval(kAskEveryMs);
        connect(&m_ask, &QTimer::timeout, this, [this] { callOffWhenLetGo(); });
    }

    void callOffWhenLetGo() {
        if (m_move && !pointerHolding(m_move->display, buttonNumber(m_move->button))) callOff();
    }

    void callOff() {
        const Move move = *m_move;
        end();
        move.display.sendToManager(move.display.atom("_NET_WM_MOVERESIZE"),
                                   {0, 0, kMoveCancel, buttonNumber(move.button), kFromApplication});
    }

    void end() {
        m_move.reset();
        m_ask.stop();
    }

    struct Move {
        Display display;
        Qt::MouseButton button;
    };
    std::optional<Move> m_move;
    QTimer m_ask;
};

std::string startupNotice;

// Answers the launcher's start-up notice: the text "remove: ID=<id>" with
// its nul, in pieces of 20 bytes, the first of type _NET_STARTUP_INFO_BEGIN,
// sent to the root window for every client watching its properties.
void endStartupNotice(const Display& display) {
    std::string text = "remove: ID=\"";
    for (const char c : std::exchange(startupNotice, {})) {
        if (c == '"' || c == '\\') text += '\\';
        text += c;
    }
    text += "\"";
    text += '\0';
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 8;
    message.window = display.window;
    message.type = display.atom("_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = display.atom("_NET_STARTUP_INFO");
    for (std::size_t at = 0; at < text.size(); at += sizeof message.data.data8) {
        std::ranges::fill(message.data.data8, 0);
        text.copy(reinterpret_cast<char*>(message.data.data8), sizeof message.data.data8, at);
        xcb_send_event(display.connection, 0, display.root, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&message));
        message.type = more;
    }
    xcb_flush(display.connection);
}

}  // namespace

bool setAbove(QWidget& window, bool above) {
    const auto display = managedDisplay(window);
    if (!display) return false;
    const xcb_atom_t state = display->atom("_NET_WM_STATE_ABOVE");
    if (window.isHidden()) {
        writeState(*display, state, above);
    } else {
        display->sendToManager(display->atom("_NET_WM_STATE"), {above ? kStateAdd : kStateRemove, state, 0,
                                                                kFromApplication, 0});
    }
    nativeFilter<KeepAbove>().want(*display, above);
    return true;
}

void holdStartupNotice(std::string id) { startupNotice = std::move(id); }

void beforeShowing(QWidget& window) {
    const auto display = displayOf(window);
    if (!display) return;
    if (!startupNotice.empty()) endStartupNotice(*display);
    nativeFilter<FollowRestore>();
    if (window.isMinimized()) return;
    writeInitialStateNormal(*display);
    xcb_flush(display->connection);
}

bool startMove(QWidget& window, Qt::MouseButton button) {
    const auto display = managedDisplay(window);
    if (!display) return false;
    const xcb_atom_t moveResize = display->atom("_NET_WM_MOVERESIZE");
    if (!display->supports(moveResize)) return false;
    // The press that led here holds the pointer; the manager needs it.
    xcb_ungrab_pointer(display->connection, XCB_CURRENT_TIME);
    const std::uint32_t number = buttonNumber(button);
    const auto at = pointerHolding(*display, number);
    if (!at) return true;  // let go already: nothing to move
    display->sendToManager(moveResize, {static_cast<std::uint32_t>(at->x()), static_cast<std::uint32_t>(at->y()),
                                        kMoveWithPointer, number, kFromApplication});
    CancelMoveOnRelease::instance().watch(*display, button);
    return true;
}

}  // namespace forms::x11
