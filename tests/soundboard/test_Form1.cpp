// The help window on the offscreen platform: its text in each language
// against the texts kept in help_texts/, the flags, and the ways to close it.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "Form1.h"
#include "ModZPM.h"
#include "forms_qt.h"

namespace {

std::string helpText(std::string_view name) {
    const auto file = std::filesystem::path(__FILE__).parent_path() / "help_texts" / name;
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void sendMouse(QWidget* widget, QEvent::Type type, QPoint at = {5, 5}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void click(forms::Control& element) {
    sendMouse(forms::widgetOf(element), QEvent::MouseButtonPress);
    sendMouse(forms::widgetOf(element), QEvent::MouseButtonRelease);
}

QWidget* textArea(Form1& help) { return qobject_cast<QAbstractScrollArea*>(forms::widgetOf(help.Text1))->viewport(); }

void typeKey(QWidget* focused, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(focused, &press);
}

class HelpWindowTest : public ::testing::Test {
protected:
    std::string savedLang = Zpm.sLang;
    Form1& help = Form1::instance();

    void SetUp() override { forms::startRuntime(); }
    void TearDown() override {
        UnloadHelpWindow();
        Zpm.sLang = savedLang;
    }

    Form1& open(std::string_view lang) {
        Zpm.sLang = lang;
        help.Show();
        return help;
    }
};

TEST_F(HelpWindowTest, TheTextOfEachCode) {
    const std::string german = helpText("german.txt");
    const std::string english = helpText("english.txt");
    const std::string headerOnly = helpText("header_only.txt");
    ASSERT_FALSE(german.empty());
    const std::array<std::pair<std::string_view, const std::string*>, 11> cases{{
        {"de", &german},
        {"De", &german},
        {"dE", &german},
        {"DE", &german},
        {"en", &english},
        {"En", &english},
        {"eN", &english},
        {"EN", &english},
        {"", &headerOnly},
        {"FR", &headerOnly},
        {"DE ", &headerOnly},
    }};
    for (const auto& [code, expected] : cases) {
        help.loadHelp(code);
        EXPECT_EQ(help.Text1.Text(), *expected) << "code \"" << code << "\"";
    }
    help.loadHelp("DE");
    help.loadHelp();
    EXPECT_EQ(help.Text1.Text(), headerOnly);
}

TEST_F(HelpWindowTest, OpensInGermanOnlyForExactlyDe) {
    for (auto [lang, expected] : {std::pair{"de", "german.txt"}, {"DE", "english.txt"}, {"de_DE", "english.txt"},
                                  {"en_GB.UTF-8", "english.txt"}}) {
        open(lang);
        EXPECT_EQ(help.Text1.Text(), helpText(expected)) << lang;
        UnloadHelpWindow();
    }
}

TEST_F(HelpWindowTest, OpensShownAtItsDesignPlaceAndSize) {
    open("de");
    EXPECT_TRUE(help.Loaded());
    EXPECT_TRUE(help.Visible());
    EXPECT_EQ(help.Left(), 1065);
    EXPECT_EQ(help.Top(), 900);
    EXPECT_EQ(help.Width(), 9000);
    EXPECT_EQ(help.Height(), 6765);
    const QRect text = forms::widgetOf(help.Text1)->geometry();
    EXPECT_EQ(text, QRect(8, 8, 585, 409));
    EXPECT_EQ(forms::widgetOf(help.Label2)->geometry(), QRect(544, 424, 41, 17));
}

// The table's 79 characters fit the box beside its scroll bar in the font
// that stands in for Courier New.
TEST_F(HelpWindowTest, TheTableFitsTheTextBox) {
    open("de");
    auto* edit = qobject_cast<QPlainTextEdit*>(forms::widgetOf(help.Text1));
    EXPECT_EQ(QFontInfo(edit->font()).family(), "Liberation Mono");
    EXPECT_TRUE(QFontInfo(edit->font()).fixedPitch());
    const qreal tableWidth = QFontMetricsF(edit->font()).horizontalAdvance(QString(79, QLatin1Char('-')));
    const qreal room = edit->viewport()->width() - 2 * edit->document()->documentMargin();
    EXPECT_LE(tableWidth, room);
}

TEST_F(HelpWindowTest, FlagsReplaceTheWholeText) {
    open("de");
    click(help.Image2);
    EXPECT_EQ(help.Text1.Text(), helpText("english.txt"));
    click(help.Image2);
    EXPECT_EQ(help.Text1.Text(), helpText("english.txt"));
    click(help.Image1);
    EXPECT_EQ(help.Text1.Text(), helpText("german.txt"));
    // Typed text goes with the next rebuild.
    typeKey(forms::widgetOf(help.Text1), Qt::Key_A, "a");
    click(help.Image1);
    EXPECT_EQ(help.Text1.Text(), helpText("german.txt"));

    // The choice lasts until the window closes.
    click(help.Image2);
    click(help.Label2);
    EXPECT_FALSE(help.Loaded());
    help.Show();
    EXPECT_EQ(help.Text1.Text(), helpText("german.txt"));
}

TEST_F(HelpWindowTest, EscInTheTextBoxClosesOtherKeysAreTyped) {
    open("en");
    QWidget* edit = forms::widgetOf(help.Text1);
    edit->setFocus();
    typeKey(edit, Qt::Key_X, "x");
    EXPECT_TRUE(help.Loaded());
    EXPECT_EQ(help.Text1.Text(), "x" + helpText("english.txt"));
    typeKey(edit, Qt::Key_Escape, "\x1b");
    EXPECT_FALSE(help.Loaded());
    EXPECT_FALSE(help.Visible());
}

TEST_F(HelpWindowTest, TheOkSpotAndBothDoubleClicksClose) {
    struct Case {
        const char* what;
        std::function<void(Form1&)> act;
    };
    const std::array<Case, 3> cases{{
        {"OK spot", [](Form1& w) { click(w.Label2); }},
        {"background", [](Form1& w) { sendMouse(forms::widgetOf(w), QEvent::MouseButtonDblClick, {100, 430}); }},
        {"text", [](Form1& w) { sendMouse(textArea(w), QEvent::MouseButtonDblClick); }},
    }};
    for (const Case& c : cases) {
        open("de");
        c.act(help);
        EXPECT_FALSE(help.Loaded()) << c.what;
        EXPECT_FALSE(help.Visible()) << c.what;
        // A fresh load afterwards.
        open("de");
        EXPECT_EQ(help.Text1.Text(), helpText("german.txt")) << c.what;
        UnloadHelpWindow();
    }
}

}  // namespace
