#include <gtest/gtest.h>

#include <limits>
#include <string_view>

#include "forms_test_support.h"

namespace {

bool hasProperty(const forms::Control& element, std::string_view name) {
    try {
        forms::GetProperty(element, name);
        return true;
    } catch (const forms::MemberError&) {
        return false;
    }
}

std::array<float, 4> properties(const forms::Control& element, std::array<std::string_view, 4> names) {
    return {forms::GetProperty(element, names[0]), forms::GetProperty(element, names[1]),
            forms::GetProperty(element, names[2]), forms::GetProperty(element, names[3])};
}

TEST(LateBinding, EachKindHasItsOwnMembers) {
    formstest::TestForm form;
    const struct { forms::Control* element; forms::ElementKind kind; bool place, ends, border, refresh; } rows[] = {
        {&form.Caption, forms::ElementKind::Label, true, false, false, true},
        {&form.Picture, forms::ElementKind::Image, true, false, false, true},
        {&form.Text, forms::ElementKind::TextBox, true, false, false, true},
        {&form.Ticker, forms::ElementKind::Timer, false, false, false, false},
        {&form.Rule, forms::ElementKind::Line, false, true, true, true},
        {&form.Frame, forms::ElementKind::Shape, true, false, true, true},
    };
    const std::array<float, 4> place{1, 2, 3, 4};
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.kind));
        EXPECT_EQ(forms::KindOf(*r.element), r.kind);
        for (std::string_view name : {"Left", "Top", "Width", "Height"}) EXPECT_EQ(hasProperty(*r.element, name), r.place);
        for (std::string_view name : {"X1", "Y1", "X2", "Y2"}) EXPECT_EQ(hasProperty(*r.element, name), r.ends);
        EXPECT_EQ(hasProperty(*r.element, "BorderWidth"), r.border);
        EXPECT_FALSE(hasProperty(*r.element, "Caption"));
        if (r.place) {
            forms::CallMethod(*r.element, "Move", place);
            EXPECT_EQ(properties(*r.element, {"Left", "Top", "Width", "Height"}), place);
            for (std::string_view name : {"Left", "Top", "Width", "Height"}) forms::SetProperty(*r.element, name, 5);
            EXPECT_EQ(properties(*r.element, {"Left", "Top", "Width", "Height"}), (std::array<float, 4>{5, 5, 5, 5}));
        } else {
            EXPECT_THROW(forms::CallMethod(*r.element, "Move", place), forms::MemberError);
        }
        if (r.refresh) EXPECT_NO_THROW(forms::CallMethod(*r.element, "Refresh"));
        else EXPECT_THROW(forms::CallMethod(*r.element, "Refresh"), forms::MemberError);
        EXPECT_THROW(forms::CallMethod(*r.element, "Hide"), forms::MemberError);
        EXPECT_THROW(forms::SetProperty(*r.element, "Caption", 1), forms::MemberError);
    }
}

TEST(LateBinding, RefusedValuesLeaveTheElementAsItWas) {
    formstest::TestForm form;
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const struct { forms::Control* element; std::string_view name; float value; } rows[] = {
        {&form.Caption, "Left", inf}, {&form.Caption, "Top", nan},    {&form.Caption, "Width", -1},
        {&form.Text, "Height", -0.5f}, {&form.Text, "Left", 2e7f},    {&form.Rule, "X2", -inf},
        {&form.Rule, "BorderWidth", 0.4f}, {&form.Frame, "BorderWidth", nan},
    };
    for (const auto& r : rows) {
        const float before = forms::GetProperty(*r.element, r.name);
        EXPECT_THROW(forms::SetProperty(*r.element, r.name, r.value), forms::MemberError) << r.name;
        EXPECT_EQ(forms::GetProperty(*r.element, r.name), before) << r.name;
    }
    EXPECT_THROW(forms::CallMethod(form.Caption, "Move", std::array<float, 4>{1, 1, -3, 4}), forms::MemberError);
    EXPECT_EQ(form.Caption.Width(), 100);
    EXPECT_THROW(forms::CallMethod(form.Caption, "Move", std::span<const float>{}), forms::MemberError);
}

// Border widths round half to even; line ends stay unrounded and the line's
// widget covers them.
TEST(LateBinding, BorderWidthsRoundHalfToEvenAndLineEndsStayAsGiven) {
    formstest::TestForm form;
    for (auto [given, kept] : {std::pair{2.5f, 2}, {3.5f, 4}, {1.49f, 1}, {6.6f, 7}}) {
        forms::SetProperty(form.Frame, "BorderWidth", given);
        forms::SetProperty(form.Rule, "BorderWidth", given);
        EXPECT_EQ(form.Frame.BorderWidth(), kept) << given;
        EXPECT_EQ(form.Rule.BorderWidth(), kept) << given;
    }
    forms::SetProperty(form.Rule, "Y1", 150);
    forms::SetProperty(form.Rule, "Y2", 170.25f);
    EXPECT_EQ(properties(form.Rule, {"X1", "Y1", "X2", "Y2"}), (std::array<float, 4>{20.5f, 150, 120, 170.25f}));
    form.Rule.setBorderWidth(3);
    const QRect covered = forms::widgetOf(form.Rule)->geometry();
    EXPECT_TRUE(covered.contains(20, 150) && covered.contains(120, 170));
    EXPECT_LE(covered.left(), 20 - 3);
    EXPECT_GE(covered.bottom(), 171 + 3);
    // A shape draws its outline only.
    const QImage shape = forms::widgetOf(form.Frame)->grab().toImage();
    EXPECT_EQ(shape.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_NE(shape.pixelColor(30, 15), QColor(Qt::black));
}

}  // namespace
