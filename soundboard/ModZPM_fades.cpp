// The presses that mix, fade and step: jingles and one-shots on the second
// player over the main one, talk-over mode with its ramp, the fade-out and
// the fade over to another button, the steps through the running playlist,
// and the fade-out timer's ticks.
#include <algorithm>
#include <charconv>
#include <functional>
#include <optional>
#include <string>

#include "ModZPM.h"
#include "waits.h"

namespace {

constexpr long SecondPlayerLevel = media::kFullLevel;
constexpr long TalkOverStep = 100;
constexpr long OneShotStep = 150;

constexpr std::int16_t TicksPerBlink = 10;

bool Sounding(media::MediaPlayer& player) { return player.PlayState() == media::kPlaying; }

bool Silent(media::MediaPlayer& player) {
    const long state = player.PlayState();
    return state == media::kStopped || state == media::kClosed;
}

// The tag first, then Enabled: a running fade only moves its blinking.
void StartFade(std::int16_t blinking) {
    ZpmWindow& window = MainWindow();
    window.SetFadeTag(std::to_string(blinking));
    window.SetFadeEnabled(true);
}

// Starts the button's sound on the second player at full level; a playlist
// button plays its list's first entry once, and nothing when its list cannot
// be played. The running playlist is left alone.
void StartSecond(std::int16_t n) {
    media::MediaPlayer& second = MainWindow().Player(1);
    second.setVolume(SecondPlayerLevel);
    const std::string key = ButtonKey(n);
    second.setFileName(IsPlaylistButton(n) ? FirstPlaylistEntry(key).value_or("") : AssignmentOf(key));
}

// False when the program closed meanwhile.
bool WaitForSecondToEnd() {
    media::MediaPlayer& second = MainWindow().Player(1);
    return forms::WaitUntil([&] { return Silent(second); });
}

// Each step adds to the level as it stands then, so a level that another
// press set meanwhile is carried on from there.
bool RampMain(int steps, std::chrono::milliseconds time, long step) {
    media::MediaPlayer& main = MainWindow().Player(0);
    return forms::Ramp(steps, time, [&](int) { main.setVolume(main.Volume() + step); });
}

// Plays entry i of the running playlist at once.
void PlayEntry(std::int32_t i) {
    Zpm.iPlIdx = i;
    const std::string entry = Zpm.aPlaylist[static_cast<std::size_t>(i)];
    SetNowPlaying(entry);
    MainWindow().Player(0).setFileName(Zpm.aPlaylist.front() + entry);
}

// The playlist's last entry, or nothing while no list runs from this button.
std::optional<std::int32_t> LastEntryFor(std::int16_t Index) {
    if (!Zpm.bPlaylistOn || !IsCurrentButton(Index) || Zpm.aPlaylist.size() < 2) return std::nullopt;
    return static_cast<std::int32_t>(Zpm.aPlaylist.size()) - 1;
}

// The button index in the timer's tag; nothing for a tag that names none.
std::optional<std::int16_t> BlinkingButton(const std::string& tag) {
    std::int16_t index = 0;
    const auto [end, error] = std::from_chars(tag.data(), tag.data() + tag.size(), index);
    if (error != std::errc() || end != tag.data() + tag.size()) return std::nullopt;
    return index;
}

// The button the running fade blinks, if it names one.
std::optional<std::int16_t> FadingButton(const ZpmWindow& window) {
    std::optional<std::int16_t> blinking = BlinkingButton(window.FadeTag());
    if (blinking && !window.HasButton(*blinking)) blinking.reset();
    return blinking;
}

void EndFade(ZpmWindow& window, media::MediaPlayer& player, std::optional<std::int16_t> blinking) {
    player.Stop();
    if (blinking) ShowPicture(*blinking, ButtonPicture::Ready);
    Zpm.iFadeTick = 0;
    Zpm.iFadeNextToggle = 0;
    player.setVolume(NormalLevel);
    window.SetFadeTag(FadeIdleTag);
    window.SetFadeEnabled(false);
    Zpm.bPlaylistOn = false;
}

}  // namespace

long NextFadeLevel(long level) {
    constexpr long FadeStep = 10;
    constexpr long SteepFrom = -2500;  // from here on each step takes a further
    constexpr long SteepStep = 90;
    long v = level - FadeStep;
    if (v <= SteepFrom) v -= SteepStep;
    return std::max(v, media::kSilence);
}

void FadeTimerTick() {
    ZpmWindow& window = MainWindow();
    ++Zpm.iFadeTick;
    if (Zpm.iFadeNextToggle == 0) Zpm.iFadeNextToggle = TicksPerBlink;
    const std::optional<std::int16_t> blinking = FadingButton(window);

    media::MediaPlayer& player = window.Player(0);
    const long v = NextFadeLevel(player.Volume());
    player.setVolume(v);
    if (Zpm.iFadeTick == Zpm.iFadeNextToggle) {
        Zpm.iFadeNextToggle = static_cast<std::int16_t>(Zpm.iFadeNextToggle + TicksPerBlink);
        Zpm.bFadeBlink = !Zpm.bFadeBlink;
    }
    if (blinking) ShowPicture(*blinking, Zpm.bFadeBlink ? ButtonPicture::Ready : ButtonPicture::OnAir);

    const long state = player.PlayState();
    if (v <= FadeEnd || state == media::kClosed || state == media::kStopped) EndFade(window, player, blinking);
    if (blinking) window.RefreshButton(*blinking);
}

