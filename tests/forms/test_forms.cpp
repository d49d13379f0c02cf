// The forms runtime with real Qt widgets on the offscreen platform, driven by real Qt events.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QCursor>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimerEvent>
#include <QUrl>
#include <limits>
#include <sstream>

#include "forms.h"
#include "forms_qt.h"

namespace {

using Lines = std::vector<std::string>;

// A 24-bit picture whose pixel (x, y), counted from the top, is color(x, y) as 0xRRGGBB.
gdi::Picture makePicture(int width, int height, const std::function<unsigned(int, int)>& color) {
    gdi::Picture picture(gdi::createBitmap(width, height));
    gdi::Bitmap* bitmap = gdi::bitmapFromHandle(picture.handle());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x)
            bitmap->bits[(height - 1 - y) * bitmap->stride + x] = (color(x / 3, y) >> (8 * (x % 3))) & 0xFF;
    return picture;
}

// A window with an element of each kind; logs what its elements and its surface were told.
class TestForm : public forms::Form {
public:
    TestForm() { design(); }
    forms::PictureBox Box{*this};
    forms::Image Picture{Box};
    forms::Label Caption{*this};
    forms::ListBox Rows{*this};
    forms::TextBox Text{*this};
    forms::Timer Ticker{*this};
    forms::Line Rule{*this};
    forms::Shape Frame{*this};
    std::string log;  // what happened, comma separated
    forms::MouseEvent lastDown;
    std::vector<int> keys;
    int loads = 0, unloads = 0, resizes = 0, cancelUnload = 0, eatKey = 0;
    void watch(forms::Control& control, const std::string& name) {
        control.onMouseDown = [this, name](const forms::MouseEvent& e) { add(name + " down", e); };
        control.onMouseUp = [this, name](const forms::MouseEvent& e) { add(name + " up", e); };
        control.onClick = [this, name] { note(name + " click"); };
        control.onDblClick = [this, name] { note(name + " dblclick"); };
    }
    QPoint on(forms::Control& control, QPoint at) { return forms::widgetOf(control)->mapTo(forms::widgetOf(*this), at); }
    QListWidget* list() { return qobject_cast<QListWidget*>(forms::widgetOf(Rows)); }
    QPoint row(int index) { return list()->visualItemRect(list()->item(index)).center(); }
    QPoint onRow(int index) { return on(Rows, list()->viewport()->mapToParent(row(index))); }

private:
    void note(const std::string& what) { log += (log.empty() ? "" : ", ") + what; }
    void add(const std::string& what, const forms::MouseEvent& e) {
        lastDown = what.ends_with("down") ? e : lastDown;
        note(what + " " + std::to_string(e.Button) + "/" + std::to_string(e.Shift));
    }
    void design() override {
        setClientSize(300, 200);
        Box.Move(10, 10, 60, 40), Picture.Move(5, 5, 19, 19), Caption.Move(80, 10, 100, 20), Frame.Move(200, 150, 60, 30);
        Rows.Move(10, 60, 120, 100), Text.Move(140, 60, 120, 80), Ticker.setInterval(20), Ticker.setEnabled(false);
        Rule.setX1(20.5f), Rule.setY1(170), Rule.setX2(120), Rule.setY2(180);
    }
    void Form_Load() override { ++loads, Rows.AddItem("one"), Rows.AddItem("two"); }
    void Form_Unload(int& Cancel) override { ++unloads, Cancel = cancelUnload ? 1 : Cancel; }  // else as passed
    void Form_Resize() override { ++resizes; }
    void Form_KeyPress(int& KeyAscii) override {
        keys.push_back(KeyAscii);
        if (KeyAscii == eatKey) KeyAscii = 0;
    }
    void Form_MouseDown(const forms::MouseEvent& e) override { add("form down", e); }
    void Form_DblClick() override { note("form dblclick"); }
};

