// The main window: the two panels of sound buttons and the hidden state
// picture templates the buttons copy their pictures from.
#pragma once

#include "forms.h"

class frmTest : public forms::Form {
public:
    static frmTest& instance();  // the one main window, made on first use

    static constexpr int designWidth = 473;
    static constexpr int designHeight = 370;
    static constexpr int buttonSize = 19;

    forms::PictureBox Picture1{*this};  // large panel, buttons 1 to 75
    forms::PictureBox Picture2{*this};  // small panel, buttons 101 to 115
    forms::ControlArray<forms::Image> Image1;

    forms::Image ImgEmpty{*this};
    forms::Image ImgReady{*this};
    forms::Image ImgOnAir{*this};
    forms::Image ImgListOnAir{*this};
    forms::Image ImgError{*this};
    forms::Image ImgTalkOver{*this};

private:
    frmTest();
    void design() override;
    void placeButtons(forms::PictureBox& panel, int firstIndex, int columns, int rows);
    void placeTemplates();

    void Image1_MouseDown(int Index, const forms::MouseEvent& event);
    void Image1_MouseUp(int Index, const forms::MouseEvent& event);
    void Image1_OLEDragDrop(int Index, const forms::DataObject& Data, const forms::MouseEvent& event);
};
