// The help window on the offscreen platform: its text in each language
// against the texts kept in help_texts/, the flags, and the ways to close it.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "Form1.h"
#include "ModZPM.h"
#include "forms_qt.h"

namespace {

std::string helpText(std::string_view name) {
    std::ifstream in(std::filesystem::path(__FILE__).parent_path() / "help_texts" / name, std::ios::binary);
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
    void open(std::string_view lang) {
        Zpm.sLang = lang;
        help.Show();
    }
    std::string text() { return help.Text1.Text(); }
};

// The flags' codes in any letter case; the window opens German only for exactly "de".
TEST_F(HelpWindowTest, TheTextOfEachCode) {
    const std::pair<std::string_view, const char*> codes[] = {
        {"de", "german.txt"},     {"dE", "german.txt"}, {"DE", "german.txt"},       {"en", "english.txt"},
        {"eN", "english.txt"},    {"", "header_only.txt"}, {"FR", "header_only.txt"}, {"DE ", "header_only.txt"},
    };
    ASSERT_FALSE(helpText("german.txt").empty());
    for (const auto& [code, expected] : codes) {
        help.loadHelp(code);
        EXPECT_EQ(text(), helpText(expected)) << "code \"" << code << "\"";
    }
    help.loadHelp();
    EXPECT_EQ(text(), helpText("header_only.txt"));
    for (auto [lang, expected] : {std::pair{"de", "german.txt"}, {"DE", "english.txt"}, {"de_DE", "english.txt"}}) {
        open(lang);
        EXPECT_EQ(text(), helpText(expected)) << lang;
        UnloadHelpWindow();
    }
}

// The place and size it was drawn at, and the table's 79 characters within
// the text box beside its scroll bar.
TEST_F(HelpWindowTest, OpensShownAtItsPlaceWithTheTableInTheBox) {
    open("de");
    EXPECT_TRUE(help.Visible());
    EXPECT_EQ(QRectF(help.Left(), help.Top(), help.Width(), help.Height()), QRectF(1065, 900, 9000, 6765));
    EXPECT_EQ(forms::widgetOf(help.Text1)->geometry(), QRect(8, 8, 585, 409));
    EXPECT_EQ(forms::widgetOf(help.Label2)->geometry(), QRect(544, 424, 41, 17));
    auto* edit = qobject_cast<QPlainTextEdit*>(forms::widgetOf(help.Text1));
    const qreal table = QFontMetricsF(edit->font()).horizontalAdvance(QString(79, QLatin1Char('-')));
    EXPECT_LE(table, edit->viewport()->width() - 2 * edit->document()->documentMargin());
}

TEST_F(HelpWindowTest, FlagsReplaceTheWholeTextUntilTheWindowCloses) {
    open("de");
    click(help.Image2);
    EXPECT_EQ(text(), helpText("english.txt"));
    typeKey(forms::widgetOf(help.Text1), Qt::Key_A, "a");  // typed text goes with the next rebuild
    click(help.Image1);
    EXPECT_EQ(text(), helpText("german.txt"));
    click(help.Image2);
    click(help.Label2);
    EXPECT_FALSE(help.Loaded());
    help.Show();
    EXPECT_EQ(text(), helpText("german.txt"));
}

TEST_F(HelpWindowTest, EscTheOkSpotAndBothDoubleClicksClose) {
    const auto textArea = [&] { return qobject_cast<QAbstractScrollArea*>(forms::widgetOf(help.Text1))->viewport(); };
    const std::pair<const char*, std::function<void()>> closes[] = {
        {"Esc", [&] { typeKey(forms::widgetOf(help.Text1), Qt::Key_Escape, "\x1b"); }},
        {"OK spot", [&] { click(help.Label2); }},
        {"background", [&] { sendMouse(forms::widgetOf(help), QEvent::MouseButtonDblClick, {100, 430}); }},
        {"text", [&] { sendMouse(textArea(), QEvent::MouseButtonDblClick); }},
    };
    for (const auto& [what, close] : closes) {
        open("en");
        typeKey(forms::widgetOf(help.Text1), Qt::Key_X, "x");  // other keys are typed
        EXPECT_EQ(text(), "x" + helpText("english.txt")) << what;
        close();
        EXPECT_FALSE(help.Loaded()) << what;
        EXPECT_FALSE(help.Visible()) << what;
    }
}

}  // namespace
