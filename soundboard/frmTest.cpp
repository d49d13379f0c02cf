#include "frmTest.h"

#include <array>
#include <utility>

#include "asset_dir.h"

// Never destroyed: the window lives until the process ends, and Qt's own
// globals are gone before a static's destructor would run.
frmTest& frmTest::instance() {
    static frmTest* window = new frmTest;
    return *window;
}

frmTest::frmTest() { design(); }

void frmTest::design() {
    setClientSize(designWidth, designHeight);
    Picture1.Move(13, 34, 15 * buttonSize, 5 * buttonSize);
    Picture2.Move(13, 34, 5 * buttonSize, 3 * buttonSize);
    Picture2.setVisible(false);
    placeButtons(Picture1, 1, 15, 5);
    placeButtons(Picture2, 101, 5, 3);
    placeTemplates();
}

void frmTest::placeButtons(forms::PictureBox& panel, int firstIndex, int columns, int rows) {
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const int index = firstIndex + row * columns + column;
            forms::Image& button = Image1.Load(index, panel);
            button.Move(column * buttonSize, row * buttonSize, buttonSize, buttonSize);
            button.onMouseDown = [this, index](const forms::MouseEvent& e) { Image1_MouseDown(index, e); };
            button.onMouseUp = [this, index](const forms::MouseEvent& e) { Image1_MouseUp(index, e); };
            button.onDragDrop = [this, index](const forms::DataObject& data, const forms::MouseEvent& e) {
                Image1_OLEDragDrop(index, data, e);
            };
        }
    }
}

// The templates lie right of and below every skin's outline, so they are
// never seen while the window is shaped.
void frmTest::placeTemplates() {
    const std::array<std::pair<forms::Image*, const char*>, 6> templates{{
        {&ImgEmpty, "states/ImgEmpty.bmp"},
        {&ImgReady, "states/ImgReady.bmp"},
        {&ImgOnAir, "states/ImgOnAir.bmp"},
        {&ImgListOnAir, "states/ImgListOnAir.bmp"},
        {&ImgError, "states/ImgError.bmp"},
        {&ImgTalkOver, "states/ImgTalkOver.bmp"},
    }};
    int left = 320;
    for (auto& [image, file] : templates) {
        image->Move(left, 200, buttonSize, buttonSize);
        image->setPicture(gdi::loadPicture(platform::assetPath(file)));
        left += buttonSize + 4;
    }
}

void frmTest::Image1_MouseDown(int, const forms::MouseEvent&) {}
void frmTest::Image1_MouseUp(int, const forms::MouseEvent&) {}
void frmTest::Image1_OLEDragDrop(int, const forms::DataObject&, const forms::MouseEvent&) {}
