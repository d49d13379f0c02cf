// The one place that decides which state picture a sound button shows.
// Twins are one button: whatever one of them shows, the other shows too, so
// that a switch to the other machine shows the button's state.
#include "ModZPM.h"

void ForEachTwin(int index, const std::function<void(int)>& action) {
    if (!MainWindow().HasButton(index)) return;
    const int n = ButtonNumber(index);
    action(n);
    if (const std::optional<int> twin = TwinIndex(n)) action(*twin);
}

void ShowPicture(int index, ButtonPicture picture) {
    ZpmWindow& window = MainWindow();
    ForEachTwin(index, [&](int each) { window.ShowButton(each, picture); });
}

void ShowPictureNow(int index, ButtonPicture picture) {
    ShowPicture(index, picture);
    MainWindow().RefreshButton(index);
}

void SetErrorMark(int index, bool marked) {
    ZpmWindow& window = MainWindow();
    ForEachTwin(index, [&](int each) { window.SetButtonTag(each, marked ? ErrorMark : ""); });
}

ButtonPicture RestingPicture(int index, bool showErrorMark) {
    const ZpmWindow& window = MainWindow();
    if (window.ButtonToolTip(index) == EmptyName) return ButtonPicture::Empty;
    if (showErrorMark && window.ButtonTag(index) == ErrorMark) return ButtonPicture::Error;
    return ButtonPicture::Ready;
}

ButtonPicture BlinkPicture() {
    Zpm.bBlinkOn = !Zpm.bBlinkOn;
    if (Zpm.bBlinkOn) return ButtonPicture::OnAir;
    return Zpm.bPlaylistOn ? ButtonPicture::ListOnAir : ButtonPicture::Ready;
}

void ShowCurrentPlaying() {
    ShowPicture(Zpm.iCurBtn, Zpm.bPlaylistOn ? ButtonPicture::ListOnAir : ButtonPicture::OnAir);
}

namespace {

// What plays shows on its own button; a button pressed while another one's
// sound plays (a resume, a jingle) keeps its resting picture.
void ShowPlaying(int index) {
    if (Zpm.bPlaylistOn || IsCurrentButton(index)) {
        ShowCurrentPlaying();
        return;
    }
    ShowPicture(index, RestingPicture(index, true));
}

}  // namespace

void ShowReleasedButton(int index, int shift) {
    ZpmWindow& window = MainWindow();
    if (!window.HasButton(index)) return;
    media::MediaPlayer& player = window.Player(0);
    if (window.ButtonToolTip(index) == EmptyName) {
        ShowPicture(index, ButtonPicture::Empty);
    } else if (player.PlayState() == media::kPlaying && shift == 0) {
        ShowPlaying(index);
    } else if (window.ButtonTag(index) == ErrorMark) {
        ShowPicture(index, ButtonPicture::Error);
    } else if (player.PlayState() != media::kPlaying) {
        ShowPicture(index, ButtonPicture::Ready);
    } else {
        ShowPlaying(index);
    }
}
