#include <QRect>
#include <map>
#include <regex>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

QRect placeOf(const forms::Control& control) { return forms::widgetOf(control)->geometry(); }

struct ModeCase {
    std::int16_t mode;
    const char* skin;
    const char* openSkin;  // the skin of the same machine, open
    bool large, open;
};

constexpr ModeCase modes[] = {
    {1, "skins/large_open.bmp", "skins/large_open.bmp", true, true},
    {2, "skins/large_folded.bmp", "skins/large_open.bmp", true, false},
    {3, "skins/small_open.bmp", "skins/small_open.bmp", false, true},
    {4, "skins/small_folded.bmp", "skins/small_open.bmp", false, false},
};

const gdi::Bitmap& skinBitmap(const char* file) {
    static std::map<std::string, gdi::Picture> loaded;
    gdi::Picture& picture = loaded[file];
    if (!picture.bitmap()) picture = gdi::loadPicture(platform::assetPath(file));
    return *picture.bitmap();
}

// Where the logo's letter is painted on a skin.
QRect letterBox(const char* skin) {
    const QImage image = forms::toImage(gdi::loadPicture(platform::assetPath(skin)));
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(255, 246, 236)) box |= QRect(x, y, 1, 1);
    return box;
}

class frmTestModes : public MainWindowTest {
protected:
    void TearDown() override {
        Zpm.iMaschineMode = 1;
        frmTest::instance().set_maschine();
        MainWindowTest::TearDown();
    }
};

TEST_F(frmTestModes, EachModeCutsTheWindowToItsSkinAndLaysOutItsMachine) {
    frmTest& form = frmTest::instance();
    for (const ModeCase& c : modes) {
        SCOPED_TRACE(c.mode);
        Zpm.bSndListOpen = true;
        const int unloadsBefore = soundListUnloads;
        Zpm.iMaschineMode = c.mode;
        form.set_maschine();

        const QRegion outline = outlineOf(c.skin);
        ASSERT_FALSE(outline.isEmpty());
        EXPECT_EQ(windowMask(), outline);
        EXPECT_EQ(Zpm.iMaschineMode, c.mode);
        EXPECT_EQ(soundListUnloads, unloadsBefore + 1);
        EXPECT_FALSE(Zpm.bSndListOpen);

        // The window keeps its size and shows the skin at its own size.
        EXPECT_EQ(window()->size(), QSize(473, 370));
        ASSERT_NE(form.Picture().bitmap(), nullptr);
        EXPECT_EQ(form.Picture().bitmap()->bits, skinBitmap(c.skin).bits);
        EXPECT_EQ(Zpm.lWinW, skinBitmap(c.openSkin).width);
        EXPECT_EQ(Zpm.lWinH, skinBitmap(c.openSkin).height);

        // One panel shows, the time display only on the large machine, and
        // the size switch names the other machine.
        const forms::PictureBox& panel = c.large ? form.Picture1 : form.Picture2;
        EXPECT_TRUE(panel.Visible());
        EXPECT_NE(form.Picture1.Visible(), form.Picture2.Visible());
        EXPECT_EQ(form.lblTime.Visible(), c.large);
        EXPECT_NE(form.LblSmallwin.ToolTipText().find(c.large ? "Klein" : "Gross"), std::string::npos);

        // Every title-bar hot spot and the on-top LED lie on the outline; the
        // panel and the sound-list hot spot only while the machine is open.
        for (const forms::Control* spot : std::initializer_list<const forms::Control*>{
                 &form.LblOnTop, &form.PicLed, &form.LblSmallwin, &form.LblHelp, &form.LblMin, &form.Lblup,
                 &form.LblClose})
            EXPECT_EQ(outline.intersected(placeOf(*spot)), QRegion(placeOf(*spot)));
        // A folded machine still shows its panel, yet cut away.
        for (const QRect place : {placeOf(panel), placeOf(form.lblSndLst)})
            EXPECT_EQ(outline.intersected(place) == QRegion(place), c.open);
        if (c.mode == 1) {
            for (const forms::Label* display : {&form.lblTime, &form.lblTitel})
                EXPECT_EQ(outline.intersected(placeOf(*display)), QRegion(placeOf(*display)));
        }
        // The sound-list hot spot covers the logo's badge, whose letter lies
        // two pixels inside it.
        if (c.open) {
            EXPECT_EQ(placeOf(form.lblSndLst), letterBox(c.skin).adjusted(-2, -2, 2, 2));
        }
    }
}

