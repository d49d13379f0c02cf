#include "window_manager.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "forms_qt.h"

namespace forms {
namespace {

QWidget* windowOf(gdi::WindowHandle handle) {
    Form* form = formFromHandle(handle);
    return form ? widgetOf(*form) : nullptr;
}

// Where the window system offers no move of its own, the window follows the
// mouse until the left button is let go.
class FollowMouse : public QObject {
public:
    FollowMouse(QWidget* window) : QObject(window), m_window(window), m_offset(QCursor::pos() - window->pos()) {
        window->grabMouse();
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove) {
            m_window->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - m_offset);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            m_window->releaseMouse();
            m_window->removeEventFilter(this);
            deleteLater();
            return true;
        }
        return false;
    }

private:
    QWidget* m_window;
    QPoint m_offset;
};

}  // namespace

bool SetWindowPos(gdi::WindowHandle handle, std::intptr_t insertAfter, int x, int y, int cx, int cy, unsigned flags) {
    QWidget* window = windowOf(handle);
    if (!window) return false;
    if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
        const bool wasVisible = window->isVisible();
        window->setWindowFlag(Qt::WindowStaysOnTopHint, insertAfter == HWND_TOPMOST);
        if (wasVisible) window->show();  // changing the flags hides a window
    }
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
    QWindow* native = window->windowHandle();
    if (native && native->startSystemMove()) return 0;
    new FollowMouse(window);
    return 0;
}

}  // namespace forms
