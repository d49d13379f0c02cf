// The real main window: real mouse, drop and timer events reach the program
// module, and the pictures it decides reach the screen, only when changed.
#include <QFontMetrics>
#include <QImage>
#include <QPixmap>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;
using frmTestWiring = MainWindowTest;

// Ordinary titles of 70 characters show whole, and a line of the title
// display shows capital umlauts with their dots.
TEST_F(frmTestWiring, TitlesOfSeventyCharactersFitAndKeepTheirAccents) {
    const QWidget* title = forms::widgetOf(start().lblTitel);
    const QFontMetricsF metrics(title->font());
    for (const char* text : {"Applaus und Jubel aus dem Publikum nach der Zugabe zum Sommerfest 2023",
                             "Herbert Grönemeyer - Männer (Live in der Westfalenhalle Dortmund 1990)",
                             "The Rolling Stones - Sympathy For The Devil (Remastered 2012 Mono Mix)"}) {
        ASSERT_EQ(QString::fromUtf8(text).size(), 70);
        EXPECT_LE(metrics.horizontalAdvance(QString::fromUtf8(text)), title->width()) << text;
    }
    EXPECT_LE(-metrics.tightBoundingRect(QStringLiteral("ÄÖÜÉ")).top(), metrics.ascent());
    EXPECT_LE(QFontMetrics(title->font()).height(), title->height());
}

TEST_F(frmTestWiring, PressReleaseAndTickReachTheCore) {
    const std::string one = sound("One.wav");
    frmTest& form = start("[snds]\r\ns1=" + one + "\r\ns2=" + sound("two.wav") + "\r\n");
    EXPECT_EQ(button(101).ToolTipText(), "One");
    EXPECT_TRUE(showsState(40, form.ImgEmpty));

    press(button(101));
    EXPECT_EQ(player().FileName(), one);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(form.lblTitel.Caption(), "Loading...");
    EXPECT_TRUE(showsState(101, form.ImgOnAir));
    release(button(101));
    tick();
    EXPECT_EQ(form.lblTitel.Caption(), "One");
    EXPECT_EQ(form.lblTitel.Alignment(), forms::vbCenter);
    EXPECT_TRUE(form.lblTime.Caption().ends_with(" - 00:00:30")) << form.lblTime.Caption();

    // Ctrl+Alt with the middle button pauses; the tick blinks the button.
    click(button(2), Qt::MiddleButton, pauseKeys);
    EXPECT_EQ(player().PlayState(), media::kPaused);
    tick();
    EXPECT_TRUE(showsState(101, form.ImgOnAir));
    tick();
    EXPECT_TRUE(showsState(101, form.ImgReady));
    click(button(1));
    click(button(1));  // stops; the release shows the button at rest
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_TRUE(showsState(1, form.ImgReady));

    // The right button with Shift+Ctrl clears both twins.
    click(button(2), Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(button(102).ToolTipText(), "eep");
    EXPECT_TRUE(showsState(102, form.ImgEmpty));

    // Minimised, the time goes into the taskbar text.
    click(button(1));
    form.setWindowState(forms::vbMinimized);
    tick();
    EXPECT_TRUE(form.Caption().ends_with(" - 00:00:30")) << form.Caption();
    form.setWindowState(forms::vbNormal);
}

TEST_F(frmTestWiring, DroppedFilesReachTheCoreAndOtherDataIsRefused) {
    frmTest& form = start();
    const std::string boom = sound("Boom_Boom.wav");
    dropFiles(button(103), {boom});
    EXPECT_EQ(onDisk("snds", "s3"), boom);
    EXPECT_EQ(button(3).ToolTipText(), "Boom Boom");
    EXPECT_TRUE(showsState(103, form.ImgReady));
    EXPECT_TRUE(messages.empty());

    const std::string settings = settingsText();
    QMimeData text, web, picture;
    text.setText("some text");
    web.setUrls({QUrl("https://example.org/sound.wav")});
    picture.setImageData(QImage(4, 4, QImage::Format_RGB32));
    for (QMimeData* data : {&text, &web, &picture}) dropData(button(1), *data);
    ASSERT_EQ(messages.size(), 3u);
    for (const forms::MessageRequest& message : messages) {
        EXPECT_EQ(message.prompt, "Falsches Format - Erwarte Dateiname");
        EXPECT_EQ(message.title, "Fehler");
    }
    EXPECT_EQ(settingsText(), settings);
}

// Each state shows its own picture from the assets, drawn on the button; an
// idle tick copies no picture again.
TEST_F(frmTestWiring, EveryStatePictureReachesTheScreenOnlyWhenItChanges) {
    frmTest& form = start("[snds]\r\ns1=" + sound("One.wav", 200) + "\r\n");
    const std::pair<ButtonPicture, const char*> states[] = {
        {ButtonPicture::Empty, "states/ImgEmpty.bmp"},         {ButtonPicture::Ready, "states/ImgReady.bmp"},
        {ButtonPicture::OnAir, "states/ImgOnAir.bmp"},         {ButtonPicture::ListOnAir, "states/ImgListOnAir.bmp"},
        {ButtonPicture::Error, "states/ImgError.bmp"},         {ButtonPicture::TalkOver, "states/ImgTalkOver.bmp"},
    };
    std::vector<QImage> shown;
    for (const auto& [state, file] : states) {
        SCOPED_TRACE(file);
        form.ShowButton(7, state);
        const gdi::Picture asset = gdi::loadPicture(platform::assetPath(file));
        EXPECT_TRUE(samePicture(button(7).Picture(), asset));
        const QImage drawn = forms::widgetOf(button(7))->grab().toImage().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(drawn, forms::toImage(asset).convertToFormat(QImage::Format_RGB32));
        for (const QImage& other : shown) EXPECT_NE(drawn, other);
        shown.push_back(drawn);
    }
    EXPECT_THROW(form.wmp(2), std::out_of_range);

    click(button(1));
    ASSERT_TRUE(waitForEnd(player()));
    tick();
    ASSERT_TRUE(showsState(1, form.ImgReady));
    const gdi::Handle ready = button(1).Picture().handle();
    tick();
    EXPECT_EQ(button(1).Picture().handle(), ready);
    click(button(1));
    EXPECT_TRUE(showsState(1, form.ImgOnAir));
}

}  // namespace
