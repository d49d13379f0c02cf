#include <gtest/gtest.h>

#include <QClipboard>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <QTimer>

#include "forms_test_support.h"

namespace {

using formstest::press;

class Window : public forms::Form {
public:
    Window() { design(); }

    forms::TextBox Text{*this};
    int loads = 0;
    int resizes = 0;
    std::vector<int> keys;
    int eatKey = 0;

private:
    void design() override {
        setClientSize(473, 370);
        Text.Move(8, 8, 200, 100);
    }
    void Form_Load() override { ++loads; }
    void Form_Resize() override { ++resizes; }
    void Form_KeyPress(int& KeyAscii) override {
        keys.push_back(KeyAscii);
        if (KeyAscii == eatKey) KeyAscii = 0;
    }
};

void type(QWidget* target, Qt::Key key, const QString& text) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &event);
}

TEST(FormsWindow, PlaceInTwipsSizeInPixelsCaptionAndBackground) {
    Window window;
    QWidget* widget = forms::widgetOf(window);
    EXPECT_TRUE(widget->windowFlags() & Qt::FramelessWindowHint);

    window.Move(1500, 3000);
    EXPECT_EQ(widget->pos(), QPoint(100, 200));
    window.setTop(150);
    EXPECT_EQ(widget->pos(), QPoint(100, 10));

    EXPECT_FLOAT_EQ(window.ScaleWidth(), 473);
    EXPECT_FLOAT_EQ(window.ScaleHeight(), 370);
    EXPECT_FLOAT_EQ(window.Width(), 473 * 15);
    window.setHeight(6765);
    window.setWidth(9000);
    EXPECT_EQ(widget->size(), QSize(600, 451));

    window.setBackColor(0x00404040);
    window.setPicture(formstest::makePicture(10, 5, [](int x, int) { return x < 5 ? 0xFF00FFu : 0x00FF00u; }));
    const QImage drawn = widget->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(0, 0), QColor(255, 0, 255));
    EXPECT_EQ(drawn.pixelColor(9, 4), QColor(0, 255, 0));
    EXPECT_EQ(drawn.pixelColor(300, 300), QColor(64, 64, 64));

    window.setIcon(formstest::makePicture(32, 32, [](int, int) { return 0x0000FFu; }));
    EXPECT_FALSE(widget->windowIcon().isNull());

    EXPECT_EQ(forms::ScreenWidth(), QGuiApplication::primaryScreen()->geometry().width() * 15);
    EXPECT_EQ(forms::ScreenHeight(), QGuiApplication::primaryScreen()->geometry().height() * 15);
}

TEST(FormsWindow, ShowLoadsOnceAndStateChangesRaiseResize) {
    Window window;
    window.Show();
    window.Show();
    EXPECT_EQ(window.loads, 1);
    EXPECT_TRUE(window.Visible());
    const int shown = window.resizes;
    EXPECT_GE(shown, 1);  // the first showing

    window.setWindowState(forms::vbMinimized);
    EXPECT_GT(window.resizes, shown);
    const int minimised = window.resizes;
    window.setWindowState(forms::vbNormal);
    EXPECT_GT(window.resizes, minimised);
}

TEST(FormsWindow, KeyPreviewSeesKeysBeforeTheFocusedElement) {
    Window window;
    window.Show();
    auto* edit = qobject_cast<QPlainTextEdit*>(forms::widgetOf(window.Text));
    edit->setFocus();

    type(edit, Qt::Key_A, "a");
    EXPECT_TRUE(window.keys.empty());  // without preview the element alone sees it
    EXPECT_EQ(edit->toPlainText(), "a");

    window.setKeyPreview(true);
    window.eatKey = 'x';
    type(edit, Qt::Key_Escape, QString(QChar(27)));
    type(edit, Qt::Key_X, "x");
    type(edit, Qt::Key_B, "b");
    EXPECT_EQ(window.keys, (std::vector<int>{27, 'x', 'b'}));
    EXPECT_EQ(edit->toPlainText(), "ab");  // the eaten key never arrived
}

