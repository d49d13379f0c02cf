#include <gtest/gtest.h>

#include <QWidget>
#include <filesystem>
#include <set>

#include "forms_qt.h"
#include "frmTest.h"

TEST(frmTest, ButtonsStandOnTheirPanelsByIndexAndTakeDrops) {
    frmTest& form = frmTest::instance();
    EXPECT_EQ(form.Image1.Count(), 90);
    struct Panel { int first, rows, columns; forms::PictureBox& box; };
    for (const Panel& p : {Panel{1, 5, 15, form.Picture1}, Panel{101, 3, 5, form.Picture2}})
        for (int i = 0; i < p.rows * p.columns; ++i) {
            QWidget* button = forms::widgetOf(form.Image1[p.first + i]);
            EXPECT_EQ(button->geometry(), QRect(i % p.columns * 19, i / p.columns * 19, 19, 19));
            EXPECT_TRUE(button->parentWidget() == forms::widgetOf(p.box) && button->acceptDrops()) << p.first + i;
        }
    for (int missing : {0, 76, 100, 116}) EXPECT_THROW(form.Image1[missing], std::out_of_range);
    EXPECT_TRUE(form.Image1[115].onMouseDown && form.Image1[115].onMouseUp && form.Image1[115].onDragDrop);
}

TEST(frmTest, TemplatesHoldTheSixStatePicturesOutsideTheSkins) {
    frmTest& form = frmTest::instance();
    std::set<std::vector<std::uint8_t>> pictures;
    for (const forms::Image* image : {&form.ImgEmpty, &form.ImgReady, &form.ImgOnAir, &form.ImgListOnAir, &form.ImgError, &form.ImgTalkOver}) {
        const gdi::Bitmap* bitmap = image->Picture().bitmap();
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(QSize(bitmap->width, bitmap->height), QSize(19, 19));
        EXPECT_TRUE(image->Left() >= 306 || image->Top() >= 151) << "the largest skin is 306 x 151";
        pictures.insert(bitmap->bits);
    }
    EXPECT_EQ(pictures.size(), 6u) << "six different pictures";
}

// In a process of its own: the main window is made once per process.
TEST(frmTest, MissingStatePicturesLeaveEmptyTemplates) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto empty = std::filesystem::temp_directory_path() / "zpm-forms-no-assets";
    std::filesystem::create_directories(empty);
    EXPECT_EXIT(
        {
            setenv("ZPM_ASSETS", empty.c_str(), 1);
            frmTest& form = frmTest::instance();
            form.Image1[1].setPicture(form.ImgReady.Picture());
            std::_Exit(form.ImgEmpty.Picture().empty() && form.ImgTalkOver.Picture().empty() && form.Image1[1].Picture().empty() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    std::filesystem::remove(empty);
}
