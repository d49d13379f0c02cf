// The main window's fade-out timer: each tick lowers the main player a step
// and blinks one button; the fade ends with the player stopped and back at
// its normal level.
#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "ModZPM.h"
#include "frmTest.h"

namespace {

constexpr int FadeInterval = 20;  // milliseconds a tick
constexpr long FadeStep = 10;
constexpr long SteepFrom = -2500;  // from here on each tick takes a further
constexpr long SteepStep = 90;
constexpr long FadeEnd = -4500;
constexpr long LevelAfterFade = -600;
constexpr std::int16_t TicksPerBlink = 10;

// The button index in the timer's tag; nothing for a tag that names none.
std::optional<std::int16_t> BlinkingButton(const std::string& tag) {
    std::int16_t index = 0;
    const auto [end, error] = std::from_chars(tag.data(), tag.data() + tag.size(), index);
    if (error != std::errc() || end != tag.data() + tag.size()) return std::nullopt;
    return index;
}

long NextFadeLevel(long level) {
    long v = level - FadeStep;
    if (v <= SteepFrom) v -= SteepStep;
    return std::max(v, media::kSilence);
}

}  // namespace

void frmTest::placeFadeTimer() {
    Timer2.setEnabled(false);
    Timer2.setInterval(FadeInterval);
    Timer2.setTag(FadeIdleTag);
    Timer2.onTimer = [this] { Timer2_Timer(); };
}

void frmTest::Timer2_Timer() {
    // Kept from tick to tick; the blink phase also from one fade to the next.
    static std::int16_t iFadeTick = 0;
    static std::int16_t iFadeNextToggle = 0;
    static bool bFadeBlink = false;

    ++iFadeTick;
    if (iFadeNextToggle == 0) iFadeNextToggle = TicksPerBlink;
    const std::optional<std::int16_t> b = BlinkingButton(Timer2.Tag());
    forms::Image* blinking = b && Image1.exists(*b) ? &Image1[*b] : nullptr;

    media::MediaPlayer& player = wmp(0);
    const long v = NextFadeLevel(player.Volume());
    player.setVolume(v);
    if (iFadeTick == iFadeNextToggle) {
        iFadeNextToggle = static_cast<std::int16_t>(iFadeNextToggle + TicksPerBlink);
        bFadeBlink = !bFadeBlink;
    }
    if (blinking) blinking->setPicture((bFadeBlink ? ImgReady : ImgOnAir).Picture());

    const long state = player.PlayState();
    if (v <= FadeEnd || state == media::kClosed || state == media::kStopped) {
        player.Stop();
        if (blinking) blinking->setPicture(ImgReady.Picture());
        iFadeTick = 0;
        iFadeNextToggle = 0;
        player.setVolume(LevelAfterFade);
        Timer2.setTag(FadeIdleTag);
        Timer2.setEnabled(false);
        bPlaylistOn = false;
    }
    if (blinking) blinking->Refresh();
}