TEST(FormsWindow, MessageBoxesAreAnsweredByTheHook) {
    std::vector<forms::MessageRequest> asked;
    forms::setMessageHook([&](const forms::MessageRequest& request) {
        asked.push_back(request);
        return request.buttons & forms::vbYesNo ? forms::vbYes : forms::vbOK;
    });
    EXPECT_EQ(forms::MsgBox("Programm beenden?", forms::vbYesNo, "Rechner"), forms::vbYes);
    EXPECT_EQ(forms::MsgBox("line 1\r\nline 2\r\n", forms::vbInformation, "INFO"), forms::vbOK);
    forms::startRuntime();
    ASSERT_NE(gdi::windowHost(), nullptr);
    gdi::windowHost()->showMessage("wrong drop");
    forms::setMessageHook({});

    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].prompt, "Programm beenden?");
    EXPECT_EQ(asked[0].title, "Rechner");
    EXPECT_EQ(asked[0].buttons, forms::vbYesNo);
    EXPECT_EQ(asked[1].buttons, forms::vbInformation);
    EXPECT_EQ(asked[2].prompt, "wrong drop");
    EXPECT_EQ(asked[2].buttons, forms::vbOKOnly);
}

TEST(FormsWindow, WindowHostShapesTheWindowAndFillsTheClipboard) {
    Window window;
    forms::startRuntime();
    gdi::WindowHost* host = gdi::windowHost();
    ASSERT_NE(host, nullptr);
    ASSERT_EQ(forms::formFromHandle(window.hWnd()), &window);

    const std::vector<gdi::Rect> outline{{3, 0, 303, 1}, {0, 1, 306, 140}, {10, 140, 296, 151}};
    ASSERT_TRUE(host->setWindowShape(window.hWnd(), outline, true));
    QRegion expected;
    for (const gdi::Rect& r : outline) expected += QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    EXPECT_EQ(forms::widgetOf(window)->mask(), expected);
    EXPECT_TRUE(forms::widgetOf(window)->mask().contains(QPoint(0, 1)));
    EXPECT_FALSE(forms::widgetOf(window)->mask().contains(QPoint(0, 0)));

    ASSERT_TRUE(host->setWindowShape(window.hWnd(), std::nullopt, false));
    EXPECT_TRUE(forms::widgetOf(window)->mask().isEmpty());
    EXPECT_FALSE(host->setWindowShape(window.hWnd() + 1, outline, true));

    gdi::Picture picture = formstest::makePicture(3, 2, [](int x, int y) { return y == 0 && x == 2 ? 0x112233u : 0u; });
    ASSERT_TRUE(host->setClipboardBitmap(*picture.bitmap()));
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(3, 2));
    EXPECT_EQ(copied.pixelColor(2, 0), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(copied.pixelColor(0, 1), QColor(0, 0, 0));
}

