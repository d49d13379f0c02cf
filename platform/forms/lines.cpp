#include "lines.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>

#include "forms_qt.h"

namespace forms {
namespace {

// Paints in the element's fore colour; clicks go to what lies below. A line
// keeps its end points in window pixels, unrounded, and covers their
// bounding box with a margin of its width.
class DrawnWidget : public QWidget {
public:
    DrawnWidget(QWidget* parent, bool isOutline) : QWidget(parent), outline(isOutline) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const bool outline;
    QLineF ends;
    int penWidth = 1;

    void placeLine() {
        const int margin = penWidth;
        const int left = static_cast<int>(std::floor(std::min(ends.x1(), ends.x2()))) - margin;
        const int top = static_cast<int>(std::floor(std::min(ends.y1(), ends.y2()))) - margin;
        const int right = static_cast<int>(std::ceil(std::max(ends.x1(), ends.x2()))) + margin;
        const int bottom = static_cast<int>(std::ceil(std::max(ends.y1(), ends.y2()))) + margin;
        setGeometry(left, top, right - left + 1, bottom - top + 1);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QPen pen(palette().color(QPalette::WindowText), penWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        if (outline) {
            const qreal inset = penWidth / 2.0;
            painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
        } else {
            painter.drawLine(ends.translated(-pos()));
        }
    }
};

DrawnWidget* drawn(const Control::Impl& impl) { return static_cast<DrawnWidget*>(impl.widget.data()); }

Control::Impl::Factory drawnFactory(bool outline) {
    return [outline](QWidget* parent, Control::Impl& fresh) {
        fresh.backStyle = vbTransparent;
        fresh.foreColor = 0;  // black
        return new DrawnWidget(parent, outline);
    };
}

void setLineEnd(const Control::Impl& impl, void (QLineF::*set)(const QPointF&), QPointF (QLineF::*get)() const,
                std::optional<float> x, std::optional<float> y) {
    DrawnWidget* widget = drawn(impl);
    if (!widget) return;
    const QPointF old = (widget->ends.*get)();
    (widget->ends.*set)(QPointF(x.value_or(static_cast<float>(old.x())), y.value_or(static_cast<float>(old.y()))));
    widget->placeLine();
}

void setPenWidth(const Control::Impl& impl, int width) {
    DrawnWidget* widget = drawn(impl);
    if (!widget) return;
    widget->penWidth = std::max(width, 1);
    if (!widget->outline) widget->placeLine();
    widget->update();
}

}  // namespace

Line::Line(Place place) : Control(std::make_unique<Impl>(place, drawnFactory(false))) {}

float Line::X1() const { return drawn(impl()) ? static_cast<float>(drawn(impl())->ends.x1()) : 0; }
float Line::Y1() const { return drawn(impl()) ? static_cast<float>(drawn(impl())->ends.y1()) : 0; }
float Line::X2() const { return drawn(impl()) ? static_cast<float>(drawn(impl())->ends.x2()) : 0; }
float Line::Y2() const { return drawn(impl()) ? static_cast<float>(drawn(impl())->ends.y2()) : 0; }
void Line::setX1(float x) { setLineEnd(impl(), &QLineF::setP1, &QLineF::p1, x, std::nullopt); }
void Line::setY1(float y) { setLineEnd(impl(), &QLineF::setP1, &QLineF::p1, std::nullopt, y); }
void Line::setX2(float x) { setLineEnd(impl(), &QLineF::setP2, &QLineF::p2, x, std::nullopt); }
void Line::setY2(float y) { setLineEnd(impl(), &QLineF::setP2, &QLineF::p2, std::nullopt, y); }
int Line::BorderWidth() const { return drawn(impl()) ? drawn(impl())->penWidth : 1; }
void Line::setBorderWidth(int width) { setPenWidth(impl(), width); }

Shape::Shape(Place place) : Control(std::make_unique<Impl>(place, drawnFactory(true))) {}

int Shape::BorderWidth() const { return drawn(impl()) ? drawn(impl())->penWidth : 1; }
void Shape::setBorderWidth(int width) { setPenWidth(impl(), width); }

}  // namespace forms
