#include <QString>

#include "forms_qt.h"

namespace forms {
namespace {

QString qtext(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

}  // namespace

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
    d->widget->show();
}

int Control::Left() const { return d->widget ? d->widget->x() : 0; }
int Control::Top() const { return d->widget ? d->widget->y() : 0; }
int Control::Width() const { return d->widget ? d->widget->width() : 0; }
int Control::Height() const { return d->widget ? d->widget->height() : 0; }

void Control::setLeft(int left) { Move(left, Top(), Width(), Height()); }
void Control::setTop(int top) { Move(Left(), top, Width(), Height()); }
void Control::setWidth(int width) { Move(Left(), Top(), width, Height()); }
void Control::setHeight(int height) { Move(Left(), Top(), Width(), height); }

void Control::Move(int left, int top, int width, int height) {
    if (d->widget) d->widget->setGeometry(left, top, std::max(width, 0), std::max(height, 0));
}

bool Control::Visible() const { return d->widget && !d->widget->isHidden(); }
void Control::setVisible(bool visible) {
    if (d->widget) d->widget->setVisible(visible);
}

bool Control::Enabled() const { return d->widget && d->widget->isEnabled(); }
void Control::setEnabled(bool enabled) {
    if (d->widget) d->widget->setEnabled(enabled);
}

std::string Control::ToolTipText() const { return d->widget ? d->widget->toolTip().toStdString() : std::string(); }
void Control::setToolTipText(std::string_view text) {
    if (d->widget) d->widget->setToolTip(qtext(text));
}

std::string Control::Tag() const { return d->tag; }
void Control::setTag(std::string_view tag) { d->tag = tag; }

Form& Control::parentForm() const { return d->place.form(); }

}  // namespace forms