// Plays steps of three words through the window system's own path, e.g. "press image L+alt; release form L":
// what is done (press, release, click, dclick), where, and the button with the keys held.
void play(QWindow* window, const std::map<std::string, QPoint>& places, const std::string& steps) {
    static const std::map<std::string, int> names{{"L", Qt::LeftButton}, {"R", Qt::RightButton},
        {"M", Qt::MiddleButton}, {"shift", Qt::ShiftModifier}, {"ctrl", Qt::ControlModifier}, {"alt", Qt::AltModifier}};
    std::istringstream in(steps);
    std::string what, where, button;
    while (in >> what >> where >> button) {
        std::erase(button, ';');
        std::istringstream parts(button);
        std::getline(parts, button, '+');
        const auto pressed = static_cast<Qt::MouseButton>(names.at(button));
        Qt::KeyboardModifiers held;
        for (std::string key; std::getline(parts, key, '+');) held |= static_cast<Qt::KeyboardModifier>(names.at(key));
        const QPoint at = places.at(where);
        if (what == "press") QTest::mousePress(window, pressed, held, at, 20);
        else if (what == "release") QTest::mouseRelease(window, pressed, held, at, 20);
        else if (what == "click") QTest::mouseClick(window, pressed, held, at, 20);
        else QTest::mouseDClick(window, pressed, held, at);
    }
}

}  // namespace

TEST(FormsElements, EachKindShowsWhatItHolds) {
    TestForm form;
    form.Show();  // loads "one" and "two"
    auto* label = qobject_cast<QLabel*>(forms::widgetOf(form.Caption));
    form.Caption.setForeColor(0x00FF00FF);
    form.Caption.setCaption("<b>Hit</b>");
    form.Caption.setToolTipText("<i>Song</i>");
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 255));
    EXPECT_TRUE(label->text() == "<b>Hit</b>" && label->textFormat() == Qt::PlainText && !label->toolTip().contains("<i>"));
    // Text is UTF-8; a byte that starts no well-formed character shows as its Latin-1 letter.
    using namespace Qt::StringLiterals;
    for (const auto& [bytes, shown] : {std::pair<const char*, QString>{"Kl\xe4nge \xf6\xfc", u"Kl\u00e4nge \u00f6\u00fc"_s},
             {"K\xc3\xa4se \xe2\x82\xac \xf0\x9f\x8e\xb5", u"K\u00e4se \u20ac \U0001F3B5"_s},
             {"cut \xe2\x82", u"cut \u00e2\u0082"_s}, {"overlong \xc0\xaf", u"overlong \u00c0\u00af"_s},
             {"surrogate \xed\xa0\x80", u"surrogate \u00ed\u00a0\u0080"_s},
             {"too high \xf4\x90\x80\x80", u"too high \u00f4\u0090\u0080\u0080"_s}}) {
        form.Caption.setCaption(bytes);
        form.Caption.setToolTipText(bytes);
        EXPECT_EQ(std::pair(label->text(), label->toolTip()), std::pair(shown, shown)) << bytes;
    }
    const QPalette palette = QApplication::palette();  // system colours take the palette's roles
    for (auto [color, wanted] : {std::pair<forms::Color, QColor>{0x00800000, QColor(0, 0, 128)},
             {0x80000005, palette.color(QPalette::Base)}, {0x8000000F, palette.color(QPalette::Button)},
             {0x80000012, palette.color(QPalette::ButtonText)}}) {
        form.Caption.setBackColor(color);
        EXPECT_EQ(label->palette().color(QPalette::Window), wanted) << std::hex << color;
    }
    form.Caption.setBackStyle(forms::vbTransparent);
    form.Caption.Move(9.33f, 6.67f, 33, 10);
    EXPECT_EQ(std::pair(label->autoFillBackground(), label->geometry()), std::pair(false, QRect(9, 7, 33, 10)));
    // An image draws a copy of its picture upright, stretched only when asked.
    const unsigned corners[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    gdi::Picture source = makePicture(4, 3, [&](int x, int y) { return corners[(y ? 2 : 0) + (x ? 1 : 0)]; });
    form.Picture.setPicture(source);
    std::ranges::fill(gdi::bitmapFromHandle(source.handle())->bits, 0);
    form.Picture.Move(0, 0, 8, 6);
    for (bool stretch : {false, true}) {
        form.Picture.setStretch(stretch);
        const QImage drawn = forms::widgetOf(form.Picture)->grab().toImage();
        EXPECT_TRUE(drawn.pixelColor(0, 0) == QColor(255, 0, 0) && drawn.pixelColor(3, 2) == QColor(255, 255, 0));
        for (auto [x, y, rgb] : {std::tuple{7, 0, 0x00FF00u}, {0, 5, 0x0000FFu}, {7, 5, 0xFFFF00u}})
            EXPECT_EQ(drawn.pixelColor(x, y) == QColor(QRgb(rgb)), stretch) << x << "," << y;
    }
    form.Rows.AddItem("x", 1);
    form.Rows.AddItem("z", 99);
    Lines items;
    for (int i = -1; i <= 4; ++i) items.push_back(form.Rows.List(i));
    EXPECT_EQ(items, (Lines{"", "one", "x", "two", "z", ""}));
    // The text box shows plain line ends and gives back the program's own.
    form.Text.setText("Zirpomat Version 8.5\r\n---\r\n");
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(forms::widgetOf(form.Text))->toPlainText(), "Zirpomat Version 8.5\n---\n");
    EXPECT_EQ(form.Text.Text(), "Zirpomat Version 8.5\r\n---\r\n");
    // A picture box holds its elements; control arrays make an element once per index.
    EXPECT_EQ(forms::widgetOf(form.Picture)->parentWidget(), forms::widgetOf(form.Box));
    form.Box.setVisible(false);
    EXPECT_TRUE(form.Picture.Visible() && !forms::widgetOf(form.Picture)->isVisible());
    forms::ControlArray<forms::Image> buttons;
    buttons.Load(101, form.Box);
    buttons.Load(1, form.Box);
    EXPECT_TRUE(&buttons.Load(101, form.Box) == &buttons[101] && buttons.Count() == 2);
    EXPECT_THROW(buttons[2], std::out_of_range);
    // Drops give the local files in order as a file list counted from 1, each path as the file's own bytes:
    // a name that is no UTF-8 as well, and a host as on a network share.
    std::optional<forms::DataObject> dropped;
    forms::MouseEvent where;
    form.Picture.onDragDrop = [&](const forms::DataObject& data, const forms::MouseEvent& e) { dropped = data, where = e; };
    const auto drop = [&](QMimeData& data, Qt::KeyboardModifiers modifiers) {
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        QDropEvent event(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        dropped.reset();
        QCoreApplication::sendEvent(forms::widgetOf(form.Picture), &enter);
        QCoreApplication::sendEvent(forms::widgetOf(form.Picture), &event);
        return enter.isAccepted() && event.isAccepted() && dropped.has_value();
    };
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/b sound.wav"), QUrl("http://example.invalid/c.wav"),
                   QUrl::fromLocalFile("/tmp/a.mp3"), QUrl::fromEncoded("file:///tmp/Kl%E4nge%20%C3%B6.wav"),
                   QUrl::fromEncoded("file://server/share/100%25.wav")});
    ASSERT_TRUE(drop(files, Qt::ControlModifier));
    EXPECT_TRUE(dropped->GetFormat(forms::vbCFFiles) && !dropped->GetFormat(1));
    ASSERT_EQ(dropped->FileCount() * 10 + where.Button * 100 + where.Shift, 142);
    EXPECT_EQ((Lines{dropped->File(0), dropped->File(1), dropped->File(2), dropped->File(3), dropped->File(4), dropped->File(5)}),
              (Lines{"", "/tmp/b sound.wav", "/tmp/a.mp3", "/tmp/Kl\xe4nge \xc3\xb6.wav", "//server/share/100%.wav", ""}));
}

