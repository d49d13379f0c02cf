// The main window: a borderless window cut to the outline of its skin, with
// the title-bar hot spots, the two panels of sound buttons, the hidden
// templates and icons, and the two players. Four machine modes (large or
// small, open or folded) each have a skin of their own. What a press, a
// drop or a tick means is decided by the program module; the window shows.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "ZpmWindow.h"
#include "cDIBSectionRegion.h"
#include "forms.h"
#include "media_player.h"

struct MachineLayout;

class frmTest : public forms::Form, public ZpmWindow {
public:
    static frmTest& instance();  // the one main window, made on first use

    static constexpr int designWidth = 473;
    static constexpr int designHeight = 370;
    static constexpr int buttonSize = 19;

    // What the program sets from outside: the command line and how the
    // other windows are shown and unloaded (empty while there is none).
    struct Links {
        std::string CommandLine;  // the arguments as one text; "/D" asks for the start-up paths
        std::function<void()> showHelpWindow;
        std::function<void()> unloadHelpWindow;
        std::function<void()> unloadSoundList;
        std::function<void()> showSoundList;
    };
    static inline Links links;

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
    // The fade-out of the main player, 20 ms a tick while a fade runs.
    forms::Timer Timer2{*this};

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

    // ZpmWindow
    bool HasButton(int index) const override;
    std::string ButtonToolTip(int index) const override;
    void SetButtonToolTip(int index, std::string_view text) override;
    std::string ButtonTag(int index) const override;
    void SetButtonTag(int index, std::string_view tag) override;
    void ShowButton(int index, ButtonPicture picture) override;
    void RefreshButton(int index) override;
    void SetTitleText(std::string_view text) override;
    void SetTitleCentred(bool centred) override;
    void ShowLoading() override;
    std::string TimeText() const override;
    void SetTimeText(std::string_view text) override;
    void SetCaption(std::string_view text) override;
    bool Minimised() const override;
    std::string FadeTag() const override;
    void SetFadeTag(std::string_view tag) override;
    void SetFadeEnabled(bool enabled) override;
    media::MediaPlayer& Player(int index) override;
    void UnloadSoundList() override;
    void ShowSoundList() override;

    // The template image whose picture a button shows for a state.
    const forms::Image& stateImage(ButtonPicture picture) const;

private:
    frmTest();
    void design() override;
    void placeTitleBar();
    void placeButtons(forms::PictureBox& panel, int firstIndex, int columns, int rows);
    void placeTemplates();
    void placeSkins();
    void applyLayout(const MachineLayout& layout);

    void create_largeWindow();
    void create_largeClosedWindow();
    void create_smallClosedWindow();
    void shapeWindow(std::int16_t mode, forms::PictureBox& skin, const forms::PictureBox& openSkin);
    void takeOpenSkinSize(const forms::PictureBox& holder);

    void closeSoundList();
    void unloadHelpWindow();

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
    void Timer2_Timer();

    // What each button was last given: the template's picture and the copy
    // the button made of it, so that showing the same state again costs
    // nothing while neither has been replaced since.
    struct ShownPicture {
        gdi::Handle fromTemplate, onButton;
    };
    std::map<int, ShownPicture> m_shown;
    cDIBSectionRegion m_cRegion;
    std::array<std::optional<media::MediaPlayer>, 2> m_wmp;

    // --- title bar, always-on-top and dragging (frmTest_titlebar.cpp) ---
public:
    // The two always-on-top switches, independent of each other: the LED
    // key and a right press on the time display.
    struct OnTopSwitches {
        bool bOnTop;
        bool bTimeOnTop;
    };
    static inline OnTopSwitches onTop{};  // both off

private:
    void wireTitleBar();  // hands the hot spots' events to their handlers
    bool flipOnTop(bool& on);
    void LblOnTop_Click();
    void lblTime_MouseDown(const forms::MouseEvent& event);
    void LblSmallwin_Click();
    void Lblup_Click();
    void LblMin_Click();
    void LblClose_Click();
    void LblHelp_Click();
    void lblSndLst_Click();
    void Form_MouseDown(const forms::MouseEvent& event) override;
};
