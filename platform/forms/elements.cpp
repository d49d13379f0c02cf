#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <utility>

#include "forms_qt.h"

namespace forms {
namespace {

// Hands the mouse to the element's handlers after the widget's own handling;
// the element keeps the press, so it never reaches the window behind it. A
// release of the left button over the element is also a click. The second
// press of a double-click raises the double-click event alone: no mouse-down,
// and its release clicks no second time.
template <class Base>
class Pointer : public Base {
public:
    template <class... Args>
    explicit Pointer(Control& owner, Args&&... args) : Base(std::forward<Args>(args)...), m_owner(owner) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        Base::mousePressEvent(event);
        event->accept();
        // Qt widgets hand a double-click on to their own press handling.
        if (m_inDoubleClick) return;
        fire(m_owner.onMouseDown, mouseEventFrom(event->button(), event->modifiers(), event->position()));
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        Base::mouseReleaseEvent(event);
        event->accept();
        const bool inside = this->rect().contains(event->position().toPoint());
        const bool endsDoubleClick = std::exchange(m_releaseEndsDoubleClick, false);
        fire(m_owner.onMouseUp, mouseEventFrom(event->button(), event->modifiers(), event->position()));
        if (event->button() == Qt::LeftButton && inside && !endsDoubleClick) fire(m_owner.onClick);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        m_inDoubleClick = true;
        Base::mouseDoubleClickEvent(event);
        m_inDoubleClick = false;
        m_releaseEndsDoubleClick = true;
        event->accept();
        fire(m_owner.onDblClick);
    }

private:
    Control& m_owner;
    bool m_inDoubleClick = false;
    bool m_releaseEndsDoubleClick = false;
};

// A text box pastes nothing from an empty selection or clipboard: Qt 6.4
// reads the first format of data that has none and crashes.
class TextEdit : public Pointer<QPlainTextEdit> {
public:
    using Pointer::Pointer;

protected:
    void insertFromMimeData(const QMimeData* source) override {
        if (source && !source->formats().isEmpty()) QPlainTextEdit::insertFromMimeData(source);
    }
};

// Draws a picture from the top-left corner, or stretched over the element.
class PictureWidget : public Pointer<QWidget> {
public:
    using Pointer::Pointer;
    QImage image;
    bool stretch = false;

protected:
    void paintEvent(QPaintEvent*) override {
        if (image.isNull()) return;
        QPainter painter(this);
        if (stretch) {
            painter.drawImage(rect(), image);
        } else {
            painter.drawImage(0, 0, image);
        }
    }
};

// The path of a local file as the file's own bytes. A name that is no UTF-8
// (Latin-1 from an old disk) stays percent-encoded in the URL; as a QString
// it would lose those bytes. A host is kept as toLocalFile keeps it.
std::string localFileBytes(const QUrl& url) {
    QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    const QString host = url.host(QUrl::FullyEncoded);
    if (!host.isEmpty()) path.prepend((QStringLiteral("//") + host + (path.startsWith('/') ? "" : "/")).toUtf8());
    return path.toStdString();
}

Qt::MouseButton firstButton(Qt::MouseButtons buttons) {
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (buttons & button) return button;
    }
    return Qt::NoButton;
}

class ImageWidget : public PictureWidget {
public:
    ImageWidget(Image& owner, QWidget* parent) : PictureWidget(owner, parent), m_image(owner) { setAcceptDrops(true); }

protected:
    // Every drop is offered to the program, which judges the data itself.
    void dragEnterEvent(QDragEnterEvent* event) override { event->acceptProposedAction(); }
    void dragMoveEvent(QDragMoveEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override {
        std::vector<std::string> files;
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) files.push_back(localFileBytes(url));
        }
        event->acceptProposedAction();
        fire(m_image.onDragDrop, DataObject(std::move(files)),
             mouseEventFrom(firstButton(event->buttons()), event->modifiers(), event->position()));
    }

private:
    Image& m_image;
};

template <class W>
W* as(const Control::Impl& impl) {
    return static_cast<W*>(impl.widget.data());
}

void storePicture(Control::Impl& impl, const gdi::Picture& picture) {
    impl.picture = picture.clone();
    auto* widget = as<PictureWidget>(impl);
    if (!widget) return;
    widget->image = toImage(impl.picture);
    widget->update();
}

void applyAlignment(const Control::Impl& impl) {
    auto* label = as<QLabel>(impl);
    if (!label) return;
    const Qt::Alignment horizontal = impl.alignment == vbRightJustify ? Qt::AlignRight
                                     : impl.alignment == vbCenter     ? Qt::AlignHCenter
                                                                      : Qt::AlignLeft;
    label->setAlignment(horizontal | Qt::AlignTop);
}

// Text elements start in the window colours, the rest in the button colours.
void windowColors(Control::Impl& impl) {
    impl.backColor = systemColor(5);
    impl.foreColor = systemColor(8);
}

}  // namespace

// --- Label ---

Label::Label(Place place)
    : Control(std::make_unique<Impl>(place, [this](QWidget* parent, Impl&) {
          auto* label = new Pointer<QLabel>(*this, parent);
          label->setWordWrap(true);
          label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
          // Captions are titles of sounds too: never read them as markup.
          label->setTextFormat(Qt::PlainText);
          return label;
      })) {}

