// The main window: a borderless window cut to the outline of its skin, with
// the title-bar hot spots, the two panels of sound buttons, the hidden
// templates and icons, and the two players. Four machine modes (large or
// small, open or folded) each have a skin of their own.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cDIBSectionRegion.h"
#include "forms.h"
#include "media_player.h"

class frmTest : public forms::Form {
public:
    static frmTest& instance();  // the one main window, made on first use

    static constexpr int designWidth = 473;
    static constexpr int designHeight = 370;
    static constexpr int buttonSize = 19;

    // The program's command-line arguments as one text; "/D" asks for the
    // box of start-up paths.
    static inline std::string CommandLine;

    // How the help window and the sound-list window are unloaded; empty
    // while the program has no such window.
    static inline std::function<void()> unloadHelpWindow;
    static inline std::function<void()> unloadSoundList;
    // How the sound-list window is shown again after a rebuild; empty while
    // the program has no such window.
    static inline std::function<void()> showSoundList;

    // Title bar: caption-less hot spots over the keys painted on the skin,
    // the always-on-top LED and the two displays.
    forms::Label LblOnTop{*this};
    forms::PictureBox PicLed{*this};
    forms::Label LblSmallwin{*this};
    forms::Label lblTime{*this};
    forms::Label lblTitel{*this};
    forms::Label LblHelp{*this};
    forms::Label LblMin{*this};
    forms::Label Lblup{*this};
    forms::Label LblClose{*this};
    forms::Label lblSndLst{*this};

    forms::PictureBox Picture1{*this};  // large panel, buttons 1 to 75
    forms::PictureBox Picture2{*this};  // small panel, buttons 101 to 115
    forms::ControlArray<forms::Image> Image1;

    // The skins, never shown: the window's background and outline come
    // from them.
    forms::PictureBox picBackground{*this};
    forms::PictureBox picBgClosed{*this};
    forms::PictureBox picBackgroundSmal{*this};
    forms::PictureBox picClosedSmal{*this};

    forms::CommandButton cmdfokus{*this};

    forms::Image ImgEmpty{*this};
    forms::Image ImgReady{*this};
    forms::Image ImgOnAir{*this};
    forms::Image ImgListOnAir{*this};
    forms::Image ImgError{*this};
    forms::Image ImgTalkOver{*this};
    forms::Image zpmpic{*this};  // the program's icon
    forms::Image wrdpic{*this};  // the panic disguise's icon

    // The status tick: time, title, playlist advance, button pictures.
    forms::Timer Timer1{*this};

    // The fade-out of the main player, 20 ms a tick while it runs, with a
    // blinking button. A fade starts by writing that button's index into
    // the tag, then enabling the timer; the idle tag is FadeIdleTag. A start
    // during a fade only moves the blinking.
    static constexpr std::string_view FadeIdleTag = "9999";
    forms::Timer Timer2{*this};
    void Timer2_Timer();

    // 0 the main player; 1 the player for talk-over and jingles, made by
    // Form_Load. Throws std::out_of_range for a player that does not exist.
    media::MediaPlayer& wmp(int Index);

    void set_maschine();
    void create_smallWindow();
    void reset2default();
    void reset2small();
    void setTransparancy();
    // Writes every element's place to "formdata.txt" in the home folder.
    void printobjects();

private:
    frmTest();
    void design() override;
    void placeTitleBar();
    void placeButtons(forms::PictureBox& panel, int firstIndex, int columns, int rows);
    void placeTemplates();
    void placeSkins();
    void placeFadeTimer();

    void create_largeWindow();
    void create_largeClosedWindow();
    void create_smallClosedWindow();
    void shapeWindow(std::int16_t mode, forms::PictureBox& skin, const forms::PictureBox& openSkin);

    void closeSoundList();

    void restoreWindowPlace();
    void showStartupPaths();
    std::string elementName(const forms::Control& control);

    void Form_Load() override;
    void Form_Resize() override;
    void Form_KeyPress(int& KeyAscii) override;
    void Form_Unload(int& Cancel) override;

    void Image1_MouseDown(int Index, const forms::MouseEvent& event);
    void Image1_MouseUp(int Index, const forms::MouseEvent& event);
    void Image1_OLEDragDrop(int Index, const forms::DataObject& Data, const forms::MouseEvent& event);

    void Timer1_Timer();

    cDIBSectionRegion m_cRegion;
    std::array<std::optional<media::MediaPlayer>, 2> m_wmp;
};
