// The four machines on the real main window: the outline cut from each
// skin, the panel and displays each one shows, and the element dump.
#include <QRect>
#include <regex>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

QRect placeOf(const forms::Control& control) { return forms::widgetOf(control)->geometry(); }
bool inside(const QRegion& outline, const forms::Control& control) {
    return outline.intersected(placeOf(control)) == QRegion(placeOf(control));
}

class frmTestModes : public MainWindowTest {
protected:
    void TearDown() override {
        Zpm.iMaschineMode = 1;
        frmTest::instance().set_maschine();
        MainWindowTest::TearDown();
    }
    void apply(std::int16_t mode) {
        Zpm.iMaschineMode = mode;
        frmTest::instance().set_maschine();
    }
};

TEST_F(frmTestModes, EachModeCutsTheWindowToItsSkinAndLaysOutItsMachine) {
    struct ModeCase {
        std::int16_t mode;
        const char* skin;
        bool large, open;
        long openWidth;
    };
    frmTest& form = frmTest::instance();
    for (const ModeCase& c : {ModeCase{1, "skins/large_open.bmp", true, true, 306},
                              ModeCase{2, "skins/large_folded.bmp", true, false, 306},
                              ModeCase{3, "skins/small_open.bmp", false, true, 123},
                              ModeCase{4, "skins/small_folded.bmp", false, false, 123}}) {
        SCOPED_TRACE(c.mode);
        Zpm.bSndListOpen = true;
        soundListUnloads = 0;
        apply(c.mode);
        const QRegion outline = outlineOf(c.skin);
        ASSERT_FALSE(outline.isEmpty());
        EXPECT_EQ(windowMask(), outline);
        EXPECT_EQ(soundListUnloads, 1);
        EXPECT_FALSE(Zpm.bSndListOpen);
        EXPECT_EQ(window()->size(), QSize(473, 370));
        EXPECT_TRUE(samePicture(form.Picture(), gdi::loadPicture(platform::assetPath(c.skin))));
        EXPECT_EQ(Zpm.lWinW, c.openWidth);
        // One panel shows, the time display only on the large machine, and
        // the size switch names the other machine.
        const forms::PictureBox& panel = c.large ? form.Picture1 : form.Picture2;
        EXPECT_TRUE(panel.Visible());
        EXPECT_NE(form.Picture1.Visible(), form.Picture2.Visible());
        EXPECT_EQ(form.lblTime.Visible(), c.large);
        EXPECT_NE(form.LblSmallwin.ToolTipText().find(c.large ? "Klein" : "Gross"), std::string::npos);
        // Every title-bar spot lies on the outline; the panel and the
        // sound-list spot only while the machine is open.
        for (const forms::Control* spot : std::initializer_list<const forms::Control*>{
                 &form.LblOnTop, &form.PicLed, &form.LblSmallwin, &form.LblHelp, &form.LblMin, &form.Lblup,
                 &form.LblClose})
            EXPECT_TRUE(inside(outline, *spot));
        EXPECT_EQ(inside(outline, panel), c.open);
        EXPECT_EQ(inside(outline, form.lblSndLst), c.open);
        if (c.mode == 1) {
            EXPECT_TRUE(inside(outline, form.lblTime) && inside(outline, form.lblTitel));
        }
    }

    // A mode outside one to four only closes an open sound list.
    apply(3);
    const QRegion mask = windowMask();
    Zpm.bSndListOpen = true;
    soundListUnloads = 0;
    Zpm.lWinW = 5;
    apply(7);
    EXPECT_EQ(windowMask(), mask);
    EXPECT_TRUE(form.Picture2.Visible());
    EXPECT_FALSE(form.lblTime.Visible());
    EXPECT_EQ(Zpm.lWinW, 5);
    EXPECT_FALSE(Zpm.bSndListOpen);
    form.set_maschine();
    EXPECT_EQ(soundListUnloads, 1);  // a closed sound list is not unloaded again
}

// Passes every shape on to the real window and keeps the last one given.
class ShapeRecorder : public gdi::WindowHost {
public:
    ShapeRecorder() : m_real(gdi::windowHost()) { gdi::setWindowHost(this); }
    ShapeRecorder(const ShapeRecorder&) = delete;
    ShapeRecorder& operator=(const ShapeRecorder&) = delete;
    ~ShapeRecorder() override { gdi::setWindowHost(m_real); }
    bool setWindowShape(gdi::WindowHandle window, const std::optional<std::vector<gdi::Rect>>& shape,
                        bool redraw) override {
        last = shape;
        return m_real->setWindowShape(window, shape, redraw);
    }
    bool setClipboardBitmap(const gdi::Bitmap& bitmap) override { return m_real->setClipboardBitmap(bitmap); }
    void showMessage(std::string_view text) override { m_real->showMessage(text); }
    std::optional<std::vector<gdi::Rect>> last{std::vector<gdi::Rect>{}};

private:
    gdi::WindowHost* m_real;
};

// A skin that did not load takes the outline off instead of an empty one.
TEST_F(frmTestModes, SkinThatDidNotLoadLeavesTheWindowWhole) {
    frmTest& form = frmTest::instance();
    apply(1);
    ShapeRecorder shapes;
    form.picBackground.setPicture(gdi::Picture());
    apply(1);
    EXPECT_FALSE(shapes.last.has_value());
    EXPECT_TRUE(windowMask().isEmpty());
    EXPECT_EQ(Zpm.lWinW, 306);
    form.picBackground.setPicture(gdi::loadPicture(platform::assetPath("skins/large_open.bmp")));
    apply(1);
    EXPECT_EQ(windowMask(), outlineOf("skins/large_open.bmp"));
}

// One record per element, a timer's without its size, in the home folder.
TEST_F(frmTestModes, PrintobjectsWritesEveryElementsPlaceToTheHomeFolder) {
    ScopedEnv home("HOME", temp.path().string());
    frmTest& form = frmTest::instance();
    apply(4);
    form.printobjects();
    const std::string dump = readFile(temp.path() / "formdata.txt");
    const std::regex record("Name=(\\w+);Top=-?[\\d.]+;Left=-?[\\d.]+;(Height=[\\d.]+;Width=[\\d.]+\\|\r\n)?\r\n");
    std::size_t records = 0, length = 0;
    for (auto it = std::sregex_iterator(dump.begin(), dump.end(), record); it != std::sregex_iterator(); ++it) {
        ++records;
        length += it->length();
        EXPECT_EQ((*it)[2].matched, !std::string((*it)[1]).starts_with("Timer")) << it->str();
    }
    EXPECT_EQ(length, dump.size());
    EXPECT_EQ(records, form.Controls().size());
    EXPECT_NE(dump.find("Name=Image1;Top=38;Left=76;Height=19;Width=19|"), std::string::npos);

    ScopedEnv nowhere("HOME", (temp.path() / "missing").string());
    form.printobjects();  // nothing written, nothing fails
    EXPECT_FALSE(fs::exists(temp.path() / "missing"));
}

}  // namespace