// Each row: the steps, and what the elements and the window's surface were told (button/shift bits).
TEST(FormsElements, MouseScenarios) {
    TestForm form;
    form.Show();
    QWindow* window = forms::widgetOf(form)->windowHandle();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    form.watch(form.Picture, "image"), form.watch(form.Rows, "list");
    const std::map<std::string, QPoint> places{{"image", form.on(form.Picture, {9, 9})}, {"list", form.onRow(0)},
        {"list1", form.onRow(1)}, {"box", form.on(form.Box, {50, 30})}, {"form", {290, 190}}};
    const std::pair<const char*, const char*> rows[] = {
        {"click image R+shift+ctrl", "image down 2/3, image up 2/3"},
        {"click image L+alt+shift", "image down 1/5, image up 1/5, image click"},
        {"press image L; release form L", "image down 1/0, image up 1/0"},  // let go outside: no click
        {"click box L; click form R", "form down 2/0"},  // presses on elements stay there
        {"dclick image L", "image down 1/0, image up 1/0, image click, image dblclick, image up 1/0"},
        {"dclick image R", "image down 2/0, image up 2/0, image dblclick, image up 2/0"},
        {"dclick list L", "list down 1/0, list up 1/0, list click, list dblclick, list up 1/0"},
        {"dclick form L", "form down 1/0, form dblclick"},
        {"click list1 L+alt", "list down 1/4, list up 1/4, list click"},
        {"press image L; press image R; press image M; release image R; release image M; release image L",
         "image down 1/0, image down 2/0, image down 4/0, image up 2/0, image up 4/0, image up 1/0, image click"}};
    for (const auto& [steps, expected] : rows) {
        form.log.clear();
        play(window, places, steps);
        EXPECT_EQ(form.log, expected) << steps;
    }
    EXPECT_EQ(QPointF(form.lastDown.X, form.lastDown.Y), QPointF(9, 9));
    EXPECT_EQ(form.Rows.ListIndex(), 1);
}

