// Scaling a window and its elements on the offscreen platform: the ratio
// from the outer and inner sizes, the rule of each kind of element, the
// text-box limits of the help window, centring and the final show.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <limits>
#include <map>
#include <stdexcept>

#include "Form1.h"
#include "ModZPM.h"
#include "forms_qt.h"

namespace {

// Counts the paint events of the watched widgets.
class PaintCounter : public QObject {
public:
    std::map<QObject*, int> paints;
    void watch(forms::Control& element) { forms::widgetOf(element)->installEventFilter(this); }
    int of(forms::Control& element) { return paints[forms::widgetOf(element)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints[watched];
        return false;
    }
};

// One element of each kind that has a rule, none of them overlapping:
// outer width 3000 twips, inner 200 pixels.
class ScaledWindow : public forms::Form {
public:
    ScaledWindow() { design(); }
    forms::TextBox Text{*this};
    forms::Line Rule{*this};
    forms::Shape Frame{*this};
    forms::Timer Ticker{*this};
    forms::Label Caption{*this};
    forms::Image Picture{*this};

private:
    void design() override {
        setClientSize(200, 100);
        Move(1500, 1500);
        Text.Move(10, 40, 80, 30);
        Rule.setX1(5);
        Rule.setY1(80);
        Rule.setX2(45);
        Rule.setY2(90);
        Frame.Move(100, 60, 40, 20);
        Frame.setBorderWidth(3);
        Ticker.setInterval(500);
        Ticker.setEnabled(false);
        Caption.Move(10, 10, 30, 12);
        Picture.Move(50, 5, 16, 16);
    }
};

QRect placeOf(forms::Control& element) { return forms::widgetOf(element)->geometry(); }

class ResizeFormTest : public ::testing::Test {
protected:
    void SetUp() override { forms::startRuntime(); }
    void TearDown() override { UnloadHelpWindow(); }
};

// Its own width moves nothing, refreshes every element but a picture, and shows the window.
TEST_F(ResizeFormTest, TheOwnWidthMovesNothingRefreshesAndShows) {
    ScaledWindow window;
    window.Show();
    forms::DoEvents();
    PaintCounter counter;
    for (forms::Control* element : std::initializer_list<forms::Control*>{&window.Text, &window.Rule, &window.Frame,
                                                                          &window.Caption, &window.Picture})
        counter.watch(*element);
    ResizeForm(window, window.Width(), false);
    EXPECT_EQ(window.Height(), 1500);
    EXPECT_EQ(window.Left(), 1500);
    EXPECT_EQ(placeOf(window.Caption), QRect(10, 10, 30, 12));
    EXPECT_EQ(window.Rule.X2(), 45);
    EXPECT_EQ(window.Frame.BorderWidth(), 3);
    for (forms::Control* refreshed : std::initializer_list<forms::Control*>{&window.Text, &window.Rule, &window.Frame,
                                                                            &window.Caption})
        EXPECT_GT(counter.of(*refreshed), 0);
    EXPECT_EQ(counter.of(window.Picture), 0);

    ScaledWindow hidden;
    ResizeForm(hidden, hidden.Width(), false);
    EXPECT_TRUE(hidden.Visible());
}

// The border counts as 2800 twips, so a width of 3600 gives the ratio 4 and
// the height (1500 - 1400) * 4 + 1400.
TEST_F(ResizeFormTest, AnotherWidthScalesEachKindByItsRule) {
    ScaledWindow window;
    ResizeForm(window, 3600, true);
    EXPECT_EQ(window.Width(), 3600);
    EXPECT_EQ(window.Height(), 1800);
    EXPECT_EQ(placeOf(window.Caption), QRect(40, 40, 120, 48));
    EXPECT_EQ(placeOf(window.Picture), QRect(200, 20, 64, 64));
    EXPECT_EQ(placeOf(window.Frame), QRect(400, 240, 160, 80));
    EXPECT_EQ(window.Frame.BorderWidth(), 12);
    EXPECT_EQ(QRect(QPoint(window.Rule.X1(), window.Rule.Y1()), QPoint(window.Rule.X2(), window.Rule.Y2())),
              QRect(QPoint(20, 320), QPoint(180, 360)));
    EXPECT_EQ(window.Rule.BorderWidth(), 4);
    EXPECT_EQ(window.Ticker.Interval(), 500);
    // The text box's height would be (30 - 1400) * 4 + 1400, below zero: that
    // statement alone is skipped.
    EXPECT_EQ(placeOf(window.Text), QRect(40, 160, 320, 30));
    // Centred on the screen.
    EXPECT_EQ(window.Left(), (static_cast<float>(forms::ScreenWidth()) - 3600) * 0.5f);
    EXPECT_EQ(window.Top(), (static_cast<float>(forms::ScreenHeight()) - 1800) * 0.5f);
    EXPECT_TRUE(window.Visible());
}

// Scaled by 1, text boxes keep their sizes up to the help window's 600 x 451
// and are cut to 585 and 411 above.
TEST_F(ResizeFormTest, TextBoxesStayWithinTheHelpWindow) {
    class WideWindow : public forms::Form {
    public:
        WideWindow() { setClientSize(700, 500); }
        forms::TextBox Text{*this};
    };
    const std::pair<QSize, QSize> cases[] = {
        {{600, 451}, {600, 451}}, {{601, 452}, {585, 411}}, {{599, 450}, {599, 450}}, {{700, 200}, {585, 200}}};
    for (const auto& [size, kept] : cases) {
        UnloadHelpWindow();
        WideWindow window;
        window.Text.Move(0, 0, static_cast<float>(size.width()), static_cast<float>(size.height()));
        ResizeForm(window, window.Width(), false);
        EXPECT_EQ(placeOf(window.Text).size(), kept) << size.width() << " x " << size.height();
        EXPECT_TRUE(Form1::instance().Visible());  // asking the help window for its size loaded it
    }
}

// A ratio that is no number, or a size beyond any window, changes nothing.
TEST_F(ResizeFormTest, ImpossibleSizesChangeNothing) {
    ScaledWindow narrow;
    forms::widgetOf(narrow)->resize(0, 100);
    if (narrow.ScaleWidth() == 0) {
        EXPECT_THROW(ResizeForm(narrow, 3200, false), std::domain_error);
        EXPECT_EQ(placeOf(narrow.Caption), QRect(10, 10, 30, 12));
        EXPECT_FALSE(narrow.Visible());
    }
    // Taller than wide: the new height overflows before the width does.
    class TallWindow : public forms::Form {
    public:
        TallWindow() { setClientSize(100, 200); }
        forms::Label Caption{*this};
    };
    for (float width : {2e8f, std::numeric_limits<float>::max(), 1e12f, -1e12f, std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN()}) {
        TallWindow window;
        window.Caption.Move(10, 10, 30, 12);
        EXPECT_THROW(ResizeForm(window, width, false), std::overflow_error) << width;
        EXPECT_EQ(window.Height(), 3000);
        EXPECT_EQ(placeOf(window.Caption), QRect(10, 10, 30, 12));
        EXPECT_FALSE(window.Visible());
    }
}

}  // namespace
