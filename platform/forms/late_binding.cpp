#include "late_binding.h"

#include <array>
#include <cmath>
#include <string>

#include "elements.h"
#include "lines.h"

namespace forms {
namespace {

// The largest place or size a widget takes.
constexpr float PixelReach = 16777215;

bool placed(ElementKind kind) { return kind != ElementKind::Line && kind != ElementKind::Timer; }

[[noreturn]] void noMember(std::string_view name) {
    throw MemberError("the element has no member " + std::string(name));
}

float checkedPlace(float value) {
    if (!std::isfinite(value) || std::fabs(value) > PixelReach) throw MemberError("invalid property value");
    return value;
}

float checkedSize(float value) {
    if (checkedPlace(value) < 0) throw MemberError("invalid property value");
    return value;
}

int checkedBorderWidth(float value) {
    const float whole = std::nearbyint(checkedPlace(value));
    if (whole < 1) throw MemberError("invalid property value");
    return static_cast<int>(whole);
}

float borderWidth(const Control& element) {
    if (auto* line = dynamic_cast<const Line*>(&element)) return static_cast<float>(line->BorderWidth());
    if (auto* shape = dynamic_cast<const Shape*>(&element)) return static_cast<float>(shape->BorderWidth());
    noMember("BorderWidth");
}

void setBorderWidth(Control& element, float value) {
    if (auto* line = dynamic_cast<Line*>(&element)) return line->setBorderWidth(checkedBorderWidth(value));
    if (auto* shape = dynamic_cast<Shape*>(&element)) return shape->setBorderWidth(checkedBorderWidth(value));
    noMember("BorderWidth");
}

Line& asLine(Control& element, std::string_view name) {
    auto* line = dynamic_cast<Line*>(&element);
    if (!line) noMember(name);
    return *line;
}

const Line& asLine(const Control& element, std::string_view name) {
    auto* line = dynamic_cast<const Line*>(&element);
    if (!line) noMember(name);
    return *line;
}

}  // namespace

ElementKind KindOf(const Control& element) {
    if (dynamic_cast<const Label*>(&element)) return ElementKind::Label;
    if (dynamic_cast<const Image*>(&element)) return ElementKind::Image;
    if (dynamic_cast<const PictureBox*>(&element)) return ElementKind::PictureBox;
    if (dynamic_cast<const ListBox*>(&element)) return ElementKind::ListBox;
    if (dynamic_cast<const TextBox*>(&element)) return ElementKind::TextBox;
    if (dynamic_cast<const CommandButton*>(&element)) return ElementKind::CommandButton;
    if (dynamic_cast<const Timer*>(&element)) return ElementKind::Timer;
    if (dynamic_cast<const Line*>(&element)) return ElementKind::Line;
    if (dynamic_cast<const Shape*>(&element)) return ElementKind::Shape;
    throw std::logic_error("an element of a kind the runtime does not know");
}

float GetProperty(const Control& element, std::string_view name) {
    const bool place = placed(KindOf(element));
    if (place && name == "Left") return element.Left();
    if (place && name == "Top") return element.Top();
    if (place && name == "Width") return element.Width();
    if (place && name == "Height") return element.Height();
    if (name == "X1") return asLine(element, name).X1();
    if (name == "Y1") return asLine(element, name).Y1();
    if (name == "X2") return asLine(element, name).X2();
    if (name == "Y2") return asLine(element, name).Y2();
    if (name == "BorderWidth") return borderWidth(element);
    noMember(name);
}

void SetProperty(Control& element, std::string_view name, float value) {
    const bool place = placed(KindOf(element));
    if (place && name == "Left") return element.setLeft(checkedPlace(value));
    if (place && name == "Top") return element.setTop(checkedPlace(value));
    if (place && name == "Width") return element.setWidth(checkedSize(value));
    if (place && name == "Height") return element.setHeight(checkedSize(value));
    if (name == "X1") return asLine(element, name).setX1(checkedPlace(value));
    if (name == "Y1") return asLine(element, name).setY1(checkedPlace(value));
    if (name == "X2") return asLine(element, name).setX2(checkedPlace(value));
    if (name == "Y2") return asLine(element, name).setY2(checkedPlace(value));
    if (name == "BorderWidth") return setBorderWidth(element, value);
    noMember(name);
}

void CallMethod(Control& element, std::string_view name, std::span<const float> arguments) {
    const ElementKind kind = KindOf(element);
    if (name == "Refresh" && kind != ElementKind::Timer) return element.Refresh();
    if (name != "Move" || !placed(kind)) noMember(name);
    if (arguments.size() != 4) throw MemberError("Move takes left, top, width and height");
    element.Move(checkedPlace(arguments[0]), checkedPlace(arguments[1]), checkedSize(arguments[2]),
                 checkedSize(arguments[3]));
}

}  // namespace forms
