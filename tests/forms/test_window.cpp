#include <gtest/gtest.h>

#include <QClipboard>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "forms_test_support.h"

namespace {

using formstest::TestForm;

void doubleClickRow(forms::ListBox& rows, int row) {
    auto* list = qobject_cast<QListWidget*>(forms::widgetOf(rows));
    const QPoint at = list->visualItemRect(list->item(row)).center();
    formstest::press(list->viewport(), at, Qt::LeftButton, Qt::LeftButton);
    formstest::release(list->viewport(), at, Qt::LeftButton);
    formstest::press(list->viewport(), at, Qt::LeftButton, Qt::LeftButton, {}, QEvent::MouseButtonDblClick);
}

TEST(FormsWindow, PlaceInTwipsSizeInPixelsPictureAndBackground) {
    TestForm window;
    QWidget* widget = forms::widgetOf(window);
    window.Move(1500, 3000);
    window.setTop(150);
    EXPECT_EQ(widget->pos(), QPoint(100, 10));
    EXPECT_FLOAT_EQ(window.ScaleWidth(), 300);
    EXPECT_FLOAT_EQ(window.ScaleHeight(), 200);
    EXPECT_FLOAT_EQ(window.Width(), 300 * 15);
    window.setHeight(6765);
    window.setWidth(9000);
    EXPECT_EQ(widget->size(), QSize(600, 451));

    window.setBackColor(0x00404040);
    window.setPicture(formstest::makePicture(10, 5, [](int x, int) { return x < 5 ? 0xFF00FFu : 0x00FF00u; }));
    const QImage drawn = widget->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(0, 0), QColor(255, 0, 255));
    EXPECT_EQ(drawn.pixelColor(9, 4), QColor(0, 255, 0));
    EXPECT_EQ(drawn.pixelColor(590, 440), QColor(64, 64, 64));
    EXPECT_EQ(forms::ScreenWidth(), QGuiApplication::primaryScreen()->geometry().width() * 15);
    EXPECT_EQ(forms::ScreenHeight(), QGuiApplication::primaryScreen()->geometry().height() * 15);
}

TEST(FormsWindow, KeyPreviewSeesKeysBeforeTheFocusedElement) {
    TestForm window;
    window.Show();
    auto* edit = qobject_cast<QPlainTextEdit*>(forms::widgetOf(window.Text));
    const auto type = [&](Qt::Key key, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(edit, &event);
    };
    edit->setFocus();
    type(Qt::Key_A, "a");
    EXPECT_TRUE(window.keys.empty()) << "without preview the element alone sees it";
    window.setKeyPreview(true);
    window.eatKey = 'x';
    type(Qt::Key_Escape, QString(QChar(27)));
    type(Qt::Key_X, "x");
    type(Qt::Key_B, "b");
    type(Qt::Key_Shift, "");
    EXPECT_EQ(window.keys, (std::vector<int>{27, 'x', 'b'}));
    EXPECT_EQ(edit->toPlainText(), "ab") << "the eaten key never arrived";
}

TEST(FormsWindow, MessagesAndTheWindowHostReachTheWindows) {
    std::vector<forms::MessageRequest> asked;
    forms::setMessageHook([&](const forms::MessageRequest& request) { return asked.push_back(request), forms::vbOK; });
    forms::MsgBox("Programm beenden?", forms::vbYesNo, "Rechner");
    forms::startRuntime();
    gdi::WindowHost* host = gdi::windowHost();
    ASSERT_NE(host, nullptr);
    host->showMessage("wrong drop");
    forms::setMessageHook({});
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].prompt, "Programm beenden?");
    EXPECT_EQ(asked[0].title, "Rechner");
    EXPECT_EQ(asked[0].buttons, forms::vbYesNo);
    EXPECT_EQ(asked[1].prompt, "wrong drop");
    EXPECT_EQ(asked[1].buttons, forms::vbOKOnly);

    TestForm window;
    ASSERT_EQ(forms::formFromHandle(window.hWnd()), &window);
    const std::vector<gdi::Rect> outline{{3, 0, 303, 1}, {0, 1, 306, 140}, {10, 140, 296, 151}};
    ASSERT_TRUE(host->setWindowShape(window.hWnd(), outline, true));
    const QRegion mask = forms::widgetOf(window)->mask();
    EXPECT_EQ(mask, QRegion(3, 0, 300, 1) + QRegion(0, 1, 306, 139) + QRegion(10, 140, 286, 11));
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