TEST(FormsElements, TimerTicksOnlyWhileEnabledWithAnIntervalOnALoadedWindow) {
    TestForm form;
    int ticks = 0;
    form.Ticker.onTimer = [&] { ++ticks; };
    QTimer* timer = forms::timerOf(form.Ticker);
    const std::pair<std::function<void()>, bool> steps[] = {{[&] { form.Ticker.setEnabled(true); }, false},
        {[&] { form.Load(); }, true}, {[&] { form.Ticker.setEnabled(false); }, false},
        {[&] { form.Ticker.setEnabled(true); }, true}, {[&] { form.Ticker.setInterval(0); }, false},
        {[&] { form.Ticker.setInterval(20); }, true}, {[&] { form.Unload(); }, false}};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].first();
        EXPECT_EQ(timer->isActive(), steps[i].second) << "step " << i;
        if (i != 1) continue;
        QTimerEvent event(timer->timerId());
        QCoreApplication::sendEvent(timer, &event);
    }
    EXPECT_EQ(ticks, 1);
}

// The window host that drawing code reaches the windows through: outlines and the clipboard.
TEST(FormsWindow, TheWindowHostShapesKnownWindowsAndCopiesBitmaps) {
    forms::startRuntime();
    gdi::WindowHost* host = gdi::windowHost();
    ASSERT_NE(host, nullptr);
    TestForm window;
    const std::vector<gdi::Rect> outline{{3, 0, 303, 1}, {0, 1, 306, 140}, {10, 140, 296, 151}};
    ASSERT_TRUE(host->setWindowShape(window.hWnd(), outline, true));
    EXPECT_EQ(forms::widgetOf(window)->mask(), QRegion(3, 0, 300, 1) + QRegion(0, 1, 306, 139) + QRegion(10, 140, 286, 11));
    EXPECT_FALSE(host->setWindowShape(window.hWnd() + 1, outline, true));
    ASSERT_TRUE(host->setClipboardBitmap(*makePicture(3, 2, [](int x, int y) { return y == 0 && x == 2 ? 0x112233u : 0u; }).bitmap()));
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(3, 2));
    EXPECT_TRUE(copied.pixelColor(2, 0) == QColor(0x11, 0x22, 0x33) && copied.pixelColor(0, 1) == QColor(0, 0, 0));
}

