#include <QApplication>
#include <QLabel>
#include <QString>
#include <QTextDocument>
#include <cmath>

#include "forms_qt.h"
#include "utf8_text.h"

namespace forms {
namespace {

int pixels(float value) { return static_cast<int>(std::lround(value)); }

QColor colorFor(Color color, QPalette::ColorRole systemFallback, const QPalette& palette) {
    if (!(color & 0x80000000u)) return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
    switch (color & 0xFF) {
        case 5: return palette.color(QPalette::Base);
        case 8: return palette.color(QPalette::Text);
        case 15: return palette.color(QPalette::Button);
        case 18: return palette.color(QPalette::ButtonText);
        default: return palette.color(systemFallback);
    }
}

// The free fonts the setup script installs in place of the program's
// Windows fonts: Liberation Mono has Courier New's metrics, so its texts and
// tables fill the same widths. The title display is made for 70 characters
// of Tahoma at 8 pixels: of the free sans-serifs only Liberation Sans Narrow
// fits them, and its accents stay below its ascent (DejaVu Sans's capital
// umlauts rise above the line and lose their dots).
QStringList familiesFor(const QString& name) {
    if (name.compare(QStringLiteral("Courier New"), Qt::CaseInsensitive) == 0)
        return {name, QStringLiteral("Liberation Mono")};
    if (name.compare(QStringLiteral("Tahoma"), Qt::CaseInsensitive) == 0)
        return {name, QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans")};
    return {name};
}

// Mapped to the installed sans-serif and monospace fonts where missing.
QFont fontNamed(const QFont& base, std::string_view name) {
    QFont font = base;
    font.setFamilies(familiesFor(qtext(name)));
    const bool mono = qtext(name).contains(QStringLiteral("courier"), Qt::CaseInsensitive);
    font.setStyleHint(mono ? QFont::Monospace : QFont::SansSerif);
    return font;
}

}  // namespace

// Text is UTF-8. A byte that starts no UTF-8 character (a file name written
// in Latin-1 on an old disk) is shown as the Latin-1 letter it most likely is.
QString qtext(std::string_view text) {
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    std::size_t valid = 0;  // where the run of well-formed characters began
    std::size_t at = 0;
    const auto takeValid = [&] { shown += QString::fromUtf8(text.data() + valid, static_cast<qsizetype>(at - valid)); };
    while (at < text.size()) {
        const std::size_t length = platform::text::utf8CharacterLength(text.substr(at));
        if (length > 0) {
            at += length;
            continue;
        }
        takeValid();
        shown += QChar::fromLatin1(text[at]);
        valid = ++at;
    }
    takeValid();
    return shown;
}

void applyColors(const Control::Impl& impl) {
    QWidget* widget = impl.widget;
    if (!widget) return;
    QPalette palette = QApplication::palette(widget);
    const QColor back = colorFor(impl.backColor, QPalette::Window, palette);
    const QColor fore = colorFor(impl.foreColor, QPalette::WindowText, palette);
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) palette.setColor(role, back);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) palette.setColor(role, fore);
    widget->setPalette(palette);
    if (qobject_cast<QLabel*>(widget)) widget->setAutoFillBackground(impl.backStyle == vbOpaque);
    widget->update();
}

Place::Place(PictureBox& box) : m_form(&box.parentForm()), m_box(&box) {}

std::string DataObject::File(int i) const {
    if (i < 1 || i > FileCount()) return {};
    return m_files[static_cast<std::size_t>(i - 1)];
}

Control::Control(std::unique_ptr<Impl> impl) : d(std::move(impl)) {
    d->place.form().impl().controls.push_back(this);
    recreate();
}

Control::~Control() {
    std::erase(d->place.form().impl().controls, this);
    delete d->widget.data();
}

// A fresh widget in the container's current widget, with the element's
// state as it is before design() sets it.
void Control::recreate() {
    const Place place = d->place;
    auto make = std::move(d->make);
    d = std::make_unique<Impl>(place, std::move(make));
    QWidget* container = place.box() ? widgetOf(*place.box()) : widgetOf(place.form());
    d->widget = d->make(container, *d);
    if (!d->widget) return;
    d->widget->installEventFilter(container->window());
    applyColors(*d);
    d->widget->show();
}

float Control::Left() const { return d->widget ? static_cast<float>(d->widget->x()) : 0; }
float Control::Top() const { return d->widget ? static_cast<float>(d->widget->y()) : 0; }
float Control::Width() const { return d->widget ? static_cast<float>(d->widget->width()) : 0; }
float Control::Height() const { return d->widget ? static_cast<float>(d->widget->height()) : 0; }

void Control::setLeft(float left) { Move(left, Top(), Width(), Height()); }
void Control::setTop(float top) { Move(Left(), top, Width(), Height()); }
void Control::setWidth(float width) { Move(Left(), Top(), width, Height()); }
void Control::setHeight(float height) { Move(Left(), Top(), Width(), height); }

void Control::Move(float left, float top, float width, float height) {
    if (!d->widget) return;
    d->widget->setGeometry(pixels(left), pixels(top), std::max(pixels(width), 0), std::max(pixels(height), 0));
}

bool Control::Visible() const { return d->widget && !d->widget->isHidden(); }
void Control::setVisible(bool visible) {
    if (d->widget) d->widget->setVisible(visible);
}

bool Control::Enabled() const { return d->widget && d->widget->isEnabled(); }
void Control::setEnabled(bool enabled) {
    if (d->widget) d->widget->setEnabled(enabled);
}

std::string Control::ToolTipText() const { return d->toolTip; }
void Control::setToolTipText(std::string_view text) {
    d->toolTip = text;
    if (!d->widget) return;
    // Tooltips are names of sounds: a name that looks like markup is shown
    // as it is written.
    const QString plain = qtext(text);
    d->widget->setToolTip(Qt::mightBeRichText(plain)
                              ? QStringLiteral("<p style='white-space:pre'>%1</p>").arg(plain.toHtmlEscaped())
                              : plain);
}

std::string Control::Tag() const { return d->tag; }
void Control::setTag(std::string_view tag) { d->tag = tag; }

Color Control::BackColor() const { return d->backColor; }
void Control::setBackColor(Color color) {
    d->backColor = color;
    applyColors(*d);
}
Color Control::ForeColor() const { return d->foreColor; }
void Control::setForeColor(Color color) {
    d->foreColor = color;
    applyColors(*d);
}

std::string Control::FontName() const { return d->widget ? d->widget->font().family().toStdString() : ""; }
void Control::setFontName(std::string_view name) {
    if (d->widget) d->widget->setFont(fontNamed(d->widget->font(), name));
}
float Control::FontSize() const { return d->widget ? static_cast<float>(d->widget->font().pointSizeF()) : 0; }
void Control::setFontSize(float points) {
    if (!d->widget || points <= 0) return;
    QFont font = d->widget->font();
    font.setPointSizeF(points);
    d->widget->setFont(font);
}
void Control::setFontBold(bool bold) {
    if (!d->widget) return;
    QFont font = d->widget->font();
    font.setBold(bold);
    d->widget->setFont(font);
}

void Control::Refresh() {
    if (d->widget) d->widget->repaint();
}

Form& Control::parentForm() const { return d->place.form(); }

}  // namespace forms
