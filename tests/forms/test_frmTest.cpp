#include <gtest/gtest.h>

#include <QWidget>
#include <cstdlib>
#include <filesystem>

#include "forms_qt.h"
#include "frmTest.h"

namespace {

TEST(frmTest, ButtonsStandOnTheirPanelsByIndex) {
    frmTest& form = frmTest::instance();
    EXPECT_EQ(&form, &frmTest::instance());
    EXPECT_FLOAT_EQ(form.ScaleWidth(), 473);
    EXPECT_FLOAT_EQ(form.ScaleHeight(), 370);
    EXPECT_EQ(forms::widgetOf(form.Picture1)->geometry(), QRect(13, 34, 285, 95));
    EXPECT_EQ(forms::widgetOf(form.Picture2)->geometry(), QRect(13, 34, 95, 57));

    EXPECT_EQ(form.Image1.Count(), 90);
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 15; ++column) {
            QWidget* button = forms::widgetOf(form.Image1[row * 15 + column + 1]);
            EXPECT_EQ(button->parentWidget(), forms::widgetOf(form.Picture1));
            EXPECT_EQ(button->geometry(), QRect(column * 19, row * 19, 19, 19));
        }
    }
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 5; ++column) {
            QWidget* button = forms::widgetOf(form.Image1[100 + row * 5 + column + 1]);
            EXPECT_EQ(button->parentWidget(), forms::widgetOf(form.Picture2));
            EXPECT_EQ(button->geometry(), QRect(column * 19, row * 19, 19, 19));
        }
    }
    for (int missing : {0, 76, 100, 116}) EXPECT_THROW(form.Image1[missing], std::out_of_range);

    // Every button takes drops; its handlers are wired to the window.
    EXPECT_TRUE(forms::widgetOf(form.Image1[75])->acceptDrops());
    EXPECT_TRUE(form.Image1[115].onMouseDown && form.Image1[115].onMouseUp && form.Image1[115].onDragDrop);
}

TEST(frmTest, TemplatesHoldTheSixStatePicturesOutsideTheSkins) {
    frmTest& form = frmTest::instance();
    const forms::Image* templates[] = {&form.ImgEmpty, &form.ImgReady, &form.ImgOnAir,
                                       &form.ImgListOnAir, &form.ImgError, &form.ImgTalkOver};
    for (const forms::Image* image : templates) {
        const gdi::Bitmap* bitmap = image->Picture().bitmap();
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(bitmap->width, 19);
        EXPECT_EQ(bitmap->height, 19);
        // Largest skin: 306 x 151 from the top-left corner.
        EXPECT_TRUE(image->Left() >= 306 || image->Top() >= 151);
        for (const forms::Image* other : templates) {
            if (other != image) {
                EXPECT_NE(bitmap->bits, other->Picture().bitmap()->bits);
            }
        }
    }
    // A button shows a copy: the template keeps its own picture.
    form.Image1[7].setPicture(form.ImgOnAir.Picture());
    EXPECT_EQ(form.Image1[7].Picture().bitmap()->bits, form.ImgOnAir.Picture().bitmap()->bits);
    EXPECT_NE(form.Image1[7].Picture().handle(), form.ImgOnAir.Picture().handle());
}

// Run in a fresh process of its own: the main window is made once per process.
TEST(frmTest, MissingStatePicturesLeaveEmptyTemplates) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto empty = std::filesystem::temp_directory_path() / "zpm-forms-no-assets";
    std::filesystem::create_directories(empty);
    EXPECT_EXIT(
        {
            setenv("ZPM_ASSETS", empty.c_str(), 1);
            frmTest& form = frmTest::instance();
            form.Image1[1].setPicture(form.ImgReady.Picture());
            const bool allEmpty = form.ImgEmpty.Picture().empty() && form.ImgTalkOver.Picture().empty() &&
                                  form.Image1[1].Picture().empty();
            std::_Exit(allEmpty ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    std::filesystem::remove(empty);
}

}  // namespace