// Offscreen there is no window manager: always-on-top fails and changes nothing (e2e_window_manager tries a real one).
TEST(FormsWindow, PlaceSizeLoadingStatesKeyPreviewAndOnTop) {
    TestForm window;
    QWidget* widget = forms::widgetOf(window);
    const unsigned keep = forms::SWP_NOSIZE | forms::SWP_NOMOVE;
    EXPECT_FALSE(forms::SetWindowPos(window.hWnd(), forms::HWND_TOPMOST, 0, 0, 0, 0, keep)) << "never shown";
    window.Move(1500, 3000);
    window.setTop(150);
    EXPECT_EQ(std::tuple(window.ScaleWidth(), window.ScaleHeight(), window.Width()), std::tuple(300, 200, 300 * 15));
    window.setHeight(6765);
    window.setWidth(9000);
    EXPECT_EQ(widget->geometry(), QRect(100, 10, 600, 451));
    EXPECT_EQ(QSize(forms::ScreenWidth(), forms::ScreenHeight()), QGuiApplication::primaryScreen()->geometry().size() * 15);
    window.setBackColor(0x00404040);
    window.setPicture(makePicture(10, 5, [](int x, int) { return x < 5 ? 0xFF00FFu : 0x00FF00u; }));
    const QImage drawn = widget->grab().toImage();
    EXPECT_EQ((QList{drawn.pixelColor(0, 0), drawn.pixelColor(9, 4), drawn.pixelColor(590, 440)}),
              (QList{QColor(255, 0, 255), QColor(0, 255, 0), QColor(64, 64, 64)}));
    window.Show();
    window.Show();
    EXPECT_EQ(window.loads, 1);
    const WId native = widget->winId();
    EXPECT_FALSE(forms::SetWindowPos(window.hWnd(), forms::HWND_TOPMOST, 0, 0, 0, 0, keep) ||
                 forms::SetWindowPos(0, forms::HWND_NOTOPMOST, 0, 0, 0, 0, keep));
    EXPECT_TRUE(!(widget->windowFlags() & Qt::WindowStaysOnTopHint) && widget->isVisible() && widget->winId() == native);
    // Key preview: the window sees keys before the focused element and may eat them.
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
    for (auto [key, text] : {std::pair{Qt::Key_Escape, QString(QChar(27))}, {Qt::Key_X, "x"}, {Qt::Key_B, "b"},
             {Qt::Key_Shift, ""}, {Qt::Key_Tab, ""}})
        type(key, text);
    EXPECT_EQ(window.keys, (std::vector<int>{27, 'x', 'b', 9}));
    EXPECT_EQ(edit->toPlainText(), "ab") << "the eaten key never arrived";
    for (int state : {forms::vbMaximized, forms::vbMinimized, forms::vbNormal, forms::vbMaximized, forms::vbNormal}) {
        const int resizes = window.resizes;
        window.setWindowState(state);
        EXPECT_EQ(window.WindowState(), state);
        EXPECT_GT(window.resizes, resizes) << "set " << state;
    }
    forms::widgetOf(window)->showMaximized();
    EXPECT_EQ(window.WindowState(), forms::vbMaximized);
    // A minimised window hidden and shown again comes back normal; a shown one keeps its state.
    const std::pair<std::function<void()>, int> steps[] = {
        {[&] { window.setWindowState(forms::vbMinimized), window.Hide(); }, forms::vbMinimized},
        {[&] { window.Show(); }, forms::vbNormal},
        {[&] { window.setWindowState(forms::vbMinimized), window.Show(); }, forms::vbMinimized}};
    for (const auto& [step, state] : steps) {
        step();
        EXPECT_EQ(window.WindowState(), state);
    }
    // Other insert-after values only move and size as asked.
    window.setWindowState(forms::vbNormal);
    EXPECT_TRUE(forms::SetWindowPos(window.hWnd(), 0, 30, 40, 200, 100, 0));
    EXPECT_TRUE(forms::SetWindowPos(window.hWnd(), 0, 99, 99, 250, 120, forms::SWP_NOMOVE));
    EXPECT_EQ(widget->geometry(), QRect(30, 40, 250, 120));
}

// Offscreen no window manager offers a move: the window follows the mouse until the button held at the
// caption-press message is let go; every button can start it, and other messages start nothing.
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
    const auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(5, 5), QPointF(global), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    };
    const auto place = [&] { return std::pair(widget->x(), widget->y()); };
    for (Qt::MouseButton button : {Qt::RightButton, Qt::LeftButton, Qt::MiddleButton}) {
        window.Move(1500, 1500);
        QTest::mousePress(native, button, {}, {290, 100});
        forms::SendMessage(window.hWnd(), forms::WM_NCLBUTTONDOWN, forms::HTCAPTION, 0);
        ASSERT_EQ(QWidget::mouseGrabber(), widget) << button;
        const QPoint start = QCursor::pos();
        send(QEvent::MouseMove, start + QPoint(30, 20), Qt::NoButton, button);
        EXPECT_EQ(place(), std::pair(130, 120)) << button;
        const Qt::MouseButton other = button == Qt::LeftButton ? Qt::RightButton : Qt::LeftButton;
        send(QEvent::MouseButtonRelease, start, other, button);
        EXPECT_EQ(QWidget::mouseGrabber(), widget) << "another button's release goes on with the move";
        send(QEvent::MouseMove, start + QPoint(-10, 40), Qt::NoButton, button);
        EXPECT_EQ(place(), std::pair(90, 140)) << button;
        QTest::mouseRelease(native, button, {}, {290, 100});
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << button;
        const auto settled = place();
        send(QEvent::MouseMove, start, Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(place(), settled) << "after the release the window stays";
    }
}