bool WaitBeforeStart(const std::function<bool()>& done) {
    const std::uint32_t panics = Zpm.panicPresses;
    return forms::WaitUntil(done) && Zpm.panicPresses == panics;
}

void PanicStop() {
    ++Zpm.panicPresses;
    ZpmWindow& window = MainWindow();
    media::MediaPlayer& main = window.Player(0);
    main.setVolume(media::kSilence);
    EndFade(window, main, FadingButton(window));
}

void PlayJingle(std::int16_t Index) {
    const std::int16_t n = ButtonNumber(Index);
    ShowPictureNow(n, ButtonPicture::Ready);
    StartSecond(n);
    if (!WaitForSecondToEnd()) return;
    media::MediaPlayer& second = MainWindow().Player(1);
    second.Stop();
    second.setVolume(media::kSilence);
    ShowPictureNow(n, ButtonPicture::Ready);
}

void FadeOut(std::int16_t Index) {
    if (Silent(MainWindow().Player(0))) return;
    StartFade(Index);
}

void ToggleTalkOver() {
    Zpm.bTalkOver = !Zpm.bTalkOver;
    media::MediaPlayer& main = MainWindow().Player(0);
    if (Silent(main)) return;
    // The level decides the direction, not the mode.
    const long step = main.Volume() < NormalLevel ? TalkOverStep : -TalkOverStep;
    RampMain(TalkOverRampSteps, TalkOverRampTime, step);
}

void NextEntry(std::int16_t Index) {
    const std::optional<std::int32_t> last = LastEntryFor(Index);
    if (!last) return;
    PlayEntry(Zpm.iPlIdx >= *last || Zpm.iPlIdx < 1 ? 1 : Zpm.iPlIdx + 1);
}

void PreviousEntry(std::int16_t Index) {
    const std::optional<std::int32_t> last = LastEntryFor(Index);
    if (!last) return;
    PlayEntry(Zpm.iPlIdx <= 1 || Zpm.iPlIdx > *last ? *last : Zpm.iPlIdx - 1);
}

void PlayOneShot(std::int16_t Index) {
    if (Zpm.bTalkOver || IsCurrentButton(Index)) return;
    const std::int16_t n = ButtonNumber(Index);
    ShowPictureNow(n, ButtonPicture::TalkOver);
    StartSecond(n);
    media::MediaPlayer& main = MainWindow().Player(0);
    if (Sounding(main) && !RampMain(OneShotRampSteps, OneShotRampTime, -OneShotStep)) return;
    if (!WaitForSecondToEnd()) return;
    if (Sounding(main) && !RampMain(OneShotRampSteps, OneShotRampTime, OneShotStep)) return;
    main.setVolume(NormalLevel);
    MainWindow().Player(1).Stop();
    ShowPictureNow(n, ButtonPicture::Ready);
    MainWindow().Player(1).setVolume(media::kSilence);
}

void FadeOver(std::int16_t& Index) {
    const std::string key = ButtonKey(ButtonNumber(Index));
    media::MediaPlayer& main = MainWindow().Player(0);
    if (Silent(main)) {
        Zpm.bTalkOver = false;
        main.setVolume(NormalLevel);
        return;
    }
    // A paused sound fades out and nothing new starts.
    if (!Sounding(main)) {
        StartFade(Index);
        return;
    }
    StartFade(Zpm.iCurBtn);
    if (!WaitBeforeStart([&] { return Silent(main); })) return;

    // The fade is over before the new sound starts, also when the old sound
    // ended by itself first: it would take the new one out as well.
    ZpmWindow& window = MainWindow();
    EndFade(window, main, FadingButton(window));
    // The current button as it stands after the wait; the key is the one
    // of the button pressed.
    const std::int16_t previous = Zpm.iCurBtn;
    ShowPictureNow(previous, RestingPicture(previous, false));
    ShowPicture(Index, window.ButtonToolTip(Index) == EmptyName ? ButtonPicture::Empty : ButtonPicture::OnAir);
    if (IsCurrentButton(Index)) return;
    main.setVolume(NormalLevel);
    window.RefreshButton(previous);
    if (!IsPlaylistButton(Index)) {
        main.setFileName(AssignmentOf(key));
        Zpm.iCurBtn = Index;
        return;
    }
    // A list that cannot be played marks its button; a twin pressed rests.
    if (!StartButtonPlaylist(Index)) ShowPictureNow(Index, RestingPicture(Index, true));
}