TEST_F(frmTestModes, ModeOutsideOneToFourOnlyClosesTheSoundList) {
    frmTest& form = frmTest::instance();
    Zpm.iMaschineMode = 3;
    form.set_maschine();
    const QRegion mask = windowMask();
    const QRect panel = placeOf(form.Picture2);
    Zpm.bSndListOpen = true;
    soundListUnloads = 0;
    Zpm.lWinW = 5;  // untouched by a mode that applies nothing
    Zpm.lWinH = 6;
    Zpm.iMaschineMode = 7;
    form.set_maschine();
    EXPECT_EQ(Zpm.iMaschineMode, 7);
    EXPECT_EQ(windowMask(), mask);
    EXPECT_EQ(form.Picture().bitmap()->height, 109);
    EXPECT_EQ(placeOf(form.Picture2), panel);
    EXPECT_TRUE(form.Picture2.Visible());
    EXPECT_FALSE(form.lblTime.Visible());
    EXPECT_EQ(Zpm.lWinW, 5);
    EXPECT_EQ(Zpm.lWinH, 6);
    EXPECT_EQ(soundListUnloads, 1);
    EXPECT_FALSE(Zpm.bSndListOpen);

    // A closed sound list is not unloaded again.
    form.set_maschine();
    EXPECT_EQ(soundListUnloads, 1);
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

TEST_F(frmTestModes, SkinThatDidNotLoadLeavesTheWindowWhole) {
    frmTest& form = frmTest::instance();
    Zpm.iMaschineMode = 1;
    form.set_maschine();
    ASSERT_FALSE(windowMask().isEmpty());

    ShapeRecorder shapes;
    form.picBackground.setPicture(gdi::Picture());
    form.set_maschine();
    // The outline is taken off, not replaced by an empty one.
    EXPECT_FALSE(shapes.last.has_value());
    EXPECT_TRUE(windowMask().isEmpty());
    EXPECT_EQ(Zpm.iMaschineMode, 1);
    EXPECT_EQ(Zpm.lWinW, 306);

    form.picBgClosed.setPicture(gdi::Picture());
    Zpm.iMaschineMode = 2;
    form.set_maschine();
    EXPECT_TRUE(windowMask().isEmpty());

    form.picBackground.setPicture(gdi::loadPicture(platform::assetPath("skins/large_open.bmp")));
    form.picBgClosed.setPicture(gdi::loadPicture(platform::assetPath("skins/large_folded.bmp")));
    Zpm.iMaschineMode = 1;
    form.set_maschine();
    EXPECT_EQ(windowMask(), outlineOf("skins/large_open.bmp"));
}

// The element dump: one record per element, a timer's without its size.
TEST_F(frmTestModes, PrintobjectsWritesEveryElementsPlaceToTheHomeFolder) {
    ScopedEnv home("HOME", temp.path().string());
    frmTest& form = frmTest::instance();
    Zpm.iMaschineMode = 4;
    form.set_maschine();
    form.printobjects();
    const std::string dump = readFile(temp.path() / "formdata.txt");
    const std::regex record("Name=(\\w+);Top=-?[\\d.]+;Left=-?[\\d.]+;(Height=[\\d.]+;Width=[\\d.]+\\|\r\n)?\r\n");
    std::size_t records = 0, buttons = 0, length = 0;
    for (auto it = std::sregex_iterator(dump.begin(), dump.end(), record); it != std::sregex_iterator(); ++it) {
        ++records;
        buttons += (*it)[1] == "Image1";
        length += it->length();
        EXPECT_EQ((*it)[2].matched, !std::string((*it)[1]).starts_with("Timer")) << it->str();
    }
    EXPECT_EQ(length, dump.size());
    EXPECT_EQ(records, form.Controls().size());
    EXPECT_EQ(buttons, 90u);
    EXPECT_EQ(dump.find("Name=LblOnTop;Top=8;Left=9;Height=10;Width=33|\r\n\r\n"), 0u);
    // A button's place is inside its panel.
    EXPECT_NE(dump.find("Name=Image1;Top=38;Left=76;Height=19;Width=19|"), std::string::npos);

    // Without a home folder it can write to, nothing is written and nothing fails.
    ScopedEnv nowhere("HOME", (temp.path() / "missing").string());
    form.printobjects();
    EXPECT_FALSE(fs::exists(temp.path() / "missing"));
}

}  // namespace
