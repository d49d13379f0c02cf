// The Qt side of the forms runtime: what the runtime's own units share, and
// the widgets behind elements and windows for tests and window services.
// Not for program code: it brings in Qt.
#pragma once

#include <QImage>
#include <QShowEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control.h"
#include "elements.h"
#include "form.h"

namespace forms {

constexpr Color systemColor(int index) { return 0x80000000u | static_cast<Color>(index); }

// The window system the runtime starts on, as chooseDisplay() picked it;
// empty leaves the choice to Qt (QT_QPA_PLATFORM or its default). It is
// handed to Qt as an argument: writing the environment would race with the
// threads that already read it.
void setWindowSystem(std::string name);

// A window the program shows takes the keyboard focus, with or without a
// window manager (one that maps a window without a taskbar button as a
// utility window gives it none). The window system's own shows, such as the
// one that comes with minimising, activate nothing. Called from showEvent.
void takeFocusWhenShown(QWidget& window, const QShowEvent& event);

struct Control::Impl {
    using Factory = std::function<QWidget*(QWidget* parent, Impl& fresh)>;
    Impl(Place where, Factory factory) : place(where), make(std::move(factory)) {}

    Place place;
    Factory make;  // nullptr widget for an element without one (timer)
    QPointer<QWidget> widget;
    std::string tag;
    std::string toolTip;
    gdi::Picture picture;
    QImage image;  // the picture as Qt draws it
    Color backColor = systemColor(15);
    Color foreColor = systemColor(18);
    int backStyle = vbOpaque;
    int alignment = vbLeftJustify;
    std::unique_ptr<QTimer> timer;
    int interval = 0;
    bool timerEnabled = true;
};

struct Form::Impl {
    Form* owner = nullptr;
    gdi::WindowHandle handle = 0;
    QPointer<QWidget> window;
    std::vector<QPointer<QWidget>> retired;  // replaced windows, freed when no handler runs
    std::vector<Control*> controls;          // in the order they were made
    gdi::Picture picture;
    Color backColor = systemColor(15);
    bool loaded = false;
    bool stale = false;  // unloaded: the next load starts afresh
    bool keyPreview = false;
    // The position last set in twips and the pixel position it gave: while
    // the window stays there, the twips are reported back unrounded.
    QPointF placedTwips;
    QPoint placedPixels{-1, -1};

    void makeWindow();
    QPointF positionTwips() const;
    void updateTimers();
    // Entry points for the window widget's events.
    void mouseDown(const MouseEvent& event);
    void resized();
    void doubleClicked();
    bool keyPress(int& keyAscii);  // false: the key is eaten
    bool closeRequested();         // false: unload was cancelled
};

// Event handlers of program code run inside a HandlerScope; windows replaced
// while any handler runs are freed only when the last one has returned.
class HandlerScope {
public:
    HandlerScope();
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;
};

// Runs a copy of an event handler, so that the handler may replace itself.
template <class F, class... Args>
void fire(const F& handler, Args&&... args) {
    if (!handler) return;
    const F copy = handler;
    HandlerScope scope;
    copy(std::forward<Args>(args)...);
}

void registerForm(Form& form);
void unregisterForm(Form& form);
void freeRetiredWindows();
bool anyFormLoaded();

QImage toImage(const gdi::Picture& picture);
QString qtext(std::string_view text);
// Gives the widget the element's colours (and, for a label, its back style).
void applyColors(const Control::Impl& impl);
// The one button that was pressed or let go (1 left, 2 right, 4 middle), never
// the others held with it.
MouseEvent mouseEventFrom(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPointF position);
int shiftBits(Qt::KeyboardModifiers modifiers);

inline QWidget* widgetOf(const Control& control) { return control.impl().widget; }
inline QWidget* widgetOf(const Form& form) { return form.impl().window; }
inline QTimer* timerOf(const Timer& timer) { return timer.impl().timer.get(); }

}  // namespace forms
