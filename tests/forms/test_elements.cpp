#include <gtest/gtest.h>

#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimerEvent>
#include <QUrl>
#include <QWindow>

#include "forms_test_support.h"

namespace {

using formstest::press;
using formstest::release;
using formstest::TestForm;
using Lines = std::vector<std::string>;

TEST(FormsElements, LabelShowsColoursInOrderAndTextNeverAsMarkup) {
    TestForm form;
    auto* label = qobject_cast<QLabel*>(forms::widgetOf(form.Caption));
    form.Caption.setForeColor(0x00FF00FF);
    form.Caption.setBackColor(0x00800000);  // 0x00BBGGRR
    form.Caption.setCaption("<b>Hit</b>");
    form.Caption.setToolTipText("<i>Song</i>");
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 255));
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(0, 0, 128));
    EXPECT_EQ(label->text(), "<b>Hit</b>");
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_FALSE(label->toolTip().contains("<i>"));
    // System colours take the palette's roles.
    const QPalette palette = QApplication::palette();
    const struct { forms::Color color; QPalette::ColorRole role; } system[] = {
        {0x80000005, QPalette::Base}, {0x8000000F, QPalette::Button}, {0x80000012, QPalette::ButtonText}};
    for (const auto& r : system) {
        form.Caption.setBackColor(r.color);
        EXPECT_EQ(label->palette().color(QPalette::Window), palette.color(r.role)) << std::hex << r.color;
    }
    form.Caption.setBackStyle(forms::vbTransparent);
    EXPECT_FALSE(label->autoFillBackground());
    form.Caption.Move(9.33f, 6.67f, 33, 10);
    EXPECT_EQ(label->geometry(), QRect(9, 7, 33, 10));
}