// A list window unloads and reloads itself from its own double-click, as the program's sound list does:
// nothing in use is freed, the old widgets go later.
// The real box, answered by a click on one of its buttons once it shows.
TEST(FormsWindow, MessageBoxesAnswerWithTheButtonClicked) {
    forms::setMessageHook({});
    const std::tuple<int, QMessageBox::StandardButton, int> rows[] = {{forms::vbYesNo, QMessageBox::Yes, forms::vbYes},
                                                                       {forms::vbYesNo, QMessageBox::No, forms::vbNo},
                                                                       {forms::vbOKOnly, QMessageBox::Ok, forms::vbOK}};
    for (const auto& [buttons, clicked, answer] : rows) {
        std::function<void()> clickWhenShown;
        clickWhenShown = [&clickWhenShown, which = clicked] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->button(which)) return box->button(which)->click();
            QTimer::singleShot(10, clickWhenShown);
        };
        QTimer::singleShot(0, clickWhenShown);
        EXPECT_EQ(forms::MsgBox("Exit Program?", buttons, "Calculator"), answer) << clicked;
    }
}

TEST(FormsUnload, UnloadAndReloadInsideOwnHandlerFreesNothingInUseAndCancelKeepsTheWindow) {
    TestForm window;
    window.Show();
    QPointer<QWidget> oldWindow = forms::widgetOf(window), oldList = forms::widgetOf(window.Rows);
    window.Rows.setTag("old");
    window.Caption.setCaption("before");
    window.Ticker.setEnabled(true);
    Lines seen;
    window.Rows.onDblClick = [&] {
        window.Unload();
        EXPECT_FALSE(window.Loaded() || forms::timerOf(window.Ticker)->isActive()) << "a running fade stops";
        seen.push_back(window.Rows.List(window.Rows.ListIndex()));  // still readable
        window.Show();  // loads afresh while the old list's event is still running
        EXPECT_TRUE(oldList && oldWindow);
        seen.insert(seen.end(), {std::to_string(window.Rows.ListCount()), window.Rows.Tag(), window.Caption.Caption()});
        window.Rows.AddItem("three");
    };
    QTest::mouseDClick(window.list()->viewport(), Qt::LeftButton, {}, window.row(1));
    EXPECT_EQ(seen, (Lines{"two", "2", "", ""}));
    EXPECT_EQ(std::tuple(window.loads, window.unloads, window.Rows.ListCount()), std::tuple(2, 1, 3));
    EXPECT_TRUE(window.Loaded() && window.Visible() && !window.Ticker.Enabled()) << "as designed again";
    EXPECT_NE(forms::widgetOf(window.Rows), oldList.data());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(oldList || oldWindow);
    // A cancelled unload keeps the window; one by the window system keeps the elements until loaded again.
    window.cancelUnload = 1;
    window.Unload();
    EXPECT_TRUE(window.Loaded() && window.Visible());
    window.cancelUnload = 0;
    forms::widgetOf(window)->close();  // by the window system
    EXPECT_FALSE(window.Loaded() || window.Visible());
    EXPECT_EQ(window.Rows.ListCount(), 3) << "the elements stay until loaded again";
    window.Unload();  // an unloaded window is not unloaded again
    EXPECT_EQ(window.unloads, 3);
}

TEST(FormsUnload, WindowReplacedDuringAWaitLivesUntilTheOuterHandlerEnds) {
    TestForm window;
    window.Show();
    QPointer<QWidget> oldList = forms::widgetOf(window.Rows);
    bool stillThereAfterWait = false;
    window.Rows.onDblClick = [&] {
        bool reloaded = false;
        QTimer::singleShot(0, [&] { window.Unload(), window.Show(), reloaded = true; });
        while (!reloaded) forms::DoEvents();  // a wait that lets other events run
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        stillThereAfterWait = !oldList.isNull();
        window.Rows.setListIndex(0);
    };
    QTest::mouseDClick(window.list()->viewport(), Qt::LeftButton, {}, window.row(0));
    EXPECT_TRUE(stillThereAfterWait);
    EXPECT_EQ(window.loads * 10 + window.Rows.ListIndex(), 20);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(oldList);
}

