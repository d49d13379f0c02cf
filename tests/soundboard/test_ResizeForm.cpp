// Scaling a window and its elements on the offscreen platform: the ratio
// from the outer and inner sizes, the rule of each kind of element, the
// text-box limits of the help window, centring and the final show.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <array>
#include <limits>
#include <map>
#include <stdexcept>

#include "Form1.h"
#include "ModZPM.h"
#include "forms_qt.h"

namespace {

// Counts the paint events each watched widget gets.
class PaintCounter : public QObject {
public:
    std::map<QObject*, int> paints;
    void watch(QWidget* widget) {
        paints[widget] = 0;
        widget->installEventFilter(this);
    }
    int of(forms::Control& element) { return paints[forms::widgetOf(element)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints[watched];
        return false;
    }
};

// One element of each kind that has a rule, none of them overlapping.
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

TEST_F(ResizeFormTest, TheOwnWidthMovesNothingRefreshesAndShows) {
    ScaledWindow window;
    window.Show();
    forms::DoEvents();
    const std::array<forms::Control*, 5> placed{&window.Text, &window.Rule, &window.Frame, &window.Caption,
                                                &window.Picture};
    std::map<forms::Control*, QRect> before;
    PaintCounter counter;
    for (forms::Control* element : placed) {
        before[element] = placeOf(*element);
        counter.watch(forms::widgetOf(*element));
    }

    ResizeForm(window, window.Width(), false);

    EXPECT_EQ(window.Width(), 3000);
    EXPECT_EQ(window.Height(), 1500);
    EXPECT_EQ(window.Left(), 1500);
    for (forms::Control* element : placed) EXPECT_EQ(placeOf(*element), before[element]);
    EXPECT_EQ(window.Rule.X2(), 45);
    EXPECT_EQ(window.Frame.BorderWidth(), 3);
    EXPECT_GT(counter.of(window.Text), 0);
    EXPECT_GT(counter.of(window.Rule), 0);
    EXPECT_GT(counter.of(window.Frame), 0);
    EXPECT_GT(counter.of(window.Caption), 0);
    EXPECT_EQ(counter.of(window.Picture), 0);
    EXPECT_EQ(window.Ticker.Interval(), 500);
    EXPECT_FALSE(window.Ticker.Enabled());
    EXPECT_TRUE(window.Visible());
}

TEST_F(ResizeFormTest, AHiddenWindowIsShown) {
    ScaledWindow window;
    ASSERT_FALSE(window.Visible());
    ResizeForm(window, window.Width(), false);
    EXPECT_TRUE(window.Loaded());
    EXPECT_TRUE(window.Visible());
}

// Outer width 3000 twips, inner 200 pixels: the border counts as 2800, so a
// new width of 3600 gives the ratio 4 and the height (1500 - 1400) * 4 + 1400.
TEST_F(ResizeFormTest, AnotherWidthScalesEachKindByItsRule) {
    ScaledWindow window;
    ResizeForm(window, 3600, false);

    EXPECT_EQ(window.Width(), 3600);
    EXPECT_EQ(window.Height(), 1800);
    EXPECT_EQ(placeOf(window.Caption), QRect(40, 40, 120, 48));
    EXPECT_EQ(placeOf(window.Picture), QRect(200, 20, 64, 64));
    EXPECT_EQ(placeOf(window.Frame), QRect(400, 240, 160, 80));
    EXPECT_EQ(window.Frame.BorderWidth(), 12);
    EXPECT_EQ(window.Rule.X1(), 20);
    EXPECT_EQ(window.Rule.X2(), 180);
    EXPECT_EQ(window.Rule.Y1(), 320);
    EXPECT_EQ(window.Rule.Y2(), 360);
    EXPECT_EQ(window.Rule.BorderWidth(), 4);
    EXPECT_EQ(window.Ticker.Interval(), 500);
    // The text box's height comes out as (30 - 1400) * 4 + 1400, below zero:
    // that one statement is refused and skipped, and the box is still moved
    // and widened with its height as it was.
    EXPECT_EQ(placeOf(window.Text), QRect(40, 160, 320, 30));
    EXPECT_TRUE(window.Visible());
}

// A window of 700 x 500 pixels scaled by 1: its text boxes keep their
// sizes up to the help window's 600 x 451 and are cut to 585 and 411 above.
class WideWindow : public forms::Form {
public:
    WideWindow() { design(); }
    forms::TextBox Text{*this};

private:
    void design() override { setClientSize(700, 500); }
};

TEST_F(ResizeFormTest, TextBoxesStayWithinTheHelpWindow) {
    struct Case {
        int width, height;
        int keptWidth, keptHeight;
    };
    const std::array<Case, 4> cases{{
        {600, 451, 600, 451},
        {601, 452, 585, 411},
        {599, 450, 599, 450},
        {700, 200, 585, 200},
    }};
    for (const Case& c : cases) {
        UnloadHelpWindow();
        WideWindow window;
        window.Text.Move(0, 0, static_cast<float>(c.width), static_cast<float>(c.height));
        ResizeForm(window, window.Width(), false);
        EXPECT_EQ(placeOf(window.Text).size(), QSize(c.keptWidth, c.keptHeight)) << c.width << " x " << c.height;
        // Asking the help window for its size loaded it, and its load showed it.
        EXPECT_TRUE(Form1::instance().Loaded());
        EXPECT_TRUE(Form1::instance().Visible());
    }
}

TEST_F(ResizeFormTest, CentringPlacesTheWindowInTheMiddleOfTheScreen) {
    ScaledWindow window;
    ResizeForm(window, 3600, true);
    EXPECT_EQ(window.Left(), (static_cast<float>(forms::ScreenWidth()) - 3600) * 0.5f);
    EXPECT_EQ(window.Top(), (static_cast<float>(forms::ScreenHeight()) - 1800) * 0.5f);
    EXPECT_TRUE(window.Visible());
}

TEST_F(ResizeFormTest, ARatioThatIsNoNumberChangesNothing) {
    ScaledWindow window;
    forms::widgetOf(window)->resize(0, 100);
    if (window.ScaleWidth() != 0) GTEST_SKIP() << "the window system gives no window of width 0";
    EXPECT_THROW(ResizeForm(window, 3200, false), std::domain_error);
    EXPECT_EQ(placeOf(window.Caption), QRect(10, 10, 30, 12));
    EXPECT_FALSE(window.Visible());
}

TEST_F(ResizeFormTest, AnOverflowingSizeChangesNothing) {
    // Taller than wide: the new height overflows before the ratio does; a
    // finite width can still be beyond any window.
    class TallWindow : public forms::Form {
    public:
        TallWindow() { setClientSize(100, 200); }
        forms::Label Caption{*this};
    };
    const float huge = std::numeric_limits<float>::max();
    for (float width : {huge, 1e12f, -1e12f, std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN()}) {
        TallWindow window;
        window.Caption.Move(10, 10, 30, 12);
        EXPECT_THROW(ResizeForm(window, width, false), std::overflow_error) << width;
        EXPECT_EQ(window.Width(), 1500);
        EXPECT_EQ(window.Height(), 3000);
        EXPECT_EQ(placeOf(window.Caption), QRect(10, 10, 30, 12));
        EXPECT_FALSE(window.Visible());
    }
}

}  // namespace
