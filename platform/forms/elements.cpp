#include <QApplication>
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

#include "forms_qt.h"

namespace forms {
namespace {

QString qtext(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

// Colours with the high bit set are system colours: the palette's own.
constexpr Color systemButtonFace = 0x8000000F;
constexpr Color systemButtonText = 0x80000012;
bool isSystemColor(Color color) { return (color & 0x80000000u) != 0; }
QColor qcolor(Color color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

// Hands presses and releases of the mouse to the element's handlers; a
// release of the left button over the element is also a click.
template <class Base>
class Pointer : public Base {
public:
    template <class... Args>
    explicit Pointer(Control& owner, Args&&... args) : Base(std::forward<Args>(args)...), m_owner(owner) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        fire(m_owner.onMouseDown, mouseEventFrom(event->button(), event->modifiers(), event->position()));
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const bool inside = this->rect().contains(event->position().toPoint());
        fire(m_owner.onMouseUp, mouseEventFrom(event->button(), event->modifiers(), event->position()));
        if (event->button() == Qt::LeftButton && inside) fire(m_owner.onClick);
    }

private:
    Control& m_owner;
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

class ImageWidget : public PictureWidget {
public:
    ImageWidget(Image& owner, QWidget* parent) : PictureWidget(owner, parent), m_image(owner) { setAcceptDrops(true); }

protected:
    // Every drop is offered to the program, which judges the data itself.
    void dragEnterEvent(QDragEnterEvent* event) override { event->acceptProposedAction(); }
    void dragMoveEvent(QDragMoveEvent* event) override { event->acceptProposedAction(); }
    void dropEvent(QDropEvent* event) override {
        std::vector<std::string> files;
        if (event->mimeData()->hasUrls()) {
            for (const QUrl& url : event->mimeData()->urls()) {
                if (url.isLocalFile()) files.push_back(url.toLocalFile().toStdString());
            }
        }
        event->acceptProposedAction();
        const Qt::MouseButton button = event->buttons() & Qt::RightButton    ? Qt::RightButton
                                       : event->buttons() & Qt::MiddleButton ? Qt::MiddleButton
                                       : event->buttons() & Qt::LeftButton   ? Qt::LeftButton
                                                                             : Qt::NoButton;
        fire(m_image.onDragDrop, DataObject(std::move(files)),
             mouseEventFrom(button, event->modifiers(), event->position()));
    }

private:
    Image& m_image;
};

class LabelWidget : public Pointer<QLabel> {
public:
    LabelWidget(Control& owner, QWidget* parent) : Pointer(owner, parent) {
        setWordWrap(true);
        applyAlignment(vbLeftJustify);
        applyColors();
    }
    int backStyle = vbOpaque;
    Color backColor = systemButtonFace;
    Color foreColor = systemButtonText;
    int alignment = vbLeftJustify;

    void applyColors() {
        QPalette colors = QApplication::palette(this);
        if (!isSystemColor(backColor)) colors.setColor(QPalette::Window, qcolor(backColor));
        if (!isSystemColor(foreColor)) colors.setColor(QPalette::WindowText, qcolor(foreColor));
        setPalette(colors);
        setAutoFillBackground(backStyle == vbOpaque);
        setAttribute(Qt::WA_TranslucentBackground, backStyle != vbOpaque);
        update();
    }
    void applyAlignment(int value) {
        alignment = value;
        const Qt::Alignment horizontal = value == vbRightJustify ? Qt::AlignRight
                                         : value == vbCenter     ? Qt::AlignHCenter
                                                                 : Qt::AlignLeft;
        setAlignment(horizontal | Qt::AlignTop);
    }
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

// Mapped to the installed sans-serif and monospace fonts where missing.
QFont fontNamed(const QFont& base, std::string_view name) {
    QFont font = base;
    font.setFamily(qtext(name));
    const bool mono = qtext(name).contains(QStringLiteral("courier"), Qt::CaseInsensitive);
    font.setStyleHint(mono ? QFont::Monospace : QFont::SansSerif);
    return font;
}

}  // namespace

// --- Label ---

Label::Label(Place place)
    : Control(std::make_unique<Impl>(place, [this](QWidget* parent, Impl&) { return new LabelWidget(*this, parent); })) {}

std::string Label::Caption() const {
    auto* w = as<LabelWidget>(impl());
    return w ? w->text().toStdString() : std::string();
}
void Label::setCaption(std::string_view caption) {
    if (auto* w = as<LabelWidget>(impl())) w->setText(qtext(caption));
}
int Label::BackStyle() const {
    auto* w = as<LabelWidget>(impl());
    return w ? w->backStyle : vbOpaque;
}
void Label::setBackStyle(int style) {
    if (auto* w = as<LabelWidget>(impl())) {
        w->backStyle = style == vbTransparent ? vbTransparent : vbOpaque;
        w->applyColors();
    }
}
Color Label::BackColor() const {
    auto* w = as<LabelWidget>(impl());
    return w ? w->backColor : systemButtonFace;
}
void Label::setBackColor(Color color) {
    if (auto* w = as<LabelWidget>(impl())) {
        w->backColor = color;
        w->applyColors();
    }
}
Color Label::ForeColor() const {
    auto* w = as<LabelWidget>(impl());
    return w ? w->foreColor : systemButtonText;
}
void Label::setForeColor(Color color) {
    if (auto* w = as<LabelWidget>(impl())) {
        w->foreColor = color;
        w->applyColors();
    }
}
int Label::Alignment() const {
    auto* w = as<LabelWidget>(impl());
    return w ? w->alignment : vbLeftJustify;
}
void Label::setAlignment(int alignment) {
    if (auto* w = as<LabelWidget>(impl())) w->applyAlignment(alignment);
}
std::string Label::FontName() const { return impl().widget ? impl().widget->font().family().toStdString() : ""; }
void Label::setFontName(std::string_view name) {
    if (impl().widget) impl().widget->setFont(fontNamed(impl().widget->font(), name));
}
float Label::FontSize() const { return impl().widget ? static_cast<float>(impl().widget->font().pointSizeF()) : 0; }
void Label::setFontSize(float points) {
    if (!impl().widget || points <= 0) return;
    QFont font = impl().widget->font();
    font.setPointSizeF(points);
    impl().widget->setFont(font);
}
bool Label::FontBold() const { return impl().widget && impl().widget->font().bold(); }
void Label::setFontBold(bool bold) {
    if (!impl().widget) return;
    QFont font = impl().widget->font();
    font.setBold(bold);
    impl().widget->setFont(font);
}

// --- Image ---

Image::Image(Place place)
    : Control(std::make_unique<Impl>(place, [this](QWidget* parent, Impl&) { return new ImageWidget(*this, parent); })) {}

const gdi::Picture& Image::Picture() const { return impl().picture; }
void Image::setPicture(const gdi::Picture& picture) { storePicture(impl(), picture); }
bool Image::Stretch() const {
    auto* w = as<PictureWidget>(impl());
    return w && w->stretch;
}
void Image::setStretch(bool stretch) {
    if (auto* w = as<PictureWidget>(impl())) {
        w->stretch = stretch;
        w->update();
    }
}
void Image::Refresh() {
    if (impl().widget) impl().widget->repaint();
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
    : Control(std::make_unique<Impl>(place, [this](QWidget* parent, Impl&) {
          auto* list = new QListWidget(parent);
          QObject::connect(list, &QListWidget::itemDoubleClicked, list, [this] { fire(onDblClick); });
          return list;
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
    : Control(std::make_unique<Impl>(place, [](QWidget* parent, Impl&) { return new QPlainTextEdit(parent); })) {}

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
