// What the program module needs of the main window, and the main window
// implements: the sound buttons' pictures, tooltips and tags, the two
// displays, the caption, the players and the sound-list window. The module
// decides; the window only shows.
#pragma once

#include <string>
#include <string_view>

#include "media_player.h"

// The six state pictures a sound button can show.
enum class ButtonPicture { Empty, Ready, OnAir, ListOnAir, Error, TalkOver };

class ZpmWindow {
public:
    virtual ~ZpmWindow() = default;

    // Sound buttons by their Image1 index (1 to 75, 101 to 115).
    virtual bool HasButton(int index) const = 0;
    virtual std::string ButtonToolTip(int index) const = 0;
    virtual void SetButtonToolTip(int index, std::string_view text) = 0;
    virtual std::string ButtonTag(int index) const = 0;
    virtual void SetButtonTag(int index, std::string_view tag) = 0;
    virtual void ShowButton(int index, ButtonPicture picture) = 0;
    virtual void RefreshButton(int index) = 0;

    // The title display: its text, centred or from the left; "Loading..."
    // is shown at once.
    virtual void SetTitleText(std::string_view text) = 0;
    virtual void SetTitleCentred(bool centred) = 0;
    virtual void ShowLoading() = 0;
    virtual std::string TimeText() const = 0;
    virtual void SetTimeText(std::string_view text) = 0;
    // The taskbar text, written by the tick while the window is minimised.
    virtual void SetCaption(std::string_view text) = 0;
    virtual bool Minimised() const = 0;

    // The fade-out timer: its tag names the button that blinks; a fade
    // starts by writing the tag, then enabling the timer.
    virtual std::string FadeTag() const = 0;
    virtual void SetFadeTag(std::string_view tag) = 0;
    virtual void SetFadeEnabled(bool enabled) = 0;

    // 0 the main player, 1 the second player.
    virtual media::MediaPlayer& Player(int index) = 0;

    virtual void UnloadSoundList() = 0;
    virtual void ShowSoundList() = 0;
};