TEST(FormsElements, MouseEventsCarryTheButtonPressedAndModifierBits) {
    TestForm form;
    QWidget* image = forms::widgetOf(form.Picture);
    std::vector<forms::MouseEvent> downs;
    form.Picture.onMouseDown = [&](const forms::MouseEvent& e) { downs.push_back(e); };
    const struct { Qt::MouseButton button; Qt::MouseButtons held; Qt::KeyboardModifiers keys; int Button, Shift; } rows[] = {
        {Qt::RightButton, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, 2, 3},
        {Qt::RightButton, Qt::LeftButton | Qt::RightButton, {}, 2, 0},  // never the left held with it
        {Qt::MiddleButton, Qt::MiddleButton, Qt::AltModifier, 4, 4},
        {Qt::LeftButton, Qt::LeftButton, Qt::AltModifier | Qt::ShiftModifier, 1, 5},
    };
    for (const auto& r : rows) press(image, {3, 4}, r.button, r.held, r.keys);
    ASSERT_EQ(downs.size(), std::size(rows));
    for (std::size_t i = 0; i < downs.size(); ++i) {
        EXPECT_EQ(downs[i].Button, rows[i].Button) << i;
        EXPECT_EQ(downs[i].Shift, rows[i].Shift) << i;
    }
    EXPECT_FLOAT_EQ(downs[0].X, 3);
    EXPECT_FLOAT_EQ(downs[0].Y, 4);

    form.watch(form.Picture, "image");
    release(image, {2, 2}, Qt::LeftButton);
    release(image, {30, 2}, Qt::LeftButton);  // let go outside: no click
    release(image, {2, 2}, Qt::RightButton);  // only the left button clicks
    // Presses on elements stay there; the window's surface gets its own.
    press(forms::widgetOf(form.Box), {50, 30}, Qt::LeftButton, Qt::LeftButton);
    press(forms::widgetOf(form), {290, 190}, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(form.log, (Lines{"image up 1", "image click", "image up 1", "image up 2", "form down 2"}));
}

// Presses through the window system's own path (QTest on the native window),
// where Qt makes the second press of a quick pair a double-click.
TEST(FormsElements, DoubleClicksAndPressesWithOtherButtonsHeld) {
    TestForm form;
    form.Show();
    QWindow* window = forms::widgetOf(form)->windowHandle();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    form.watch(form.Picture, "image");
    form.watch(form.Caption, "label");
    form.watch(form.Rows, "list");
    auto* list = qobject_cast<QListWidget*>(forms::widgetOf(form.Rows));
    const QPoint image = form.on(form.Picture, {9, 9});
    const QPoint row = form.on(form.Rows, list->viewport()->mapToParent(list->visualItemRect(list->item(0)).center()));
    const struct { QPoint at; Qt::MouseButton button; Lines expected; } rows[] = {
        {image, Qt::LeftButton, {"image down 1", "image up 1", "image click", "image dblclick", "image up 1"}},
        {image, Qt::RightButton, {"image down 2", "image up 2", "image dblclick", "image up 2"}},
        {form.on(form.Caption, {5, 5}), Qt::LeftButton, {"label down 1", "label up 1", "label click", "label dblclick", "label up 1"}},
        {row, Qt::LeftButton, {"list down 1", "list up 1", "list click", "list dblclick", "list up 1"}},
        {{290, 190}, Qt::LeftButton, {"form down 1", "form dblclick"}},
    };
    for (const auto& r : rows) {
        form.log.clear();
        QTest::mouseDClick(window, r.button, {}, r.at);
        EXPECT_EQ(form.log, r.expected) << r.at.x() << "," << r.at.y() << " button " << r.button;
    }
    EXPECT_EQ(form.Rows.ListIndex(), 0);

    form.log.clear();
    QTest::mousePress(window, Qt::LeftButton, {}, image);
    QTest::mousePress(window, Qt::RightButton, {}, image, 20);
    QTest::mousePress(window, Qt::MiddleButton, {}, image, 20);
    QTest::mouseRelease(window, Qt::RightButton, {}, image, 20);
    QTest::mouseRelease(window, Qt::MiddleButton, {}, image, 20);
    QTest::mouseRelease(window, Qt::LeftButton, {}, image, 20);
    EXPECT_EQ(form.log, (Lines{"image down 1", "image down 2", "image down 4", "image up 2", "image up 4", "image up 1",
                               "image click"}));
}

TEST(FormsElements, ImagePictureIsACopyDrawnUprightAndStretched) {
    TestForm form;
    const unsigned corners[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    gdi::Picture source = formstest::makePicture(4, 3, [&](int x, int y) { return corners[(y ? 2 : 0) + (x ? 1 : 0)]; });
    form.Picture.setPicture(source);
    gdi::bitmapFromHandle(source.handle())->bits.assign(gdi::bitmapFromHandle(source.handle())->bits.size(), 0);
    EXPECT_NE(form.Picture.Picture().handle(), source.handle());
    form.Picture.Move(0, 0, 8, 6);
    for (bool stretch : {false, true}) {
        form.Picture.setStretch(stretch);
        const QImage drawn = forms::widgetOf(form.Picture)->grab().toImage();
        EXPECT_EQ(drawn.pixelColor(0, 0), QColor(255, 0, 0));
        EXPECT_EQ(drawn.pixelColor(7, 0) == QColor(0, 255, 0), stretch);
        EXPECT_EQ(drawn.pixelColor(0, 5) == QColor(0, 0, 255), stretch);
        EXPECT_EQ(drawn.pixelColor(3, 2), QColor(255, 255, 0));
        EXPECT_EQ(drawn.pixelColor(7, 5) == QColor(255, 255, 0), stretch);
    }
    form.Picture.setPicture(gdi::Picture());
    EXPECT_TRUE(form.Picture.Picture().empty());
}

TEST(FormsElements, DropsGiveLocalFilesInOrderAsTheFileList) {
    TestForm form;
    const QString first = "/tmp/b sound.wav", second = "/tmp/a.mp3";
    std::optional<forms::DataObject> dropped;
    forms::MouseEvent where;
    form.Picture.onDragDrop = [&](const forms::DataObject& data, const forms::MouseEvent& e) { dropped = data, where = e; };
    const auto drop = [&](QMimeData& data, Qt::KeyboardModifiers modifiers) {
        dropped.reset();
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(forms::widgetOf(form.Picture), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(forms::widgetOf(form.Picture), &event);
        EXPECT_TRUE(event.isAccepted());
        return dropped.has_value();
    };
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(first), QUrl("http://example.invalid/c.wav"), QUrl::fromLocalFile(second)});
    ASSERT_TRUE(drop(files, Qt::ControlModifier));
    EXPECT_TRUE(dropped->GetFormat(forms::vbCFFiles));
    EXPECT_FALSE(dropped->GetFormat(1));
    ASSERT_EQ(dropped->FileCount(), 2);
    EXPECT_EQ((Lines{dropped->File(0), dropped->File(1), dropped->File(2), dropped->File(3)}),
              (Lines{"", first.toStdString(), second.toStdString(), ""}));
    EXPECT_EQ(where.Button * 10 + where.Shift, 12);

    QMimeData text;
    text.setText("just words");
    ASSERT_TRUE(drop(text, {}));
    EXPECT_FALSE(dropped->GetFormat(forms::vbCFFiles));
    EXPECT_EQ(dropped->FileCount(), 0);
}

TEST(FormsElements, ListAndTextBoxes) {
    TestForm form;
    form.Show();  // loads "one" and "two"
    form.Rows.AddItem("x", 1);
    form.Rows.AddItem("z", 99);
    EXPECT_EQ((Lines{form.Rows.List(-1), form.Rows.List(0), form.Rows.List(1), form.Rows.List(2), form.Rows.List(3),
                     form.Rows.List(4)}),
              (Lines{"", "one", "x", "two", "z", ""}));
    auto* list = qobject_cast<QListWidget*>(forms::widgetOf(form.Rows));
    forms::MouseEvent pressed;
    form.Rows.onMouseDown = [&](const forms::MouseEvent& e) { pressed = e; };
    press(list->viewport(), list->visualItemRect(list->item(1)).center(), Qt::LeftButton, Qt::LeftButton, Qt::AltModifier);
    EXPECT_EQ(pressed.Button * 10 + pressed.Shift, 14);
    EXPECT_EQ(form.Rows.ListIndex(), 1);
    form.Rows.Clear();
    EXPECT_EQ(form.Rows.ListCount(), 0);

    // The text box shows plain line ends and gives back the program's own.
    form.Text.setText("Zirpomat Version 8.5\r\n---\r\n");
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(forms::widgetOf(form.Text))->toPlainText(), "Zirpomat Version 8.5\n---\n");
    EXPECT_EQ(form.Text.Text(), "Zirpomat Version 8.5\r\n---\r\n");
}

