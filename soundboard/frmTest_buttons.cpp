// The sound buttons' events and the status tick, handed to the program
// module.
#include <vector>

#include "ModZPM.h"
#include "frmTest.h"

void frmTest::Image1_MouseDown(int Index, const forms::MouseEvent& event) {
    auto index = static_cast<std::int16_t>(Index);
    auto button = static_cast<std::int16_t>(event.Button);
    auto shift = static_cast<std::int16_t>(event.Shift);
    ButtonAction(index, button, shift);
}

void frmTest::Image1_MouseUp(int Index, const forms::MouseEvent& event) { ShowReleasedButton(Index, event.Shift); }

void frmTest::Image1_OLEDragDrop(int Index, const forms::DataObject& Data, const forms::MouseEvent&) {
    if (!Data.GetFormat(forms::vbCFFiles)) {
        forms::MsgBox("Falsches Format - Erwarte Dateiname", forms::vbOKOnly, "Fehler");
        return;
    }
    std::vector<std::string> files;
    for (int i = 1; i <= Data.FileCount(); ++i) files.push_back(Data.File(i));
    DropFiles(Index, files);
}

void frmTest::Timer1_Timer() { StatusTick(); }
void frmTest::Timer2_Timer() { FadeTimerTick(); }