std::string Label::Caption() const {
    auto* label = as<QLabel>(impl());
    return label ? label->text().toStdString() : std::string();
}
void Label::setCaption(std::string_view caption) {
    if (auto* label = as<QLabel>(impl())) label->setText(qtext(caption));
}
int Label::BackStyle() const { return impl().backStyle; }
void Label::setBackStyle(int style) {
    impl().backStyle = style == vbTransparent ? vbTransparent : vbOpaque;
    applyColors(impl());
}
int Label::Alignment() const { return impl().alignment; }
void Label::setAlignment(int alignment) {
    impl().alignment = alignment;
    applyAlignment(impl());
}

// --- Image ---

Image::Image(Place place)
    : Control(std::make_unique<Impl>(place, [this](QWidget* parent, Impl&) { return new ImageWidget(*this, parent); })) {}

const gdi::Picture& Image::Picture() const { return impl().picture; }
void Image::setPicture(const gdi::Picture& picture) { storePicture(impl(), picture); }
bool Image::Stretch() const {
    auto* widget = as<PictureWidget>(impl());
    return widget && widget->stretch;
}
void Image::setStretch(bool stretch) {
    if (auto* widget = as<PictureWidget>(impl())) {
        widget->stretch = stretch;
        widget->update();
    }
}

// --- PictureBox ---

PictureBox::PictureBox(Place place)
    : Control(std::make_unique<Impl>(place, [this](QWidget* parent, Impl&) {
          auto* widget = new PictureWidget(*this, parent);
          widget->setAutoFillBackground(true);
          return widget;
      })) {}

const gdi::Picture& PictureBox::Picture() const { return impl().picture; }
void PictureBox::setPicture(const gdi::Picture& picture) { storePicture(impl(), picture); }

// --- ListBox ---

ListBox::ListBox(Place place)
    : Control(std::make_unique<Impl>(place, [this](QWidget* parent, Impl& fresh) {
          windowColors(fresh);
          return new Pointer<QListWidget>(*this, parent);
      })) {}

void ListBox::Clear() {
    if (auto* list = as<QListWidget>(impl())) list->clear();
}
void ListBox::AddItem(std::string_view item, int index) {
    auto* list = as<QListWidget>(impl());
    if (!list) return;
    const int row = index < 0 || index > list->count() ? list->count() : index;
    list->insertItem(row, qtext(item));
}
int ListBox::ListCount() const {
    auto* list = as<QListWidget>(impl());
    return list ? list->count() : 0;
}
std::string ListBox::List(int index) const {
    auto* list = as<QListWidget>(impl());
    const QListWidgetItem* item = list ? list->item(index) : nullptr;
    return item ? item->text().toStdString() : std::string();
}
int ListBox::ListIndex() const {
    auto* list = as<QListWidget>(impl());
    return list ? list->currentRow() : -1;
}
void ListBox::setListIndex(int index) {
    if (auto* list = as<QListWidget>(impl())) list->setCurrentRow(index);
}

// --- TextBox ---

TextBox::TextBox(Place place)
    : Control(std::make_unique<Impl>(place, [this](QWidget* parent, Impl& fresh) {
          windowColors(fresh);
          auto* edit = new TextEdit(*this, parent);
          edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
          edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
          edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
          return edit;
      })) {}

// The program's texts break lines with CR LF; the editor keeps LF alone.
std::string TextBox::Text() const {
    auto* edit = as<QPlainTextEdit>(impl());
    return edit ? edit->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString() : "";
}
void TextBox::setText(std::string_view text) {
    if (auto* edit = as<QPlainTextEdit>(impl())) edit->setPlainText(qtext(text).replace(QStringLiteral("\r\n"), "\n"));
}

// --- CommandButton ---

CommandButton::CommandButton(Place place)
    : Control(std::make_unique<Impl>(place, [this](QWidget* parent, Impl&) {
          auto* button = new QPushButton(parent);
          QObject::connect(button, &QPushButton::clicked, button, [this] { fire(onClick); });
          return button;
      })) {}

std::string CommandButton::Caption() const {
    auto* button = as<QPushButton>(impl());
    return button ? button->text().toStdString() : std::string();
}
void CommandButton::setCaption(std::string_view caption) {
    if (auto* button = as<QPushButton>(impl())) button->setText(qtext(caption));
}
void CommandButton::SetFocus() {
    if (impl().widget) impl().widget->setFocus();
}

// --- Timer ---

Timer::Timer(Place place)
    : Control(std::make_unique<Impl>(place, [this](QWidget*, Impl& fresh) -> QWidget* {
          fresh.timer = std::make_unique<QTimer>();
          QObject::connect(fresh.timer.get(), &QTimer::timeout, fresh.timer.get(), [this] { fire(onTimer); });
          return nullptr;
      })) {}

int Timer::Interval() const { return impl().interval; }
void Timer::setInterval(int milliseconds) {
    impl().interval = std::max(milliseconds, 0);
    parentForm().impl().updateTimers();
}
bool Timer::Enabled() const { return impl().timerEnabled; }
void Timer::setEnabled(bool enabled) {
    impl().timerEnabled = enabled;
    parentForm().impl().updateTimers();
}

}  // namespace forms