// Offscreen there is no window manager: always-on-top fails and changes
// nothing (the e2e_window_manager test tries a real one).
TEST(FormsWindow, AlwaysOnTopWithoutAWindowManagerFailsAndChangesNothing) {
    TestForm window;
    const unsigned keep = forms::SWP_NOSIZE | forms::SWP_NOMOVE;
    EXPECT_FALSE(forms::SetWindowPos(window.hWnd(), forms::HWND_TOPMOST, 0, 0, 0, 0, keep)) << "never shown";
    window.Show();
    window.Move(1500, 1500);
    QWidget* widget = forms::widgetOf(window);
    const WId native = widget->winId();
    EXPECT_FALSE(forms::SetWindowPos(window.hWnd(), forms::HWND_TOPMOST, 0, 0, 0, 0, keep));
    EXPECT_FALSE(forms::SetWindowPos(window.hWnd(), forms::HWND_NOTOPMOST, 0, 0, 0, 0, keep));
    EXPECT_FALSE(forms::SetWindowPos(0, forms::HWND_TOPMOST, 0, 0, 0, 0, keep));
    EXPECT_FALSE(widget->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(widget->isVisible());
    EXPECT_EQ(widget->winId(), native);
    EXPECT_EQ(widget->geometry(), QRect(100, 100, 300, 200));
    // Other insert-after values only move and size as asked.
    EXPECT_TRUE(forms::SetWindowPos(window.hWnd(), 0, 30, 40, 200, 100, 0));
    EXPECT_EQ(widget->geometry(), QRect(30, 40, 200, 100));
    EXPECT_TRUE(forms::SetWindowPos(window.hWnd(), 0, 99, 99, 250, 120, forms::SWP_NOMOVE));
    EXPECT_EQ(widget->geometry(), QRect(30, 40, 250, 120));
}

TEST(FormsWindow, ShowLoadsOnceAndStatesComeBackAsSetAndRaiseResize) {
    TestForm window;
    window.Show();
    window.Show();
    EXPECT_EQ(window.loads, 1);
    const struct { int set, reported; } states[] = {{forms::vbMaximized, 2}, {forms::vbMinimized, 1}, {forms::vbNormal, 0},
                                                     {forms::vbMaximized, 2}, {forms::vbNormal, 0}};
    for (const auto& state : states) {
        const int resizes = window.resizes;
        window.setWindowState(state.set);
        EXPECT_EQ(window.WindowState(), state.reported) << "set " << state.set;
        EXPECT_GT(window.resizes, resizes) << "set " << state.set;
    }
    forms::widgetOf(window)->showMaximized();
    EXPECT_EQ(window.WindowState(), forms::vbMaximized);

    // A minimised window hidden and shown again comes back normal; a shown one keeps its state.
    window.setWindowState(forms::vbMinimized);
    window.Hide();
    EXPECT_EQ(window.WindowState(), forms::vbMinimized);
    window.Show();
    EXPECT_EQ(window.WindowState(), forms::vbNormal);
    window.setWindowState(forms::vbMinimized);
    window.Show();
    EXPECT_EQ(window.WindowState(), forms::vbMinimized);
}

// Without a window manager the window follows the mouse until the button
// held at the caption-press message is let go; every button can start it.
TEST(FormsWindow, CaptionPressMessageMovesTheWindowUntilItsButtonIsLetGo) {
    TestForm window;
    window.Show();
    QWidget* widget = forms::widgetOf(window);
    QWindow* native = widget->windowHandle();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(native));
    EXPECT_TRUE(forms::ReleaseCapture());
    EXPECT_EQ(forms::SendMessage(window.hWnd(), forms::WM_NCLBUTTONDOWN + 1, forms::HTCAPTION, 0), 0);
    EXPECT_EQ(forms::SendMessage(window.hWnd(), forms::WM_NCLBUTTONDOWN, forms::HTCAPTION + 1, 0), 0);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    const auto moveTo = [&](QPoint global, Qt::MouseButtons held) {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(global), Qt::NoButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
    };
    for (Qt::MouseButton button : {Qt::RightButton, Qt::LeftButton, Qt::MiddleButton}) {
        window.Move(1500, 1500);
        QTest::mousePress(native, button, {}, {290, 100});
        forms::SendMessage(window.hWnd(), forms::WM_NCLBUTTONDOWN, forms::HTCAPTION, 0);
        ASSERT_EQ(QWidget::mouseGrabber(), widget) << button;
        const QPoint start = QCursor::pos();
        moveTo(start + QPoint(30, 20), button);
        EXPECT_EQ(widget->pos(), QPoint(130, 120)) << button;
        formstest::release(widget, {5, 5}, button == Qt::LeftButton ? Qt::RightButton : Qt::LeftButton);
        EXPECT_EQ(QWidget::mouseGrabber(), widget) << "another button's release goes on with the move";
        QTest::mouseRelease(native, button, {}, {290, 100});
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << button;
        const QPoint settled = widget->pos();
        moveTo(start, Qt::NoButton);
        EXPECT_EQ(widget->pos(), settled) << button;
    }
}