namespace {
// The names of the members the element answers to; Move is called with 1, 2, 3, 4.
std::string membersOf(forms::Control& element) {
    std::string members;
    for (std::string_view name : {"Left", "Top", "Width", "Height", "X1", "Y1", "X2", "Y2", "BorderWidth", "Caption",
                                  "Move", "Refresh", "Hide"}) {
        try {
            if (name == "Move") forms::CallMethod(element, name, std::array<float, 4>{1, 2, 3, 4});
            else if (name == "Refresh" || name == "Hide") forms::CallMethod(element, name);
            else forms::GetProperty(element, name);
            members += std::string(members.empty() ? "" : " ") + std::string(name);
        } catch (const forms::MemberError&) {
        }
    }
    return members;
}
std::array<float, 4> properties(const forms::Control& element, std::array<std::string_view, 4> names) {
    std::array<float, 4> values{};
    std::ranges::transform(names, values.begin(), [&](std::string_view name) { return forms::GetProperty(element, name); });
    return values;
}
constexpr std::array<std::string_view, 4> kPlace{"Left", "Top", "Width", "Height"}, kEnds{"X1", "Y1", "X2", "Y2"};
}  // namespace

// Element kinds and members by name, as code that scales a whole window uses them.
TEST(LateBinding, EachKindHasItsOwnMembersAndRefusesWhatNoWindowCanShow) {
    TestForm form;
    using enum forms::ElementKind;
    const std::string placed = "Left Top Width Height Move Refresh";
    const std::tuple<forms::Control*, forms::ElementKind, std::string> rows[] = {{&form.Caption, Label, placed},
        {&form.Picture, Image, placed}, {&form.Text, TextBox, placed}, {&form.Ticker, Timer, ""},
        {&form.Rule, Line, "X1 Y1 X2 Y2 BorderWidth Refresh"},
        {&form.Frame, Shape, "Left Top Width Height BorderWidth Move Refresh"}};
    for (const auto& [element, kind, members] : rows) {
        EXPECT_EQ(forms::KindOf(*element), kind);
        EXPECT_EQ(membersOf(*element), members);
        if (!members.starts_with("Left")) continue;
        EXPECT_EQ(properties(*element, kPlace), (std::array<float, 4>{1, 2, 3, 4}));
        for (auto name : kPlace) forms::SetProperty(*element, name, 5);
        EXPECT_EQ(properties(*element, kPlace), (std::array<float, 4>{5, 5, 5, 5}));
    }
    EXPECT_THROW(forms::SetProperty(form.Caption, "Caption", 1), forms::MemberError);
    // Refused values change nothing.
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const struct { forms::Control* element; std::string_view name; float value; } refused[] = {
        {&form.Caption, "Left", inf}, {&form.Caption, "Top", nan}, {&form.Caption, "Width", -1},
        {&form.Text, "Height", -0.5f}, {&form.Text, "Left", 2e7f}, {&form.Rule, "X2", -inf},
        {&form.Rule, "BorderWidth", 0.4f}, {&form.Frame, "BorderWidth", nan}};
    for (const auto& r : refused) {
        const float before = forms::GetProperty(*r.element, r.name);
        EXPECT_THROW(forms::SetProperty(*r.element, r.name, r.value), forms::MemberError) << r.name;
        EXPECT_EQ(forms::GetProperty(*r.element, r.name), before) << r.name;
    }
    EXPECT_THROW(forms::CallMethod(form.Caption, "Move", std::array<float, 4>{1, 1, -3, 4}), forms::MemberError);
    EXPECT_EQ(form.Caption.Width(), 5);
    EXPECT_THROW(forms::CallMethod(form.Caption, "Move", std::span<const float>{}), forms::MemberError);
    forms::SetProperty(form.Text, "Height", 0);  // nothing is a size too
    EXPECT_EQ(forms::GetProperty(form.Text, "Height"), 0);
    // Border widths round half to even; line ends stay unrounded.
    for (auto [given, kept] : {std::pair{2.5f, 2}, {3.5f, 4}, {1.49f, 1}, {6.6f, 7}}) {
        forms::SetProperty(form.Frame, "BorderWidth", given);
        forms::SetProperty(form.Rule, "BorderWidth", given);
        EXPECT_EQ(form.Frame.BorderWidth() * 10 + form.Rule.BorderWidth(), kept * 11) << given;
    }
    forms::SetProperty(form.Rule, "Y2", 170.25f);
    EXPECT_EQ(properties(form.Rule, kEnds), (std::array<float, 4>{20.5f, 170, 120, 170.25f}));
}

