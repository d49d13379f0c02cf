#include "ModZPM_fades.h"

#include <optional>
#include <string>

#include "ModZPM.h"
#include "forms.h"
#include "frmTest.h"

namespace {

constexpr long NormalLevel = -600;
constexpr long SecondPlayerLevel = media::kFullLevel;
constexpr long TalkOverStep = 100;
constexpr long OneShotStep = 150;

void Show(forms::Image& button, const forms::Image& state) {
    button.setPicture(state.Picture());
    button.Refresh();
}

bool Sounding(media::MediaPlayer& player) { return player.PlayState() == media::kPlaying; }

bool Silent(media::MediaPlayer& player) {
    const long state = player.PlayState();
    return state == media::kStopped || state == media::kClosed;
}

// The tag first, then Enabled: a running fade only moves its blinking.
void StartFade(frmTest& form, std::int16_t blinking) {
    form.Timer2.setTag(std::to_string(blinking));
    form.Timer2.setEnabled(true);
}

// Starts the button's sound on the second player at full level.
void StartSecond(frmTest& form, std::int16_t n) {
    media::MediaPlayer& second = form.wmp(1);
    second.setVolume(SecondPlayerLevel);
    second.setFileName(AssignmentOf(ButtonKey(n)));
}

// False when the program closed meanwhile.
bool WaitForSecondToEnd(frmTest& form) {
    media::MediaPlayer& second = form.wmp(1);
    return forms::WaitUntil([&] { return Silent(second); });
}

// Each step adds to the level as it stands then, so a level that another
// press set meanwhile is carried on from there.
bool RampMain(frmTest& form, int steps, std::chrono::milliseconds time, long step) {
    media::MediaPlayer& main = form.wmp(0);
    return forms::Ramp(steps, time, [&](int) { main.setVolume(main.Volume() + step); });
}

// Plays entry i of the running playlist at once.
void PlayEntry(std::int32_t i) {
    iPlIdx = i;
    const std::string entry = aPlaylist[static_cast<std::size_t>(i)];
    SetNowPlaying(entry);
    frmTest::instance().wmp(0).setFileName(aPlaylist.front() + entry);
}

// The playlist's last entry, or nothing while no list runs from this button.
std::optional<std::int32_t> LastEntryFor(std::int16_t Index) {
    if (!bPlaylistOn || !IsCurrentButton(Index) || aPlaylist.size() < 2) return std::nullopt;
    return static_cast<std::int32_t>(aPlaylist.size()) - 1;
}

}  // namespace

void PlayJingle(std::int16_t Index) {
    frmTest& form = frmTest::instance();
    const std::int16_t n = ButtonNumber(Index);
    Show(form.Image1[n], form.ImgReady);
    StartSecond(form, n);
    if (!WaitForSecondToEnd(form)) return;
    media::MediaPlayer& second = form.wmp(1);
    second.Stop();
    second.setVolume(media::kSilence);
    Show(form.Image1[n], form.ImgReady);
}

void FadeOut(std::int16_t Index) {
    frmTest& form = frmTest::instance();
    if (Silent(form.wmp(0))) return;
    StartFade(form, Index);
}

void ToggleTalkOver() {
    bTalkOver = !bTalkOver;
    frmTest& form = frmTest::instance();
    media::MediaPlayer& main = form.wmp(0);
    if (Silent(main)) return;
    // The level decides the direction, not the mode.
    const long step = main.Volume() < NormalLevel ? TalkOverStep : -TalkOverStep;
    RampMain(form, TalkOverRampSteps, TalkOverRampTime, step);
}

void NextEntry(std::int16_t Index) {
    const std::optional<std::int32_t> last = LastEntryFor(Index);
    if (!last) return;
    PlayEntry(iPlIdx >= *last || iPlIdx < 1 ? 1 : iPlIdx + 1);
}

void PreviousEntry(std::int16_t Index) {
    const std::optional<std::int32_t> last = LastEntryFor(Index);
    if (!last) return;
    PlayEntry(iPlIdx <= 1 || iPlIdx > *last ? *last : iPlIdx - 1);
}

void PlayOneShot(std::int16_t Index) {
    if (bTalkOver || IsCurrentButton(Index)) return;
    frmTest& form = frmTest::instance();
    const std::int16_t n = ButtonNumber(Index);
    Show(form.Image1[n], form.ImgTalkOver);
    StartSecond(form, n);
    media::MediaPlayer& main = form.wmp(0);
    if (Sounding(main) && !RampMain(form, OneShotRampSteps, OneShotRampTime, -OneShotStep)) return;
    if (!WaitForSecondToEnd(form)) return;
    if (Sounding(main) && !RampMain(form, OneShotRampSteps, OneShotRampTime, OneShotStep)) return;
    main.setVolume(NormalLevel);
    media::MediaPlayer& second = form.wmp(1);
    second.Stop();
    Show(form.Image1[n], form.ImgReady);
    second.setVolume(media::kSilence);
}

void FadeOver(std::int16_t& Index) {
    const std::string key = ButtonKey(ButtonNumber(Index));
    frmTest& form = frmTest::instance();
    media::MediaPlayer& main = form.wmp(0);
    if (Silent(main)) {
        bTalkOver = false;
        main.setVolume(NormalLevel);
        return;
    }
    // A paused sound fades out and nothing new starts.
    if (!Sounding(main)) {
        StartFade(form, Index);
        return;
    }
    StartFade(form, iCurBtn);
    if (!forms::WaitUntil([&] { return Silent(main); })) return;

    // The current button as it stands after the wait; the key is the one
    // of the button pressed.
    const auto idleOrEmpty = [&](forms::Image& button, const forms::Image& idle) {
        button.setPicture((button.ToolTipText() == EmptyName ? form.ImgEmpty : idle).Picture());
    };
    forms::Image& previous = form.Image1[iCurBtn];
    idleOrEmpty(previous, form.ImgReady);
    previous.Refresh();
    idleOrEmpty(form.Image1[Index], form.ImgOnAir);
    if (IsCurrentButton(Index)) return;
    main.setVolume(NormalLevel);
    main.setFileName(AssignmentOf(key));
    previous.Refresh();
    iCurBtn = Index;
}
