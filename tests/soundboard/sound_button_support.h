// Shared by the tests of the sound buttons: the real main window with real
// players on the silent sink, sound files written for each test, and real
// mouse and drop events sent to the button widgets.
#pragma once

#include <QCoreApplication>
#include <QDropEvent>
#include <QList>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "silent_wav.h"
#include "test_frmTest_support.h"

namespace soundbuttons {

namespace fs = std::filesystem;

using testing_support::writeSilentWav;

inline bool samePicture(const gdi::Picture& a, const gdi::Picture& b) {
    return a.bitmap() && b.bitmap() && a.bitmap()->bits == b.bitmap()->bits;
}

inline bool shows(const forms::Image& button, const forms::Image& state) {
    return samePicture(button.Picture(), state.Picture());
}

inline void sendMouse(forms::Image& button, QEvent::Type type, Qt::MouseButton which, Qt::KeyboardModifiers keys) {
    QWidget* widget = forms::widgetOf(button);
    const QPointF at(5, 5);
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(which) : Qt::NoButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), which, held, keys);
    QCoreApplication::sendEvent(widget, &event);
}

inline void press(forms::Image& button, Qt::MouseButton which = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    sendMouse(button, QEvent::MouseButtonPress, which, keys);
}
inline void release(forms::Image& button, Qt::MouseButton which = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    sendMouse(button, QEvent::MouseButtonRelease, which, keys);
}
inline void click(forms::Image& button, Qt::MouseButton which = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    press(button, which, keys);
    release(button, which, keys);
}

// A drag enters the button, then drops there.
inline void dropData(forms::Image& button, QMimeData& data) {
    QWidget* widget = forms::widgetOf(button);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &drop);
}

// Files as a file manager drops them: local file addresses in order.
inline void dropFiles(forms::Image& button, const std::vector<fs::path>& files) {
    QList<QUrl> urls;
    for (const fs::path& file : files) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(file.string())));
    QMimeData data;
    data.setUrls(urls);
    dropData(button, data);
}

inline void dropText(forms::Image& button, const QString& text) {
    QMimeData data;
    data.setText(text);
    dropData(button, data);
}

// Waits for the sound to end by itself, letting events run meanwhile; the
// bound only keeps a broken player from hanging the test.
inline bool waitForEnd(media::MediaPlayer& player) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (player.PlayState() == media::kPlaying) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        forms::DoEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

class SoundButtonTest : public frmtest::MainWindowTest {
protected:
    fs::path sounds = temp.path() / "sounds";
    fs::path media = temp.path() / "windows" / "media";
    frmTest* form = nullptr;

    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        fs::create_directories(sounds);
        fs::create_directories(media);
        writeSilentWav(media / "eep.wav", 3000);
        iCurBtn = 0;
        iPlIdx = 0;
        aPlaylist.clear();
        bPlaylistOn = false;
        bTalkOver = false;
        sNowTitle.clear();
    }

    // A sound of its own under sounds/, long enough to play throughout a test.
    std::string sound(std::string_view name, int milliseconds = 30000) {
        const fs::path file = sounds / name;
        fs::create_directories(file.parent_path());
        writeSilentWav(file, milliseconds);
        return file.string();
    }

    // Loads the window from these settings; the test drives the status tick
    // itself, one call a tick.
    frmTest& start(std::string_view settings = "") {
        writeSettings(settings);
        form = &load();
        form->Timer1.setEnabled(false);
        return *form;
    }

    void tick() { form->Timer1.onTimer(); }
    forms::Image& button(int index) { return form->Image1[index]; }
    media::MediaPlayer& player() { return form->wmp(0); }
    bool showsState(int index, const forms::Image& state) { return shows(button(index), state); }
    std::string settingsText() const { return testing_support::readFile(ini); }
};

}  // namespace soundbuttons
