// The one place that decides which state picture a sound button shows.
#include "ModZPM.h"

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
    ZpmWindow& window = MainWindow();
    if (!window.HasButton(Zpm.iCurBtn)) return;
    window.ShowButton(Zpm.iCurBtn, Zpm.bPlaylistOn ? ButtonPicture::ListOnAir : ButtonPicture::OnAir);
}

namespace {

// What plays shows on its own button; a button pressed while another one's
// sound plays (a resume, a jingle) keeps its resting picture.
void ShowPlaying(ZpmWindow& window, int index) {
    if (Zpm.bPlaylistOn || IsCurrentButton(index)) {
        ShowCurrentPlaying();
        if (!Zpm.bPlaylistOn) window.ShowButton(index, ButtonPicture::OnAir);
        return;
    }
    window.ShowButton(index, RestingPicture(index, true));
}

}  // namespace

void ShowReleasedButton(int index, int shift) {
    ZpmWindow& window = MainWindow();
    if (!window.HasButton(index)) return;
    media::MediaPlayer& player = window.Player(0);
    if (window.ButtonToolTip(index) == EmptyName) {
        window.ShowButton(index, ButtonPicture::Empty);
    } else if (player.PlayState() == media::kPlaying && shift == 0) {
        ShowPlaying(window, index);
    } else if (window.ButtonTag(index) == ErrorMark) {
        window.ShowButton(index, ButtonPicture::Error);
    } else if (player.PlayState() != media::kPlaying) {
        window.ShowButton(index, ButtonPicture::Ready);
    } else {
        ShowPlaying(window, index);
    }
}
