// An element's kind and its members by name, for code that handles every
// element of a window alike and finds out at run time what each one has.
#pragma once

#include <span>
#include <stdexcept>
#include <string_view>

#include "control.h"

namespace forms {

enum class ElementKind { Label, Image, PictureBox, ListBox, TextBox, CommandButton, Timer, Line, Shape };

ElementKind KindOf(const Control& element);

// The element has no member of that name, or refuses the value given.
class MemberError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Properties: "Left", "Top", "Width", "Height" (every kind but lines and
// timers), "X1", "Y1", "X2", "Y2" (lines), "BorderWidth" (lines and shapes).
// A value must be a finite number of pixels within a window's reach, a
// size at least 0 and a border width from 1 up; a border width is rounded
// to the nearest whole number, a half to the even one.
float GetProperty(const Control& element, std::string_view name);
void SetProperty(Control& element, std::string_view name, float value);

// Operations: "Move" with left, top, width and height (as the places and
// sizes above), "Refresh" with nothing (every kind but timers).
void CallMethod(Control& element, std::string_view name, std::span<const float> arguments = {});

}  // namespace forms