TEST(FormsElements, TimerTicksOnlyWhileEnabledWithAnIntervalOnALoadedWindow) {
    TestForm form;
    int ticks = 0;
    form.Ticker.onTimer = [&] { ++ticks; };
    QTimer* timer = forms::timerOf(form.Ticker);
    const auto tick = [&] {
        ASSERT_TRUE(timer->isActive());
        QTimerEvent event(timer->timerId());
        QCoreApplication::sendEvent(timer, &event);
    };
    form.Ticker.setEnabled(true);
    EXPECT_FALSE(timer->isActive()) << "not loaded yet";
    form.Load();
    EXPECT_EQ(timer->interval(), 20);
    tick();
    EXPECT_EQ(ticks, 1);
    form.Ticker.setEnabled(false);
    EXPECT_FALSE(timer->isActive());
    form.Ticker.setEnabled(true);
    EXPECT_TRUE(timer->isActive());
    form.Ticker.setInterval(0);
    EXPECT_FALSE(timer->isActive());
    form.Ticker.setInterval(-5);
    EXPECT_FALSE(timer->isActive());
    form.Unload();
    EXPECT_FALSE(timer->isActive());
}

TEST(FormsElements, PictureBoxHoldsItsElementsAndControlArraysAddressByIndex) {
    TestForm form;
    form.Show();
    EXPECT_EQ(forms::widgetOf(form.Picture)->parentWidget(), forms::widgetOf(form.Box));
    form.Box.setVisible(false);
    EXPECT_TRUE(form.Picture.Visible());
    EXPECT_FALSE(forms::widgetOf(form.Picture)->isVisible());

    forms::ControlArray<forms::Image> buttons;
    buttons.Load(101, form.Box).setTag("a");
    buttons.Load(1, form.Box).setTag("b");
    EXPECT_EQ(&buttons.Load(101, form.Box), &buttons[101]);
    EXPECT_EQ(buttons[101].Tag(), "a");
    EXPECT_EQ(buttons.Count(), 2);
    EXPECT_EQ(buttons.LBound() * 1000 + buttons.UBound(), 1101);
    EXPECT_THROW(buttons[2], std::out_of_range);
    std::vector<int> indexes;
    buttons.forEach([&](int index, forms::Image&) { indexes.push_back(index); });
    EXPECT_EQ(indexes, (std::vector<int>{1, 101}));
}

}  // namespace
