#include <gtest/gtest.h>

#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>
#include <QTimerEvent>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <optional>

#include "forms_test_support.h"

namespace {

using formstest::press;
using formstest::release;

class ElementsForm : public forms::Form {
public:
    ElementsForm() { design(); }

    forms::PictureBox Box{*this};
    forms::Image Picture{Box};
    forms::Label Caption{*this};
    forms::ListBox Rows{*this};
    forms::TextBox Text{*this};
    forms::Timer Ticker{*this};
    int backgroundPresses = 0;

private:
    void design() override {
        setClientSize(300, 200);
        Box.Move(10, 10, 60, 40);
        Picture.Move(5, 5, 19, 19);
        Caption.Move(80, 10, 100, 20);
        Rows.Move(10, 60, 120, 100);
        Text.Move(140, 60, 120, 80);
    }
    void Form_MouseDown(const forms::MouseEvent&) override { ++backgroundPresses; }
};

TEST(FormsElements, LabelPropertiesReachTheWidget) {
    ElementsForm form;
    auto* label = qobject_cast<QLabel*>(forms::widgetOf(form.Caption));
    ASSERT_NE(label, nullptr);

    form.Caption.setCaption("12:00:00 - 12:03:10");
    form.Caption.setForeColor(0x00FF00FF);
    form.Caption.setBackColor(0x00800000);
    form.Caption.setAlignment(forms::vbCenter);
    form.Caption.setToolTipText("Time/Duration Display");

    EXPECT_EQ(label->text().toStdString(), "12:00:00 - 12:03:10");
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 255));
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(0, 0, 128));
    EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(label->toolTip().toStdString(), "Time/Duration Display");

    // Titles and names of sounds are never read as markup.
    form.Caption.setCaption("<b>Hit</b>");
    form.Caption.setToolTipText("<i>Song</i>");
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(form.Caption.ToolTipText(), "<i>Song</i>");
    EXPECT_FALSE(label->toolTip().contains("<i>"));
    form.Caption.setBackStyle(forms::vbTransparent);
    EXPECT_FALSE(label->autoFillBackground());

    form.Caption.setVisible(false);
    EXPECT_TRUE(label->isHidden());

    form.Caption.Move(9.33f, 6.67f, 33, 10);
    EXPECT_EQ(label->geometry(), QRect(9, 7, 33, 10));
}

