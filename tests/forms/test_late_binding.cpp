#include <gtest/gtest.h>

#include <QWidget>
#include <array>
#include <cmath>
#include <limits>
#include <string_view>

#include "forms.h"
#include "forms_qt.h"

namespace {

class KindsForm : public forms::Form {
public:
    KindsForm() { design(); }

    forms::Label Caption{*this};
    forms::Image Picture{*this};
    forms::TextBox Text{*this};
    forms::Timer Ticker{*this};
    forms::Line Rule{*this};
    forms::Shape Frame{*this};

private:
    void design() override {
        setClientSize(300, 200);
        Caption.Move(10, 10, 50, 20);
        Picture.Move(70, 10, 32, 32);
        Text.Move(10, 50, 100, 60);
        Rule.setX1(20.5f);
        Rule.setY1(150);
        Rule.setX2(120);
        Rule.setY2(130);
        Frame.Move(150, 50, 80, 40);
    }
};

bool hasProperty(const forms::Control& element, std::string_view name) {
    try {
        forms::GetProperty(element, name);
        return true;
    } catch (const forms::MemberError&) {
        return false;
    }
}

TEST(LateBinding, EachKindHasItsOwnMembers) {
    KindsForm form;
    struct Case {
        forms::Control* element;
        forms::ElementKind kind;
        bool place, ends, border, refresh;
    };
    const std::array<Case, 6> cases{{
        {&form.Caption, forms::ElementKind::Label, true, false, false, true},
        {&form.Picture, forms::ElementKind::Image, true, false, false, true},
        {&form.Text, forms::ElementKind::TextBox, true, false, false, true},
        {&form.Ticker, forms::ElementKind::Timer, false, false, false, false},
        {&form.Rule, forms::ElementKind::Line, false, true, true, true},
        {&form.Frame, forms::ElementKind::Shape, true, false, true, true},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        EXPECT_EQ(forms::KindOf(*c.element), c.kind);
        for (std::string_view name : {"Left", "Top", "Width", "Height"}) EXPECT_EQ(hasProperty(*c.element, name), c.place);
        for (std::string_view name : {"X1", "Y1", "X2", "Y2"}) EXPECT_EQ(hasProperty(*c.element, name), c.ends);
        EXPECT_EQ(hasProperty(*c.element, "BorderWidth"), c.border);
        EXPECT_FALSE(hasProperty(*c.element, "Caption"));
        const std::array<float, 4> place{1, 2, 3, 4};
        if (c.place) {
            forms::CallMethod(*c.element, "Move", place);
            EXPECT_EQ(forms::GetProperty(*c.element, "Width"), 3);
        } else {
            EXPECT_THROW(forms::CallMethod(*c.element, "Move", place), forms::MemberError);
        }
        if (c.refresh) {
            EXPECT_NO_THROW(forms::CallMethod(*c.element, "Refresh"));
        } else {
            EXPECT_THROW(forms::CallMethod(*c.element, "Refresh"), forms::MemberError);
        }
    }
}

TEST(LateBinding, RefusedValuesLeaveTheElementAsItWas) {
    KindsForm form;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        forms::Control* element;
        std::string_view name;
        float value;
    };
    const std::array<Case, 8> cases{{
        {&form.Caption, "Left", inf},
        {&form.Caption, "Top", nan},
        {&form.Caption, "Width", -1},
        {&form.Text, "Height", -0.5f},
        {&form.Text, "Left", 2e7f},
        {&form.Rule, "X2", -inf},
        {&form.Rule, "BorderWidth", 0.4f},
        {&form.Frame, "BorderWidth", nan},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const float before = forms::GetProperty(*c.element, c.name);
        EXPECT_THROW(forms::SetProperty(*c.element, c.name, c.value), forms::MemberError);
        EXPECT_EQ(forms::GetProperty(*c.element, c.name), before);
    }
    const std::array<float, 4> negativeWidth{1, 1, -3, 4};
    EXPECT_THROW(forms::CallMethod(form.Caption, "Move", negativeWidth), forms::MemberError);
    EXPECT_EQ(form.Caption.Width(), 50);
    EXPECT_THROW(forms::CallMethod(form.Caption, "Move", std::span<const float>{}), forms::MemberError);
}

TEST(LateBinding, BorderWidthsRoundHalfToEven) {
    KindsForm form;
    for (auto [given, kept] : {std::pair{2.5f, 2}, {3.5f, 4}, {1.49f, 1}, {6.6f, 7}}) {
        forms::SetProperty(form.Frame, "BorderWidth", given);
        EXPECT_EQ(form.Frame.BorderWidth(), kept) << given;
        forms::SetProperty(form.Rule, "BorderWidth", given);
        EXPECT_EQ(form.Rule.BorderWidth(), kept) << given;
    }
}

// The line keeps its end points unrounded and its widget covers them.
TEST(LateBinding, LineEndsStayAsGivenAndItsWidgetCoversThem) {
    KindsForm form;
    EXPECT_EQ(forms::GetProperty(form.Rule, "X1"), 20.5f);
    forms::SetProperty(form.Rule, "Y2", 170.25f);
    EXPECT_EQ(form.Rule.Y2(), 170.25f);
    form.Rule.setBorderWidth(3);
    const QRect covered = forms::widgetOf(form.Rule)->geometry();
    EXPECT_TRUE(covered.contains(20, 150));
    EXPECT_TRUE(covered.contains(120, 170));
    EXPECT_LE(covered.left(), 20 - 3);
    EXPECT_GE(covered.bottom(), 171 + 3);
}

}  // namespace
