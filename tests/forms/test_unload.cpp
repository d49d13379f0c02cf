#include <gtest/gtest.h>

#include <QListWidget>
#include <QPointer>
#include <QTimer>

#include "forms_test_support.h"

namespace {

using formstest::press;

// A list window that unloads and reloads itself from its own double-click,
// as the program's sound list does.
class ListWindow : public forms::Form {
public:
    ListWindow() { design(); }

    forms::ListBox Rows{*this};
    forms::Label Title{*this};
    forms::Timer Fade{*this};
    int loads = 0;
    int unloads = 0;
    int cancelUnload = 0;
    std::function<void()> duringDoubleClick;

private:
    void design() override {
        setClientSize(293, 335);
        Rows.Move(13, 48, 270, 275);
        Rows.onDblClick = [this] { if (duringDoubleClick) duringDoubleClick(); };
        Fade.setInterval(20);
        Fade.setEnabled(false);
    }
    void Form_Load() override {
        ++loads;
        Rows.AddItem("one");
        Rows.AddItem("two");
    }
    void Form_Unload(int& Cancel) override {
        ++unloads;
        Cancel = cancelUnload;
    }
};

void doubleClickRow(QListWidget* list, int row) {
    const QPoint at = list->visualItemRect(list->item(row)).center();
    press(list->viewport(), at, Qt::LeftButton, Qt::LeftButton);
    formstest::release(list->viewport(), at, Qt::LeftButton);
    press(list->viewport(), at, Qt::LeftButton, Qt::LeftButton, {}, QEvent::MouseButtonDblClick);
}

void freeDeferred() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

TEST(FormsUnload, UnloadAndReloadInsideOwnHandlerFreesNothingInUse) {
    ListWindow window;
    window.Show();
    QPointer<QWidget> oldWindow = forms::widgetOf(window);
    QPointer<QWidget> oldList = forms::widgetOf(window.Rows);
    window.Rows.setTag("old");
    window.Title.setCaption("before");
    window.Fade.setEnabled(true);

    std::vector<std::string> seen;
    window.duringDoubleClick = [&] {
        window.Unload();
        EXPECT_FALSE(window.Loaded());
        EXPECT_FALSE(forms::timerOf(window.Fade)->isActive());  // a running fade stops
        seen.push_back(window.Rows.List(window.Rows.ListIndex()));  // still readable
        window.Show();  // loads afresh while the old list's event is still running
        EXPECT_TRUE(oldList);
        EXPECT_TRUE(oldWindow);
        seen.push_back(std::to_string(window.Rows.ListCount()));
        seen.push_back(window.Rows.Tag());
        seen.push_back(window.Title.Caption());
        window.Rows.AddItem("three");
    };
    doubleClickRow(qobject_cast<QListWidget*>(oldList.data()), 1);

    EXPECT_EQ(seen, (std::vector<std::string>{"two", "2", "", ""}));
    EXPECT_EQ(window.loads, 2);
    EXPECT_EQ(window.unloads, 1);
    EXPECT_TRUE(window.Loaded());
    EXPECT_TRUE(window.Visible());
    EXPECT_EQ(window.Rows.ListCount(), 3);
    EXPECT_FALSE(window.Fade.Enabled());  // as designed again
    EXPECT_NE(forms::widgetOf(window.Rows), oldList.data());

    freeDeferred();
    EXPECT_FALSE(oldList);
    EXPECT_FALSE(oldWindow);
}

TEST(FormsUnload, WindowReplacedDuringAWaitLivesUntilTheOuterHandlerEnds) {
    ListWindow window;
    window.Show();
    QPointer<QWidget> oldList = forms::widgetOf(window.Rows);
    bool stillThereAfterWait = false;
    window.duringDoubleClick = [&] {
        bool reloaded = false;
        QTimer::singleShot(0, [&] {
            window.Unload();
            window.Show();
            reloaded = true;
        });
        while (!reloaded) forms::DoEvents();  // a wait that lets other events run
        freeDeferred();
        stillThereAfterWait = !oldList.isNull();
        window.Rows.setListIndex(0);
    };
    doubleClickRow(qobject_cast<QListWidget*>(oldList.data()), 0);
    EXPECT_TRUE(stillThereAfterWait);
    EXPECT_EQ(window.loads, 2);
    EXPECT_EQ(window.Rows.ListIndex(), 0);
    freeDeferred();
    EXPECT_FALSE(oldList);
}

TEST(FormsUnload, CancelledUnloadKeepsTheWindowAndUnloadWithoutReloadKeepsElements) {
    ListWindow window;
    window.Show();
    window.cancelUnload = 1;
    window.Unload();
    EXPECT_TRUE(window.Loaded());
    EXPECT_TRUE(window.Visible());

    window.cancelUnload = 0;
    window.Unload();
    EXPECT_FALSE(window.Loaded());
    EXPECT_FALSE(window.Visible());
    EXPECT_EQ(window.Rows.ListCount(), 2);
    window.Unload();  // an unloaded window is not unloaded again
    EXPECT_EQ(window.unloads, 2);

    // Closing by the window system unloads too.
    window.Show();
    forms::widgetOf(window)->close();
    EXPECT_FALSE(window.Loaded());
    EXPECT_EQ(window.unloads, 3);
}

}  // namespace
