// The help window on the offscreen platform: its text in each language, the
// flags, and the ways to close it; and the scaling of a window and its
// elements that it is shown with.
#include <QAbstractScrollArea>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <functional>
#include <limits>

#include "Form1.h"
#include "soundboard_test_support.h"

namespace {

using namespace sbtest;
using std::tuple;

// The texts the window shows, kept as they must read in help_texts/ (CR LF line ends).
std::string helpText(std::string_view name) { return readFile(fs::path(ZPM_HELP_TEXTS) / name); }
const std::string German = helpText("german.txt"), English = helpText("english.txt"),
                  HeaderOnly = helpText("header_only.txt");
QRect placeOf(forms::Control& element) { return forms::widgetOf(element)->geometry(); }

class HelpWindow : public ::testing::Test {
protected:
    std::string savedLang = Zpm.sLang;
    Form1& help = Form1::instance();
    void SetUp() override { forms::startRuntime(); }
    void TearDown() override {
        UnloadHelpWindow();
        Zpm.sLang = savedLang;
    }
    void open(std::string_view lang) {
        Zpm.sLang = lang;
        help.Show();
    }
    std::string text() { return help.Text1.Text(); }
    void type(int key, const QString& text) { pressKey(key, text, forms::widgetOf(help.Text1)); }
};

// The flags' codes in any letter case; the window opens German only for exactly "de".
TEST_F(HelpWindow, TheTextOfEachCode) {
    const std::pair<std::string_view, std::string> codes[] = {
        {"de", German}, {"dE", German}, {"DE", German}, {"en", English}, {"eN", English}, {"", HeaderOnly}, {"FR", HeaderOnly},
        {"DE ", HeaderOnly},
    };
    for (const auto& [code, expected] : codes) {
        help.loadHelp(code);
        EXPECT_EQ(text(), expected) << "code \"" << code << "\"";
    }
    help.loadHelp();
    EXPECT_EQ(text(), "Zirpomat Version 8.5\r\n" + std::string(79, '-') + "\r\n");
    for (auto [lang, expected] : {std::pair{"de", German}, {"DE", English}, {"de_DE", English}}) {
        open(lang);
        EXPECT_EQ(text(), expected) << lang;
        UnloadHelpWindow();
    }
}

// The place and size it was drawn at, and the table's 79 characters within the text box beside its scroll bar.
TEST_F(HelpWindow, OpensShownAtItsPlaceWithTheTableInTheBox) {
    open("de");
    EXPECT_EQ(std::pair(help.Visible(), QRectF(help.Left(), help.Top(), help.Width(), help.Height())),
              std::pair(true, QRectF(1065, 900, 9000, 6765)));
    EXPECT_EQ(std::pair(placeOf(help.Text1), placeOf(help.Label2)), std::pair(QRect(8, 8, 585, 409), QRect(544, 424, 41, 17)));
    auto* edit = qobject_cast<QPlainTextEdit*>(forms::widgetOf(help.Text1));
    const qreal table = QFontMetricsF(edit->font()).horizontalAdvance(QString(79, QLatin1Char('-')));
    EXPECT_LE(table, edit->viewport()->width() - 2 * edit->document()->documentMargin());
}

// A flag replaces the whole text, typed text too, until the window closes.
TEST_F(HelpWindow, FlagsReplaceTheWholeTextUntilTheWindowCloses) {
    open("de");
    click(help.Image2);
    EXPECT_EQ(text(), English);
    type(Qt::Key_A, "a");
    click(help.Image1);
    EXPECT_EQ(text(), German);
    click(help.Image2);
    click(help.Label2);
    ASSERT_FALSE(help.Loaded());
    help.Show();
    EXPECT_EQ(text(), German);
}

TEST_F(HelpWindow, EscTheOkSpotAndBothDoubleClicksClose) {
    const auto textArea = [&] { return qobject_cast<QAbstractScrollArea*>(forms::widgetOf(help.Text1))->viewport(); };
    const std::pair<const char*, std::function<void()>> closes[] = {
        {"Esc", [&] { type(Qt::Key_Escape, "\x1b"); }},
        {"OK spot", [&] { click(help.Label2); }},
        {"background", [&] { sendMouseTo(forms::widgetOf(help), QEvent::MouseButtonDblClick, {100, 430}, Qt::LeftButton, Qt::LeftButton); }},
        {"text", [&] { sendMouseTo(textArea(), QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton); }},
    };
    for (const auto& [what, close] : closes) {
        open("en");
        type(Qt::Key_X, "x");  // other keys are typed
        EXPECT_EQ(std::pair(text().front(), text().substr(1)), std::pair('x', English)) << what;
        close();
        EXPECT_EQ(std::pair(help.Loaded(), help.Visible()), std::pair(false, false)) << what;
    }
}

// One element of each kind that has a rule, none of them overlapping: outer width 3000 twips, inner 200 pixels.
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
        Rule.setX1(5), Rule.setY1(80), Rule.setX2(45), Rule.setY2(90);
        Frame.Move(100, 60, 40, 20);
        Frame.setBorderWidth(3);
        Ticker.setInterval(500);
        Ticker.setEnabled(false);
        Caption.Move(10, 10, 30, 12);
        Picture.Move(50, 5, 16, 16);
    }
};
// A window of one element at this inner size.
template <class Element>
struct Bare : forms::Form {
    explicit Bare(int width, int height) { setClientSize(width, height); }
    Element element{*this};
};