// Offscreen there is no window manager: the call says so and changes nothing
// (the real window manager is tried by the e2e_window_manager test).
TEST(FormsWindow, AlwaysOnTopWithoutAWindowManagerFailsAndChangesNothing) {
    Window window;
    const unsigned keep = forms::SWP_NOSIZE | forms::SWP_NOMOVE;
    EXPECT_FALSE(forms::SetWindowPos(window.hWnd(), forms::HWND_TOPMOST, 0, 0, 0, 0, keep));  // never shown
    window.Show();
    window.Move(1500, 1500);
    QWidget* widget = forms::widgetOf(window);
    const WId native = widget->winId();
    EXPECT_FALSE(forms::SetWindowPos(window.hWnd(), forms::HWND_TOPMOST, 0, 0, 0, 0, keep));
    EXPECT_FALSE(forms::SetWindowPos(window.hWnd(), forms::HWND_NOTOPMOST, 0, 0, 0, 0, keep));
    EXPECT_FALSE(widget->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(widget->isVisible());
    EXPECT_EQ(widget->winId(), native);
    EXPECT_EQ(widget->pos(), QPoint(100, 100));
    EXPECT_EQ(widget->size(), QSize(473, 370));
    EXPECT_FALSE(forms::SetWindowPos(0, forms::HWND_TOPMOST, 0, 0, 0, 0, keep));
    // Other insert-after values only move and size as asked.
    EXPECT_TRUE(forms::SetWindowPos(window.hWnd(), 0, 30, 40, 200, 100, 0));
    EXPECT_EQ(widget->geometry(), QRect(30, 40, 200, 100));
}

TEST(FormsWindow, WindowStateReportsMinimisedMaximisedAndNormal) {
    Window window;
    window.Show();
    const struct {
        int set;
        int reported;
    } states[] = {{forms::vbMaximized, 2}, {forms::vbMinimized, 1}, {forms::vbNormal, 0}, {forms::vbMaximized, 2},
                  {forms::vbNormal, 0}};
    for (const auto& state : states) {
        window.setWindowState(state.set);
        EXPECT_EQ(window.WindowState(), state.reported) << "set " << state.set;
    }
    forms::widgetOf(window)->showMaximized();
    EXPECT_EQ(window.WindowState(), forms::vbMaximized);
}

TEST(FormsWindow, AMinimisedWindowHiddenAndShownAgainComesBackNormal) {
    Window window;
    window.Show();
    window.setWindowState(forms::vbMinimized);
    window.Hide();
    ASSERT_EQ(window.WindowState(), forms::vbMinimized);
    window.Show();
    EXPECT_EQ(window.WindowState(), forms::vbNormal);
    EXPECT_TRUE(window.Visible());
    // A shown window keeps its state when shown again.
    window.setWindowState(forms::vbMinimized);
    window.Show();
    EXPECT_EQ(window.WindowState(), forms::vbMinimized);
}

// Without a window manager the window follows the mouse until the button
// that was held at the caption-press message is let go; every button can
// start it. The buttons go through the window system's path (QTest on the
// native window), so the runtime sees which one is held.
TEST(FormsWindow, CaptionPressMessageMovesTheWindowUntilItsButtonIsLetGo) {
    Window window;
    window.Show();
    window.Move(1500, 1500);
    QWidget* widget = forms::widgetOf(window);
    QWindow* native = widget->windowHandle();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(native));
    EXPECT_TRUE(forms::ReleaseCapture());
    EXPECT_EQ(forms::SendMessage(window.hWnd(), 162, forms::HTCAPTION, 0), 0);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    for (Qt::MouseButton button : {Qt::RightButton, Qt::LeftButton, Qt::MiddleButton}) {
        window.Move(1500, 1500);
        QTest::mousePress(native, button, {}, {300, 300});
        forms::SendMessage(window.hWnd(), forms::WM_NCLBUTTONDOWN, forms::HTCAPTION, 0);
        ASSERT_EQ(QWidget::mouseGrabber(), widget) << button;
        const QPoint start = QCursor::pos();
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(start + QPoint(30, 20)), Qt::NoButton, button,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
        EXPECT_EQ(widget->pos(), QPoint(130, 120)) << button;
        const Qt::MouseButton other = button == Qt::LeftButton ? Qt::RightButton : Qt::LeftButton;
        formstest::release(widget, {5, 5}, other);
        EXPECT_EQ(QWidget::mouseGrabber(), widget) << "another button's release goes on with the move";
        QTest::mouseRelease(native, button, {}, {300, 300});
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << button;
        const QPoint settled = widget->pos();
        QMouseEvent later(QEvent::MouseMove, QPointF(5, 5), QPointF(start), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &later);
        EXPECT_EQ(widget->pos(), settled) << button;
    }
}

TEST(FormsWindow, EventPassRunsPendingEvents) {
    forms::startRuntime();
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    forms::DoEvents();
    EXPECT_TRUE(ran);
}

}  // namespace