// A list window unloads and reloads itself from its own double-click, as the
// program's sound list does: nothing in use is freed, the old widgets go later.
TEST(FormsUnload, UnloadAndReloadInsideOwnHandlerFreesNothingInUse) {
    TestForm window;
    window.Show();
    QPointer<QWidget> oldWindow = forms::widgetOf(window), oldList = forms::widgetOf(window.Rows);
    window.Rows.setTag("old");
    window.Caption.setCaption("before");
    window.Ticker.setEnabled(true);
    std::vector<std::string> seen;
    window.Rows.onDblClick = [&] {
        window.Unload();
        EXPECT_FALSE(window.Loaded());
        EXPECT_FALSE(forms::timerOf(window.Ticker)->isActive()) << "a running fade stops";
        seen.push_back(window.Rows.List(window.Rows.ListIndex()));  // still readable
        window.Show();  // loads afresh while the old list's event is still running
        EXPECT_TRUE(oldList && oldWindow);
        seen.insert(seen.end(), {std::to_string(window.Rows.ListCount()), window.Rows.Tag(), window.Caption.Caption()});
        window.Rows.AddItem("three");
    };
    doubleClickRow(window.Rows, 1);

    EXPECT_EQ(seen, (std::vector<std::string>{"two", "2", "", ""}));
    EXPECT_EQ(window.loads, 2);
    EXPECT_EQ(window.unloads, 1);
    EXPECT_TRUE(window.Loaded() && window.Visible());
    EXPECT_EQ(window.Rows.ListCount(), 3);
    EXPECT_FALSE(window.Ticker.Enabled()) << "as designed again";
    EXPECT_NE(forms::widgetOf(window.Rows), oldList.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(oldList || oldWindow);
}

TEST(FormsUnload, WindowReplacedDuringAWaitLivesUntilTheOuterHandlerEnds) {
    TestForm window;
    window.Show();
    QPointer<QWidget> oldList = forms::widgetOf(window.Rows);
    bool stillThereAfterWait = false;
    window.Rows.onDblClick = [&] {
        bool reloaded = false;
        QTimer::singleShot(0, [&] {
            window.Unload();
            window.Show();
            reloaded = true;
        });
        while (!reloaded) forms::DoEvents();  // a wait that lets other events run
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        stillThereAfterWait = !oldList.isNull();
        window.Rows.setListIndex(0);
    };
    doubleClickRow(window.Rows, 0);
    EXPECT_TRUE(stillThereAfterWait);
    EXPECT_EQ(window.loads, 2);
    EXPECT_EQ(window.Rows.ListIndex(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(oldList);
}

TEST(FormsUnload, CancelledUnloadKeepsTheWindowAndUnloadWithoutReloadKeepsElements) {
    TestForm window;
    window.Show();
    window.cancelUnload = 1;
    window.Unload();
    EXPECT_TRUE(window.Loaded() && window.Visible());
    window.cancelUnload = 0;
    forms::widgetOf(window)->close();  // by the window system
    EXPECT_FALSE(window.Loaded() || window.Visible());
    EXPECT_EQ(window.Rows.ListCount(), 2) << "the elements stay until loaded again";
    window.Unload();  // an unloaded window is not unloaded again
    EXPECT_EQ(window.unloads, 2);
}

}  // namespace
