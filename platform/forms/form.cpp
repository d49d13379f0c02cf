#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "forms_qt.h"
#include "runtime.h"
#include "waits.h"
#include "x11_window_manager.h"

namespace forms {
namespace {

gdi::WindowHandle nextHandle() {
    static gdi::WindowHandle last = 0x10000;
    return last += 4;
}

// The key code of a character key, or 0 for a key that is none.
int keyAscii(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Escape: return 27;
        case Qt::Key_Return:
        case Qt::Key_Enter: return 13;
        case Qt::Key_Backspace: return 8;
        case Qt::Key_Tab: return 9;
        default: break;
    }
    const QString text = event.text();
    if (text.isEmpty() || text.at(0).unicode() > 255 || text.at(0).unicode() == 0) return 0;
    return text.at(0).unicode();
}

// The window itself: borderless, its background picture from the top-left
// corner; it also sees its elements' keys first while key preview is on.
class FormWidget : public QWidget {
public:
    explicit FormWidget(Form::Impl& form) : QWidget(nullptr, Qt::FramelessWindowHint), m_form(form) {
        setAttribute(Qt::WA_DeleteOnClose, false);
    }
    QImage background;
    QColor backColor;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (backColor.isValid()) painter.fillRect(rect(), backColor);
        if (!background.isNull()) painter.drawImage(0, 0, background);
    }
    void mousePressEvent(QMouseEvent* event) override {
        m_form.mouseDown(mouseEventFrom(event->button(), event->modifiers(), event->position()));
    }
    // The second press of a double-click raises the double-click alone.
    void mouseDoubleClickEvent(QMouseEvent*) override { m_form.doubleClicked(); }
    void resizeEvent(QResizeEvent*) override { m_form.resized(); }
    void showEvent(QShowEvent* event) override {
        x11::beforeShowing(*this);
        takeFocusWhenShown(*this, *event);
    }
    void changeEvent(QEvent* event) override {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::WindowStateChange) m_form.resized();
    }
    void closeEvent(QCloseEvent* event) override {
        if (!m_form.closeRequested()) event->ignore();
    }
    // Keys reach the window itself only while none of its elements has the
    // focus; an element's unused key that comes up here was previewed already.
    void keyPressEvent(QKeyEvent* event) override {
        const QWidget* focused = focusWidget();
        if (focused && focused != this) return;
        int code = keyAscii(*event);
        if (code != 0) m_form.keyPress(code);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !m_form.keyPreview || watched == this) return false;
        int code = keyAscii(*static_cast<QKeyEvent*>(event));
        return code != 0 && !m_form.keyPress(code);
    }

private:
    Form::Impl& m_form;
};

FormWidget* formWidget(const Form::Impl& impl) { return static_cast<FormWidget*>(impl.window.data()); }

}  // namespace

void Form::Impl::makeWindow() {
    placedPixels = QPoint(-1, -1);
    window = new FormWidget(*this);
    backColor = systemColor(15);
    keyPreview = false;
    picture = {};
}

void Form::Impl::updateTimers() {
    for (Control* control : controls) {
        Control::Impl& element = control->impl();
        if (!element.timer) continue;
        const bool run = loaded && element.timerEnabled && element.interval > 0;
        if (!run) {
            element.timer->stop();
        } else if (!element.timer->isActive() || element.timer->interval() != element.interval) {
            element.timer->start(element.interval);
        }
    }
}

void Form::Impl::mouseDown(const MouseEvent& event) {
    HandlerScope scope;
    owner->Form_MouseDown(event);
}

void Form::Impl::doubleClicked() {
    HandlerScope scope;
    owner->Form_DblClick();
}

void Form::Impl::resized() {
    if (!loaded) return;
    HandlerScope scope;
    owner->Form_Resize();
}

bool Form::Impl::keyPress(int& code) {
    HandlerScope scope;
    owner->Form_KeyPress(code);
    return code != 0;
}

bool Form::Impl::closeRequested() {
    owner->Unload();
    return !loaded;
}

Form::Form() : d(std::make_unique<Impl>()) {
    startRuntime();
    d->owner = this;
    d->handle = nextHandle();
    d->makeWindow();
    registerForm(*this);
}

Form::~Form() {
    unregisterForm(*this);
    for (QPointer<QWidget>& window : d->retired) delete window.data();
    delete d->window.data();
}

void Form::Load() {
    if (d->loaded) return;
    if (d->stale) {
        // Code of the old window may still run: its widgets are freed later.
        d->retired.push_back(d->window);
        d->makeWindow();
        for (Control* control : d->controls) control->recreate();
        d->stale = false;
        design();
    }
    // The program starts again, or for the first time: waits may run.
    if (!anyFormLoaded()) AllowWaits();
    d->loaded = true;
    d->updateTimers();
    HandlerScope scope;
    Form_Load();
}