using ResizeFormTest = HelpWindow;

// Its own width moves nothing, refreshes every element but a picture, and shows the window.
TEST_F(ResizeFormTest, TheOwnWidthMovesNothingRefreshesAndShows) {
    struct PaintCounter : QObject {
        std::map<QObject*, int> paints;
        bool eventFilter(QObject* watched, QEvent* event) override { return paints[watched] += event->type() == QEvent::Paint, false; }
    } counter;
    ScaledWindow window;
    window.Show();
    forms::DoEvents();
    const std::pair<forms::Control*, bool> elements[] = {
        {&window.Text, true}, {&window.Rule, true}, {&window.Frame, true}, {&window.Caption, true}, {&window.Picture, false}};
    for (const auto& [element, refreshed] : elements) forms::widgetOf(*element)->installEventFilter(&counter);
    counter.paints.clear();
    ResizeForm(window, window.Width(), false);
    EXPECT_EQ(std::tuple(window.Height(), window.Left(), placeOf(window.Caption), window.Rule.X2(), window.Frame.BorderWidth()),
              std::tuple(1500.f, 1500.f, QRect(10, 10, 30, 12), 45.f, 3));
    for (const auto& [element, refreshed] : elements) EXPECT_EQ(counter.paints[forms::widgetOf(*element)] > 0, refreshed);
    ScaledWindow hidden;
    ResizeForm(hidden, hidden.Width(), false);
    EXPECT_TRUE(hidden.Visible());
}

// The border counts as 2800 twips, so a width of 3600 gives the ratio 4 and the height (1500 - 1400) * 4 + 1400.
TEST_F(ResizeFormTest, AnotherWidthScalesEachKindByItsRuleAndCentres) {
    ScaledWindow window;
    ResizeForm(window, 3600, true);
    EXPECT_EQ(std::tuple(placeOf(window.Caption), placeOf(window.Picture), placeOf(window.Frame)),
              std::tuple(QRect(40, 40, 120, 48), QRect(200, 20, 64, 64), QRect(400, 240, 160, 80)));
    EXPECT_EQ(std::tuple(window.Frame.BorderWidth(), window.Rule.BorderWidth(), window.Ticker.Interval()), std::tuple(12, 4, 500));
    EXPECT_EQ(QRect(QPoint(window.Rule.X1(), window.Rule.Y1()), QPoint(window.Rule.X2(), window.Rule.Y2())),
              QRect(QPoint(20, 320), QPoint(180, 360)));
    // The text box's height would be (30 - 1400) * 4 + 1400, below zero: that statement alone is skipped.
    EXPECT_EQ(placeOf(window.Text), QRect(40, 160, 320, 30));
    const float left = (static_cast<float>(forms::ScreenWidth()) - 3600) * 0.5f;
    const float top = (static_cast<float>(forms::ScreenHeight()) - 1800) * 0.5f;
    EXPECT_EQ(tuple(window.Width(), window.Height(), window.Left(), window.Top(), window.Visible()),
              tuple(3600.f, 1800.f, left, top, true));
}

// Scaled by 1, text boxes keep their sizes up to the help window's 600 x 451 and are cut to 585 and 411 above;
// asking the help window for its size loads it.
TEST_F(ResizeFormTest, TextBoxesStayWithinTheHelpWindow) {
    const std::pair<QSize, QSize> cases[] = {
        {{600, 451}, {600, 451}}, {{601, 452}, {585, 411}}, {{599, 450}, {599, 450}}, {{700, 200}, {585, 200}}};
    for (const auto& [size, kept] : cases) {
        UnloadHelpWindow();
        Bare<forms::TextBox> window(700, 500);
        window.element.Move(0, 0, static_cast<float>(size.width()), static_cast<float>(size.height()));
        ResizeForm(window, window.Width(), false);
        EXPECT_EQ(placeOf(window.element).size(), kept) << size.width() << " x " << size.height();
        EXPECT_TRUE(Form1::instance().Visible());
    }
}

// A ratio that is no number, or a size beyond any window, changes nothing; taller than wide, the new
// height overflows before the width does.
TEST_F(ResizeFormTest, ImpossibleSizesChangeNothing) {
    ScaledWindow narrow;
    forms::widgetOf(narrow)->resize(0, 100);
    if (narrow.ScaleWidth() == 0) {
        EXPECT_THROW(ResizeForm(narrow, 3200, false), std::domain_error);
        EXPECT_EQ(std::pair(placeOf(narrow.Caption), narrow.Visible()), std::pair(QRect(10, 10, 30, 12), false));
    }
    for (float width : {2e8f, std::numeric_limits<float>::max(), 1e12f, -1e12f, std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN()}) {
        Bare<forms::Label> window(100, 200);
        window.element.Move(10, 10, 30, 12);
        EXPECT_THROW(ResizeForm(window, width, false), std::overflow_error) << width;
        EXPECT_EQ(std::tuple(window.Height(), placeOf(window.element), window.Visible()), std::tuple(3000.f, QRect(10, 10, 30, 12), false));
    }
}

}  // namespace
