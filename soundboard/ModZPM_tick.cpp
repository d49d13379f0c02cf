// The status tick: the time and title displays, the running playlist's
// advance and the current button's picture, once a second.
#include "ModZPM.h"
#include "utf8_text.h"

namespace {

constexpr std::size_t LongTitle = 71;  // from this length on the title scrolls

std::string PlayingTime(media::MediaPlayer& player) {
    const double duration = player.Duration();
    return FormatSeconds(duration - player.CurrentPosition()) + " - " + FormatSeconds(duration);
}

// A short title stands still in the middle; a long one scrolls one
// position a tick through the title, three blanks and the title again.
void ShowTitle(ZpmWindow& window) {
    const std::size_t length = platform::text::utf8Length(Zpm.sNowTitle);
    std::int16_t& position = Zpm.iMarqueePos;
    if (length < LongTitle) {
        position = 1;
        window.SetTitleCentred(true);
        Zpm.sMarquee = MarqueeText(Zpm.sNowTitle);
    } else {
        window.SetTitleCentred(false);
        Zpm.sMarquee = MarqueeText(Zpm.sNowTitle + "   " + Zpm.sNowTitle);
        const bool wrap = position <= 0 || static_cast<std::size_t>(position) >= length;
        position = wrap ? std::int16_t{1} : static_cast<std::int16_t>(position + 1);
    }
    window.SetTitleText(platform::text::utf8Slice(Zpm.sMarquee, static_cast<std::size_t>(position - 1), length));
}

// Part A: the displays. True when the time display was written.
bool ShowTime(ZpmWindow& window) {
    media::MediaPlayer& player = window.Player(0);
    if (window.Minimised() && !Zpm.bPanic) {
        // The taskbar shows the time; the labels stay as they are.
        if (player.PlayState() == media::kPlaying) {
            window.SetCaption(PlayingTime(player));
        } else {
            window.SetCaption(DateTimeText());
            Zpm.iMarqueePos = 0;
        }
        return false;
    }
    if (player.PlayState() == media::kPlaying) {
        window.SetTimeText(PlayingTime(player));
        if (Zpm.iMaschineMode == 1) ShowTitle(window);
    } else {
        window.SetTitleText("");
        window.SetTimeText(DateTimeText());
    }
    return true;
}

// The next entry after a stop, entry 1 after the last. False when the
// list holds no entry to go on with; the playlist has then ended.
bool StartNextEntry() {
    const auto last = static_cast<std::int32_t>(Zpm.aPlaylist.size()) - 1;
    if (Zpm.iPlIdx >= last || Zpm.iPlIdx < 0) Zpm.iPlIdx = 0;
    ++Zpm.iPlIdx;
    const std::optional<std::string> entry = PlaylistEntry(Zpm.iPlIdx);
    if (!entry) {
        Zpm.bPlaylistOn = false;
        return false;
    }
    PlayPlaylistEntry();
    if (!Zpm.bPlaylistOn) return false;
    if (Zpm.iMaschineMode == 1) SetNowPlaying(*entry);
    return true;
}

void TickPlaylist(ZpmWindow& window, bool timeWritten) {
    media::MediaPlayer& player = window.Player(0);
    const long state = player.PlayState();
    if (state == media::kClosed || state == media::kStopped) {
        if (!StartNextEntry()) return;
        // The release of a list whose first entry failed left the button at rest.
        ShowCurrentPlaying();
        Zpm.iMarqueePos = 0;
    } else if (state == media::kPaused) {
        ShowPicture(Zpm.iCurBtn, BlinkPicture());
    }
    if (player.PlayState() != media::kPaused && timeWritten)
        window.SetTimeText(window.TimeText() + "  (" + std::to_string(Zpm.iPlIdx) + "/" +
                           std::to_string(static_cast<std::int32_t>(Zpm.aPlaylist.size()) - 1) + ")");
    window.RefreshButton(Zpm.iCurBtn);
    if (Zpm.iMaschineMode != 1) return;
    if (const std::optional<std::string> entry = PlaylistEntry(Zpm.iPlIdx)) SetNowPlaying(*entry);
}

// A sound that could not be opened has ended as well as one that ran out.
void TickSound(ZpmWindow& window) {
    const long state = window.Player(0).PlayState();
    if (state == media::kStopped || state == media::kClosed) {
        ShowPicture(Zpm.iCurBtn, RestingPicture(Zpm.iCurBtn, true));
    } else if (state == media::kPaused) {
        ShowPicture(Zpm.iCurBtn, BlinkPicture());
    }
    window.RefreshButton(Zpm.iCurBtn);
}

}  // namespace

void StatusTick() {
    ZpmWindow& window = MainWindow();
    const bool timeWritten = ShowTime(window);
    if (Zpm.iCurBtn <= 0 || !window.HasButton(Zpm.iCurBtn)) return;
    if (Zpm.bPlaylistOn) {
        TickPlaylist(window, timeWritten);
    } else {
        TickSound(window);
    }
}
