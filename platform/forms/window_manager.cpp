#include "window_manager.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "forms_qt.h"
#include "x11_window_manager.h"

namespace forms {
namespace {

QWidget* windowOf(gdi::WindowHandle handle) {
    Form* form = formFromHandle(handle);
    return form ? widgetOf(*form) : nullptr;
}

// The button held down now; NoButton when none is.
Qt::MouseButton heldButton() {
    const Qt::MouseButtons held = QGuiApplication::mouseButtons();
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (held & button) return button;
    }
    return Qt::NoButton;
}

// Where the window system offers no move of its own, the window follows the
// mouse until the button that started the move is let go (any button when
// none was held).
class FollowMouse : public QObject {
public:
    FollowMouse(QWidget* window, Qt::MouseButton button)
        : QObject(window), m_window(window), m_button(button), m_offset(QCursor::pos() - window->pos()) {
        window->grabMouse();
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove) {
            m_window->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_offset);
            return true;
        }
        if (event->type() != QEvent::MouseButtonRelease) return false;
        const Qt::MouseButton released = static_cast<QMouseEvent*>(event)->button();
        if (m_button == Qt::NoButton || released == m_button) {
            m_window->releaseMouse();
            m_window->removeEventFilter(this);
            deleteLater();
        }
        return true;
    }

private:
    QWidget* m_window;
    Qt::MouseButton m_button;
    QPoint m_offset;
};

bool startWindowSystemMove(QWidget& window, Qt::MouseButton button) {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) return x11::startMove(window, button);
    QWindow* native = window.windowHandle();
    return native && native->startSystemMove();
}

}  // namespace

bool SetWindowPos(gdi::WindowHandle handle, std::intptr_t insertAfter, int x, int y, int cx, int cy, unsigned flags) {
    QWidget* window = windowOf(handle);
    if (!window) return false;
    const bool stacking = insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST;
    if (stacking && !x11::setAbove(*window, insertAfter == HWND_TOPMOST)) return false;
    if (!(flags & SWP_NOMOVE)) window->move(x, y);
    if (!(flags & SWP_NOSIZE)) window->resize(cx, cy);
    return true;
}

bool ReleaseCapture() {
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    return true;
}

std::intptr_t SendMessage(gdi::WindowHandle handle, unsigned message, std::intptr_t wParam, std::intptr_t) {
    QWidget* window = windowOf(handle);
    if (!window || message != WM_NCLBUTTONDOWN || wParam != HTCAPTION) return 0;
    const Qt::MouseButton button = heldButton();
    if (!startWindowSystemMove(*window, button)) new FollowMouse(window, button);
    return 0;
}

}  // namespace forms
