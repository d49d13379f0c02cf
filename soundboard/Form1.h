// The help window: the usage text and the table of key and mouse bindings
// in German or English, in a scrolling text box over the help artwork. Two
// flags switch the language; the OK spot, Esc or a double-click close it,
// and a press on the background drags it.
#pragma once

#include <string>
#include <string_view>

#include "forms.h"

class Form1 : public forms::Form {
public:
    static Form1& instance();  // the one help window, made on first use

    static constexpr int designWidth = 600;
    static constexpr int designHeight = 451;

    forms::TextBox Text1{*this};
    forms::Image Image1{*this};  // German flag
    forms::Image Image2{*this};  // Union flag
    forms::Label Label2{*this};  // the OK spot over the artwork's button

    // Rebuilds the whole text for the language code ("DE" or "EN" in any
    // letter case; any other code gives the version line and a rule only).
    void loadHelp(std::string_view code = {});

private:
    Form1();
    void design() override;

    void Form_Load() override;
    void Form_KeyPress(int& KeyAscii) override;
    void Form_DblClick() override;
    void Form_MouseDown(const forms::MouseEvent& event) override;
    void Image1_Click();
    void Image2_Click();
    void Label2_Click();
    void Text1_DblClick();
    void HideAndUnload();

    std::string hlpstr;
};

// Unloads the help window when it is loaded; nothing when it never was made.
void UnloadHelpWindow();
