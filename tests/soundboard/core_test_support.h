// Tests of the program module without any window: a recording stand-in for
// the main window holds the buttons' tooltips, tags and pictures and the
// displays as plain values, with the two real players on the silent sink.
#pragma once

#include <array>
#include <map>
#include <optional>

#include "soundboard_test_support.h"

namespace sbtest {

class RecordingWindow : public ZpmWindow {
public:
    struct Button {
        std::string toolTip, tag;
        std::optional<ButtonPicture> picture;
        int refreshes = 0;
    };
    std::map<int, Button> buttons;
    std::string title, time, caption;
    std::string fadeTag = std::string(FadeIdleTag);
    bool fadeEnabled = false;
    bool titleCentred = true, minimised = false;
    int soundListUnloads = 0, soundListShows = 0;
    std::array<media::MediaPlayer, 2> players;

    RecordingWindow() {
        for (int n = 1; n <= ButtonCount; ++n) buttons[n];
        for (int n = 1; n <= TwinCount; ++n) buttons[n + TwinOffset];
    }

    bool HasButton(int index) const override { return buttons.contains(index); }
    std::string ButtonToolTip(int index) const override { return buttons.at(index).toolTip; }
    void SetButtonToolTip(int index, std::string_view text) override { buttons.at(index).toolTip = text; }
    std::string ButtonTag(int index) const override { return buttons.at(index).tag; }
    void SetButtonTag(int index, std::string_view tag) override { buttons.at(index).tag = tag; }
    void ShowButton(int index, ButtonPicture picture) override { buttons.at(index).picture = picture; }
    void RefreshButton(int index) override { ++buttons.at(index).refreshes; }
    void SetTitleText(std::string_view text) override { title = text; }
    void SetTitleCentred(bool centred) override { titleCentred = centred; }
    void ShowLoading() override { title = "Loading..."; }
    std::string TimeText() const override { return time; }
    void SetTimeText(std::string_view text) override { time = text; }
    void SetCaption(std::string_view text) override { caption = text; }
    bool Minimised() const override { return minimised; }
    std::string FadeTag() const override { return fadeTag; }
    void SetFadeTag(std::string_view tag) override { fadeTag = tag; }
    void SetFadeEnabled(bool enabled) override { fadeEnabled = enabled; }
    media::MediaPlayer& Player(int index) override { return players.at(static_cast<std::size_t>(index)); }
    void UnloadSoundList() override { ++soundListUnloads; }
    void ShowSoundList() override { ++soundListShows; }
};

// The program module on a recording window, with settings in a temporary
// data folder; the state starts afresh for every test.
class CoreTest : public DataFolderTest {
protected:
    std::optional<RecordingWindow> window;
    ZpmWindow* realWindow = nullptr;

    void SetUp() override {
        DataFolderTest::SetUp();
        window.emplace();
        realWindow = SetMainWindow(&*window);
    }
    void TearDown() override {
        SetMainWindow(realWindow);
        DataFolderTest::TearDown();
    }

    // Settings written, then every assignment loaded onto the buttons.
    void load(std::string_view settings = "") {
        writeSettings(settings);
        LoadSettings();
    }
    // A new start: fresh state, a new window with new players, these settings.
    void restart(std::string_view settings) {
        Zpm = ZpmState{};
        window.emplace();
        SetMainWindow(&*window);
        load(settings);
    }

    void press(int index, int button = 1, int shift = 0) {
        std::int16_t i = std::int16_t(index), b = std::int16_t(button), s = std::int16_t(shift);
        ButtonAction(i, b, s);
    }
    // A press and its release, as the window hands them on.
    void click(int index, int button = 1, int shift = 0) {
        press(index, button, shift);
        ShowReleasedButton(index, shift);
    }
    media::MediaPlayer& player(int index = 0) { return window->Player(index); }
    // The name of the file the main player was given last.
    std::string playing() { return fs::path(player().FileName()).filename().string(); }
    std::optional<ButtonPicture> picture(int index) const { return window->buttons.at(index).picture; }
};

}  // namespace sbtest
