// The sound-list window: a borderless skinned window under the main window
// that lists the buttons' sounds, or the entries of the running playlist,
// plays the row double-clicked, stops or fades out the main player, and
// closes by its close spot or Esc. It is filled and placed afresh at every
// load.
#pragma once

#include <cstdint>

#include "forms.h"

class Form2 : public forms::Form {
public:
    static Form2& instance();  // the one sound-list window, made on first use

    // The background's picture is stretched over it; its size is the window's.
    static constexpr int backgroundWidth = 293;
    static constexpr int backgroundHeight = 335;

    forms::Image imgListe{*this};
    forms::ListBox LstSounds{*this};
    forms::Label lblMove{*this};  // drag strip
    forms::Label lblStop{*this};
    forms::Label lblFade{*this};
    forms::Label LblClose{*this};
    forms::Timer Timer1{*this};  // the fade-out, one step every 20 ms

    // Mouse button times 10 plus the modifier keys of the last press on the
    // list: 14 is Alt with the left button, which fades out before a row
    // starts.
    std::int16_t iMouseCode = 0;

    // Hides and unloads the window; the caller keeps bSndListOpen.
    void Close();

private:
    Form2();
    void design() override;
    void place();
    void placeByMachine();
    void fill();
    bool stopWhatPlays();

    void Form_Load() override;
    void Form_KeyPress(int& KeyAscii) override;
    void LblClose_Click();
    void lblStop_Click();
    void lblFade_Click();
    void Timer1_Timer();
    void LstSounds_MouseDown(const forms::MouseEvent& event);
    void LstSounds_DblClick();

    // Counts the loads, so that a wait knows when its window was closed.
    unsigned m_loadCount = 0;
};