TEST(FormsElements, MouseEventsCarryButtonAndModifierBits) {
    ElementsForm form;
    QWidget* image = forms::widgetOf(form.Picture);
    std::vector<forms::MouseEvent> downs, ups;
    int clicks = 0;
    form.Picture.onMouseDown = [&](const forms::MouseEvent& e) { downs.push_back(e); };
    form.Picture.onMouseUp = [&](const forms::MouseEvent& e) { ups.push_back(e); };
    form.Picture.onClick = [&] { ++clicks; };

    press(image, {3, 4}, Qt::RightButton, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
    press(image, {1, 1}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    press(image, {1, 1}, Qt::MiddleButton, Qt::MiddleButton, Qt::AltModifier);
    press(image, {1, 1}, Qt::LeftButton, Qt::LeftButton, Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_EQ(downs.size(), 4u);
    EXPECT_EQ(downs[0].Button, 2);
    EXPECT_EQ(downs[0].Shift, 3);
    EXPECT_FLOAT_EQ(downs[0].X, 3);
    EXPECT_FLOAT_EQ(downs[0].Y, 4);
    EXPECT_EQ(downs[1].Button, 2);  // the right press, never the left held with it
    EXPECT_EQ(downs[1].Shift, 0);
    EXPECT_EQ(downs[2].Button, 4);
    EXPECT_EQ(downs[2].Shift, 4);
    EXPECT_EQ(downs[3].Button, 1);
    EXPECT_EQ(downs[3].Shift, 5);

    release(image, {2, 2}, Qt::LeftButton);
    release(image, {30, 2}, Qt::LeftButton);  // let go outside: no click
    release(image, {2, 2}, Qt::RightButton);  // only the left button clicks
    ASSERT_EQ(ups.size(), 3u);
    EXPECT_EQ(ups[0].Button, 1);
    EXPECT_EQ(ups[2].Button, 2);
    EXPECT_EQ(clicks, 1);

    // Presses on elements stay there; the window's surface gets its own.
    EXPECT_EQ(form.backgroundPresses, 0);
    press(forms::widgetOf(form.Box), {50, 30}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(form.backgroundPresses, 0);
    press(forms::widgetOf(form), {290, 190}, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(form.backgroundPresses, 1);
}

// Counts what one element and the window's surface were told, as one line
// per event.
struct EventLog {
    std::vector<std::string> lines;
    void watch(forms::Control& control, const std::string& name) {
        control.onMouseDown = [this, name](const forms::MouseEvent& e) { add(name + " down", e.Button); };
        control.onMouseUp = [this, name](const forms::MouseEvent& e) { add(name + " up", e.Button); };
        control.onClick = [this, name] { lines.push_back(name + " click"); };
        control.onDblClick = [this, name] { lines.push_back(name + " dblclick"); };
    }
    void add(const std::string& what, int button) { lines.push_back(what + " " + std::to_string(button)); }
};

class LoggedForm : public ElementsForm {
public:
    EventLog log;

private:
    void Form_MouseDown(const forms::MouseEvent& e) override { log.add("form down", e.Button); }
    void Form_DblClick() override { log.lines.push_back("form dblclick"); }
};

// Presses go through the window system's own path (QTest on the native
// window), where Qt makes the second press of a quick pair a double-click.
TEST(FormsElements, SecondPressOfADoubleClickRaisesOnlyTheDoubleClick) {
    LoggedForm form;
    form.Show();
    QWindow* window = forms::widgetOf(form)->windowHandle();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    form.log.watch(form.Picture, "image");
    form.log.watch(form.Caption, "label");
    form.log.watch(form.Rows, "list");
    form.Rows.AddItem("row");

    const QPoint image = forms::widgetOf(form.Picture)->mapTo(forms::widgetOf(form), QPoint(9, 9));
    const QPoint label = forms::widgetOf(form.Caption)->mapTo(forms::widgetOf(form), QPoint(5, 5));
    auto* list = qobject_cast<QListWidget*>(forms::widgetOf(form.Rows));
    const QPoint row = list->viewport()->mapTo(forms::widgetOf(form), list->visualItemRect(list->item(0)).center());
    const QPoint surface(290, 190);
    struct Case {
        QPoint at;
        Qt::MouseButton button;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {image, Qt::LeftButton, {"image down 1", "image up 1", "image click", "image dblclick", "image up 1"}},
        {image, Qt::RightButton, {"image down 2", "image up 2", "image dblclick", "image up 2"}},
        {label, Qt::LeftButton, {"label down 1", "label up 1", "label click", "label dblclick", "label up 1"}},
        {row, Qt::LeftButton, {"list down 1", "list up 1", "list click", "list dblclick", "list up 1"}},
        {surface, Qt::LeftButton, {"form down 1", "form dblclick"}},
    };
    for (const Case& c : cases) {
        form.log.lines.clear();
        QTest::mouseDClick(window, c.button, {}, c.at);
        EXPECT_EQ(form.log.lines, c.expected) << c.at.x() << "," << c.at.y() << " button " << c.button;
    }

    // Two presses far apart in time are two presses.
    form.log.lines.clear();
    QTest::mouseClick(window, Qt::LeftButton, {}, image);
    QTest::mouseClick(window, Qt::LeftButton, {}, image, QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    EXPECT_EQ(std::count(form.log.lines.begin(), form.log.lines.end(), "image down 1"), 2);
}

TEST(FormsElements, APressWhileAnotherButtonIsHeldReportsTheButtonPressed) {
    LoggedForm form;
    form.Show();
    QWindow* window = forms::widgetOf(form)->windowHandle();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    form.log.watch(form.Picture, "image");
    const QPoint image = forms::widgetOf(form.Picture)->mapTo(forms::widgetOf(form), QPoint(9, 9));

    QTest::mousePress(window, Qt::LeftButton, {}, image);
    QTest::mousePress(window, Qt::RightButton, {}, image, 20);
    QTest::mousePress(window, Qt::MiddleButton, {}, image, 20);
    QTest::mouseRelease(window, Qt::RightButton, {}, image, 20);
    QTest::mouseRelease(window, Qt::MiddleButton, {}, image, 20);
    QTest::mouseRelease(window, Qt::LeftButton, {}, image, 20);
    EXPECT_EQ(form.log.lines, (std::vector<std::string>{"image down 1", "image down 2", "image down 4", "image up 2",
                                                        "image up 4", "image up 1", "image click"}));
}

TEST(FormsElements, ImagePictureIsACopyDrawnUprightAndStretched) {
    ElementsForm form;
    const unsigned corners[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    gdi::Picture source = formstest::makePicture(4, 3, [&](int x, int y) {
        return corners[(y == 0 ? 0 : 2) + (x == 0 ? 0 : 1)];
    });
    form.Picture.setPicture(source);
    gdi::bitmapFromHandle(source.handle())->bits.assign(gdi::bitmapFromHandle(source.handle())->bits.size(), 0);
    ASSERT_FALSE(form.Picture.Picture().empty());
    EXPECT_NE(form.Picture.Picture().handle(), source.handle());

    form.Picture.Move(0, 0, 8, 6);
    QImage drawn = forms::widgetOf(form.Picture)->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(drawn.pixelColor(3, 0), QColor(0, 255, 0));
    EXPECT_EQ(drawn.pixelColor(0, 2), QColor(0, 0, 255));
    EXPECT_EQ(drawn.pixelColor(3, 2), QColor(255, 255, 0));
    EXPECT_NE(drawn.pixelColor(7, 5), QColor(255, 255, 0));  // natural size, not stretched

    form.Picture.setStretch(true);
    drawn = forms::widgetOf(form.Picture)->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(7, 5), QColor(255, 255, 0));
    form.Picture.setPicture(gdi::Picture());
    EXPECT_TRUE(form.Picture.Picture().empty());
}

void dropOn(QWidget* target, QMimeData& data, Qt::KeyboardModifiers modifiers = {}) {
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
}

TEST(FormsElements, DropsGiveLocalFilesInOrderAsTheFileList) {
    ElementsForm form;
    QTemporaryDir folder;
    const QString first = QDir(folder.path()).filePath("b sound.wav");
    const QString second = QDir(folder.path()).filePath("a.mp3");
    std::optional<forms::DataObject> dropped;
    forms::MouseEvent where;
    form.Picture.onDragDrop = [&](const forms::DataObject& data, const forms::MouseEvent& e) {
        dropped = data;
        where = e;
    };

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(first), QUrl("http://example.invalid/c.wav"), QUrl::fromLocalFile(second)});
    dropOn(forms::widgetOf(form.Picture), files, Qt::ControlModifier);
    ASSERT_TRUE(dropped);
    EXPECT_TRUE(dropped->GetFormat(forms::vbCFFiles));
    EXPECT_FALSE(dropped->GetFormat(1));
    ASSERT_EQ(dropped->FileCount(), 2);
    EXPECT_EQ(dropped->File(1), first.toStdString());
    EXPECT_EQ(dropped->File(2), second.toStdString());
    EXPECT_EQ(dropped->File(0), "");
    EXPECT_EQ(dropped->File(3), "");
    EXPECT_EQ(where.Button, 1);
    EXPECT_EQ(where.Shift, 2);

    dropped.reset();
    QMimeData text;
    text.setText("just words");
    dropOn(forms::widgetOf(form.Picture), text);
    ASSERT_TRUE(dropped);
    EXPECT_FALSE(dropped->GetFormat(forms::vbCFFiles));
    EXPECT_EQ(dropped->FileCount(), 0);
}

TEST(FormsElements, ListBoxRowsSelectionAndEvents) {
    ElementsForm form;
    auto* list = qobject_cast<QListWidget*>(forms::widgetOf(form.Rows));
    ASSERT_NE(list, nullptr);
    form.Rows.AddItem("a");
    form.Rows.AddItem("b");
    form.Rows.AddItem("x", 1);
    form.Rows.AddItem("z", 99);
    ASSERT_EQ(form.Rows.ListCount(), 4);
    EXPECT_EQ(form.Rows.List(0), "a");
    EXPECT_EQ(form.Rows.List(1), "x");
    EXPECT_EQ(form.Rows.List(2), "b");
    EXPECT_EQ(form.Rows.List(3), "z");
    EXPECT_EQ(form.Rows.List(4), "");
    EXPECT_EQ(form.Rows.List(-1), "");

    form.Show();
    int doubleClicks = 0;
    forms::MouseEvent pressed;
    form.Rows.onDblClick = [&] { ++doubleClicks; };
    form.Rows.onMouseDown = [&](const forms::MouseEvent& e) { pressed = e; };
    const QPoint row0 = list->visualItemRect(list->item(0)).center();
    press(list->viewport(), row0, Qt::LeftButton, Qt::LeftButton, Qt::AltModifier);
    EXPECT_EQ(pressed.Button * 10 + pressed.Shift, 14);
    EXPECT_EQ(form.Rows.ListIndex(), 0);
    press(list->viewport(), row0, Qt::LeftButton, Qt::LeftButton, {}, QEvent::MouseButtonDblClick);
    EXPECT_EQ(doubleClicks, 1);

    form.Rows.Clear();
    EXPECT_EQ(form.Rows.ListCount(), 0);
}

TEST(FormsElements, TextBoxKeepsTheProgramsLineBreaks) {
    ElementsForm form;
    form.Text.setText("Zirpomat Version 8.5\r\n---\r\n");
    EXPECT_EQ(qobject_cast<QPlainTextEdit*>(forms::widgetOf(form.Text))->toPlainText(), "Zirpomat Version 8.5\n---\n");
    EXPECT_EQ(form.Text.Text(), "Zirpomat Version 8.5\r\n---\r\n");
    int doubleClicks = 0;
    form.Text.onDblClick = [&] { ++doubleClicks; };
    auto* edit = qobject_cast<QPlainTextEdit*>(forms::widgetOf(form.Text));
    press(edit->viewport(), {5, 5}, Qt::LeftButton, Qt::LeftButton, {}, QEvent::MouseButtonDblClick);
    EXPECT_EQ(doubleClicks, 1);
}

void tick(forms::Timer& timer) {
    QTimer* qtimer = forms::timerOf(timer);
    ASSERT_TRUE(qtimer->isActive());
    QTimerEvent event(qtimer->timerId());
    QCoreApplication::sendEvent(qtimer, &event);
}

TEST(FormsElements, TimerTicksOnlyWhileEnabledWithAnIntervalOnALoadedWindow) {
    ElementsForm form;
    int ticks = 0;
    form.Ticker.onTimer = [&] { ++ticks; };
    form.Ticker.setInterval(20);
    EXPECT_TRUE(form.Ticker.Enabled());
    EXPECT_FALSE(forms::timerOf(form.Ticker)->isActive());  // not loaded yet

    form.Load();
    ASSERT_TRUE(forms::timerOf(form.Ticker)->isActive());
    EXPECT_EQ(forms::timerOf(form.Ticker)->interval(), 20);
    tick(form.Ticker);
    tick(form.Ticker);
    tick(form.Ticker);
    EXPECT_EQ(ticks, 3);

    form.Ticker.setEnabled(false);
    EXPECT_FALSE(forms::timerOf(form.Ticker)->isActive());
    form.Ticker.setEnabled(true);
    EXPECT_TRUE(forms::timerOf(form.Ticker)->isActive());
    form.Ticker.setInterval(0);
    EXPECT_FALSE(forms::timerOf(form.Ticker)->isActive());
    form.Ticker.setInterval(1000);
    form.Unload();
    EXPECT_FALSE(forms::timerOf(form.Ticker)->isActive());
    EXPECT_EQ(ticks, 3);
}

TEST(FormsElements, PictureBoxContainsItsElements) {
    ElementsForm form;
    form.Show();
    EXPECT_EQ(forms::widgetOf(form.Picture)->parentWidget(), forms::widgetOf(form.Box));
    form.Box.setVisible(false);
    EXPECT_TRUE(form.Picture.Visible());
    EXPECT_FALSE(forms::widgetOf(form.Picture)->isVisible());

    const std::vector<forms::Control*> order = form.Controls();
    ASSERT_EQ(order.size(), 6u);
    EXPECT_EQ(order[0], &form.Box);
    EXPECT_EQ(order[1], &form.Picture);
    EXPECT_EQ(order[5], &form.Ticker);
}

TEST(FormsElements, ControlArrayAddressesByIndex) {
    ElementsForm form;
    forms::ControlArray<forms::Image> buttons;
    buttons.Load(101, form.Box).setTag("a");
    buttons.Load(1, form.Box).setTag("b");
    EXPECT_EQ(&buttons.Load(101, form.Box), &buttons[101]);
    EXPECT_EQ(buttons[101].Tag(), "a");
    EXPECT_EQ(buttons.Count(), 2);
    EXPECT_EQ(buttons.LBound(), 1);
    EXPECT_EQ(buttons.UBound(), 101);
    EXPECT_THROW(buttons[2], std::out_of_range);
    std::vector<int> indexes;
    buttons.forEach([&](int index, forms::Image&) { indexes.push_back(index); });
    EXPECT_EQ(indexes, (std::vector<int>{1, 101}));
}

}  // namespace
