// Shared by the tests of the title bar and the sound-list window: the main
// window with the real sound-list window behind its hooks, and mouse events
// sent to any element or to the list's rows.
#pragma once

#include <QListWidget>

#include "Form2.h"
#include "soundboard_test_support.h"

namespace sbtest {

inline void sendMouseTo(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton which, Qt::MouseButtons held,
                        Qt::KeyboardModifiers keys) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), which, held, keys);
    QCoreApplication::sendEvent(widget, &event);
}

// A press and a release of one button over the element's top-left corner.
inline void clickOn(forms::Control& element, Qt::MouseButton which = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    QWidget* widget = forms::widgetOf(element);
    sendMouseTo(widget, QEvent::MouseButtonPress, {2, 2}, which, which, keys);
    sendMouseTo(widget, QEvent::MouseButtonRelease, {2, 2}, which, Qt::NoButton, keys);
}

inline QListWidget* listWidget() { return static_cast<QListWidget*>(forms::widgetOf(Form2::instance().LstSounds)); }

// A double-click on a row as the window system sends it: press, release,
// then the second press as a double-click, and its release.
inline void doubleClickRow(int row, Qt::KeyboardModifiers keys = {}) {
    QListWidget* list = listWidget();
    QWidget* viewport = list->viewport();
    const QPoint at = list->visualItemRect(list->item(row)).center();
    sendMouseTo(viewport, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, keys);
    sendMouseTo(viewport, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, keys);
    sendMouseTo(viewport, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton, keys);
    sendMouseTo(viewport, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton, keys);
}

class SoundListTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        frmTest::links.showSoundList = [] { Form2::instance().Show(); };
        frmTest::links.unloadSoundList = [] { Form2::instance().Close(); };
    }

    void TearDown() override {
        if (Form2::instance().Loaded()) Form2::instance().Close();
        if (form) {
            Zpm.iMaschineMode = 1;
            form->set_maschine();
            form->Move(10, 10);
        }
        frmTest::links.showSoundList = nullptr;
        frmTest::onTop = {};
        frmTest::links.showHelpWindow = nullptr;
        MainWindowTest::TearDown();
    }

    static Form2& list() { return Form2::instance(); }
    void openList() { clickOn(form->lblSndLst); }
    static std::string row(int i) { return list().LstSounds.List(i); }
};

}  // namespace sbtest
