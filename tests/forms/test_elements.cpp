#include <gtest/gtest.h>

#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimerEvent>
#include <QUrl>
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
    EXPECT_EQ(downs[1].Button, 3);
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
