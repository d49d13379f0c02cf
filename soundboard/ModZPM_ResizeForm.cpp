// Form scaling: a window and its elements to a new width, by kind of element.
#include "ModZPM.h"
#include "forms.h"

#include <array>
#include <cmath>
#include <exception>
#include <stdexcept>

namespace {

// The largest outer size, in twips, that a window takes.
constexpr float WindowReach = 16777215.0f * forms::twipsPerPixel;

bool WithinReach(float twips) { return std::isfinite(twips) && std::fabs(twips) <= WindowReach; }

// Runs one statement of the element loop; one that fails is skipped.
template <class Statement>
void Attempt(Statement&& statement) {
    try {
        statement();
    } catch (const std::exception&) {
    }
}

float Get(const forms::Control& element, std::string_view name) { return forms::GetProperty(element, name); }

void ScaleProperty(forms::Control& element, std::string_view name, float r) {
    Attempt([&] { forms::SetProperty(element, name, Get(element, name) * r); });
}

void MoveScaled(forms::Control& element, float r, float height) {
    const std::array<float, 4> place{Get(element, "Left") * r, Get(element, "Top") * r, Get(element, "Width") * r,
                                     height};
    forms::CallMethod(element, "Move", place);
}

void ScaleTextBox(forms::Control& element, float r, float borderHeight) {
    float h = 0;
    Attempt([&] { h = Get(element, "Height") - borderHeight; });
    Attempt([&] { forms::SetProperty(element, "Height", h * r + borderHeight); });
    Attempt([&] { MoveScaled(element, r, Get(element, "Height")); });
    Attempt([&] {
        const float limit = HelpWindow().ScaleWidth();
        if (Get(element, "Width") > limit) forms::SetProperty(element, "Width", limit - 15);
    });
    Attempt([&] {
        const float limit = HelpWindow().ScaleHeight();
        if (Get(element, "Height") > limit) forms::SetProperty(element, "Height", limit - 40);
    });
}

void ScaleElement(forms::Control& element, float r, float borderHeight) {
    const forms::ElementKind kind = forms::KindOf(element);
    switch (kind) {
        case forms::ElementKind::Line:
            for (std::string_view name : {"X1", "X2", "Y1", "Y2", "BorderWidth"}) ScaleProperty(element, name, r);
            break;
        case forms::ElementKind::TextBox:
            ScaleTextBox(element, r, borderHeight);
            break;
        case forms::ElementKind::Timer:
            break;
        default:
            Attempt([&] { MoveScaled(element, r, Get(element, "Height") * r); });
            if (kind == forms::ElementKind::Shape) ScaleProperty(element, "BorderWidth", r);
            break;
    }
    if (kind != forms::ElementKind::Image && kind != forms::ElementKind::Timer)
        Attempt([&] { forms::CallMethod(element, "Refresh"); });
}

}  // namespace

void ResizeForm(forms::Form& frm, float NewWidth, bool bCenter) {
    const float borderHeight = frm.Height() - frm.ScaleHeight();
    const float borderWidth = frm.Width() - frm.ScaleWidth();
    const float innerWidth = frm.Width() - borderWidth;
    if (innerWidth == 0) throw std::domain_error("ResizeForm: the window has no inner width");
    const float r = (NewWidth - borderWidth) / innerWidth;
    const float height = (frm.Height() - borderHeight) * r + borderHeight;
    if (!std::isfinite(r) || !WithinReach(height) || !WithinReach(NewWidth))
        throw std::overflow_error("ResizeForm: the new size is beyond what a window takes");
    frm.setHeight(height);
    frm.setWidth(NewWidth);

    for (forms::Control* element : frm.Controls()) ScaleElement(*element, r, borderHeight);
    if (bCenter) {
        frm.Move((static_cast<float>(forms::ScreenWidth()) - frm.Width()) * 0.5f,
                 (static_cast<float>(forms::ScreenHeight()) - frm.Height()) * 0.5f);
    }
    frm.Show();
}