void Form::Unload() {
    if (!d->loaded) return;
    int cancel = 0;
    {
        HandlerScope scope;
        Form_Unload(cancel);
    }
    if (cancel != 0 || !d->loaded) return;
    d->loaded = false;
    d->stale = true;
    d->updateTimers();
    if (d->window) d->window->hide();
    if (anyFormLoaded()) return;
    // The program ends: every wait gives up, so that handlers still running
    // return without starting anything, and Run() returns.
    EndWaits();
    QCoreApplication::quit();  // only ends a running Run()
}

bool Form::Loaded() const { return d->loaded; }

// A window that was minimised and then hidden comes back normal: shown as
// it is, the window manager would keep it minimised.
void Form::Show() {
    Load();
    if (!d->loaded || !d->window) return;
    if (d->window->isHidden() && d->window->isMinimized()) {
        d->window->setWindowState(d->window->windowState() & ~Qt::WindowMinimized);
    }
    d->window->show();
}

void Form::Hide() {
    if (d->window) d->window->hide();
}

bool Form::Visible() const { return d->window && d->window->isVisible(); }

void Form::ZOrder() {
    if (!d->window) return;
    d->window->raise();
    d->window->activateWindow();
}

QPointF Form::Impl::positionTwips() const {
    if (!window) return {};
    if (window->pos() == placedPixels) return placedTwips;
    return QPointF(window->x() * twipsPerPixel, window->y() * twipsPerPixel);
}

float Form::Left() const { return static_cast<float>(d->positionTwips().x()); }
float Form::Top() const { return static_cast<float>(d->positionTwips().y()); }
void Form::setLeft(float twips) { Move(twips, Top()); }
void Form::setTop(float twips) { Move(Left(), twips); }

void Form::Move(float left, float top) {
    if (!d->window) return;
    d->window->move(static_cast<int>(std::lround(left / twipsPerPixel)),
                    static_cast<int>(std::lround(top / twipsPerPixel)));
    d->placedTwips = QPointF(left, top);
    d->placedPixels = d->window->pos();
}

float Form::Width() const { return ScaleWidth() * twipsPerPixel; }
float Form::Height() const { return ScaleHeight() * twipsPerPixel; }
void Form::setWidth(float twips) {
    if (d->window) setClientSize(static_cast<int>(std::lround(twips / twipsPerPixel)), d->window->height());
}
void Form::setHeight(float twips) {
    if (d->window) setClientSize(d->window->width(), static_cast<int>(std::lround(twips / twipsPerPixel)));
}

float Form::ScaleWidth() const { return d->window ? static_cast<float>(d->window->width()) : 0; }
float Form::ScaleHeight() const { return d->window ? static_cast<float>(d->window->height()) : 0; }
void Form::setClientSize(int width, int height) {
    if (d->window) d->window->resize(std::max(width, 1), std::max(height, 1));
}

std::string Form::Caption() const { return d->window ? d->window->windowTitle().toStdString() : std::string(); }
void Form::setCaption(std::string_view caption) {
    if (d->window) d->window->setWindowTitle(qtext(caption));
}

const gdi::Picture& Form::Picture() const { return d->picture; }
void Form::setPicture(const gdi::Picture& picture) {
    d->picture = picture.clone();
    if (FormWidget* window = formWidget(*d)) {
        window->background = toImage(d->picture);
        window->update();
    }
}

void Form::setIcon(const gdi::Picture& icon) {
    if (d->window) d->window->setWindowIcon(QIcon(QPixmap::fromImage(toImage(icon))));
}

int Form::WindowState() const {
    if (!d->window) return vbNormal;
    if (d->window->isMinimized()) return vbMinimized;
    return d->window->isMaximized() ? vbMaximized : vbNormal;
}

void Form::setWindowState(int state) {
    if (!d->window) return;
    const Qt::WindowStates kept = d->window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    switch (state) {
        case vbMinimized: d->window->setWindowState(kept | Qt::WindowMinimized); break;
        case vbMaximized: d->window->setWindowState(kept | Qt::WindowMaximized); break;
        default: d->window->setWindowState(kept); break;
    }
}

Color Form::BackColor() const { return d->backColor; }
void Form::setBackColor(Color color) {
    d->backColor = color;
    if (FormWidget* window = formWidget(*d)) {
        window->backColor = color & 0x80000000u ? QColor() : QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
        window->update();
    }
}

void Form::setShowInTaskbar(bool show) {
    if (d->window) d->window->setWindowFlag(Qt::Tool, !show);
}

std::vector<Control*> Form::Controls() const { return d->controls; }

bool Form::KeyPreview() const { return d->keyPreview; }
void Form::setKeyPreview(bool on) { d->keyPreview = on; }

gdi::WindowHandle Form::hWnd() const { return d->handle; }

}  // namespace forms
