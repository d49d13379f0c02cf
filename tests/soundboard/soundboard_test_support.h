// Shared by the soundboard's tests: temporary data and system folders with a
// settings file and silent sounds, the real main window on the offscreen
// platform with its message boxes answered, and real mouse, key and drop
// events sent to its elements.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QList>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegion>
#include <QUrl>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ModZPM.h"
#include "asset_dir.h"
#include "files.h"
#include "forms_qt.h"
#include "frmTest.h"
#include "mdINIBas.h"
#include "scoped_env.h"
#include "silent_wav.h"
#include "temp_dir.h"

namespace sbtest {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::ScopedCurrentFolder;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::writeFile;
using testing_support::writeSilentWav;

// Every pixel of the skin that is not magenta, from the top-left corner.
inline QRegion outlineOf(const std::string& skinFile) {
    const gdi::Picture picture = gdi::loadPicture(platform::assetPath(skinFile));
    const gdi::Bitmap* bitmap = picture.bitmap();
    if (!bitmap) return {};
    QRegion region;
    for (int y = 0; y < bitmap->height; ++y) {
        const std::uint8_t* row = bitmap->bits.data() + static_cast<std::size_t>(bitmap->height - 1 - y) * bitmap->stride;
        int runStart = -1;
        for (int x = 0; x <= bitmap->width; ++x) {
            const std::uint8_t* pixel = row + x * 3;
            const bool opaque = x < bitmap->width && !(pixel[0] == 255 && pixel[1] == 0 && pixel[2] == 255);
            if (opaque && runStart < 0) runStart = x;
            if (!opaque && runStart >= 0) {
                region += QRect(runStart, y, x - runStart, 1);
                runStart = -1;
            }
        }
    }
    return region;
}

inline QWidget* window() { return forms::widgetOf(frmTest::instance()); }
inline QRegion windowMask() { return window()->mask(); }

// Keys go to the window's own focus button, as they do in use: the window
// must see them before its element does.
inline void pressKey(int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(forms::widgetOf(frmTest::instance().cmdfokus), &press);
}
inline void pressEscape() { pressKey(Qt::Key_Escape, "\x1b"); }

inline bool samePicture(const gdi::Picture& a, const gdi::Picture& b) {
    return a.bitmap() && b.bitmap() && a.bitmap()->bits == b.bitmap()->bits;
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
inline constexpr Qt::KeyboardModifiers pauseKeys = Qt::ControlModifier | Qt::AltModifier;

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

// The data folder under a temporary APPDATA, a system folder under a
// temporary windir, and sounds written for the test.
class DataFolderTest : public ::testing::Test {
protected:
    TempDir temp;
    fs::path appdata = temp.path() / "appdata";
    fs::path dataFolder = appdata / "Ostrolab" / "zirpomat";
    fs::path ini = dataFolder / "zpm.ini";
    fs::path windir = temp.path() / "windows";
    fs::path media = windir / "media";
    fs::path sounds = temp.path() / "sounds";
    ScopedEnv appdataEnv{"APPDATA", appdata.string()};
    ScopedEnv windirEnv{"windir", windir.string()};

    void SetUp() override {
        fs::create_directories(media);
        fs::create_directories(sounds);
        forgetSettings();
    }

    // The settings store keeps the last file read in memory; reading
    // another one makes it read the next from disk.
    void forgetSettings() { mdINIBas::GetIniValue("none", "none", "", temp.file("none.ini")); }

    void writeSettings(std::string_view text) {
        fs::create_directories(dataFolder);
        writeFile(ini, text);
        forgetSettings();
    }
    std::string settingsText() const { return readFile(ini); }

    // The value of a key in the settings file as it stands on disk.
    std::optional<std::string> saved(const std::string& key) const {
        std::smatch found;
        const std::string text = settingsText();
        if (!std::regex_search(text, found, std::regex("(^|\n)" + key + "=([^\r\n]*)"))) return std::nullopt;
        return found[2].str();
    }

    // A silent sound of its own under sounds/, long enough to play
    // throughout a test.
    std::string sound(std::string_view name, int milliseconds = 30000) {
        const fs::path file = sounds / name;
        fs::create_directories(file.parent_path());
        writeSilentWav(file, milliseconds);
        return file.string();
    }
};

// The real main window, loaded from settings in the data folder.
class MainWindowTest : public DataFolderTest {
protected:
    ScopedEnv langEnv{"LANG", "de"};
    std::vector<forms::MessageRequest> messages;
    int answer = forms::vbNo;
    int soundListUnloads = 0;
    int helpUnloads = 0;
    frmTest* form = nullptr;

    void SetUp() override {
        // A program folder on another file system keeps its settings there
        // instead of in the temporary data folder.
        if (!platform::files::isOnSystemDrive(platform::files::programFolder()))
            GTEST_SKIP() << "the test program lies on a portable folder";
        DataFolderTest::SetUp();
        writeSilentWav(media / "eep.wav", 3000);
        forms::startRuntime();
        forms::setMessageHook([this](const forms::MessageRequest& request) {
            messages.push_back(request);
            return answer;
        });
        frmTest::links.unloadSoundList = [this] { ++soundListUnloads; };
        frmTest::links.unloadHelpWindow = [this] { ++helpUnloads; };
        resetGlobals();
    }

    void TearDown() override {
        frmTest& window = frmTest::instance();
        if (window.Loaded()) window.Unload();
        forms::setMessageHook({});
        frmTest::links.unloadSoundList = nullptr;
        frmTest::links.unloadHelpWindow = nullptr;
        resetGlobals();
    }

    static void resetGlobals() {
        frmTest::links.CommandLine.clear();
        Zpm = ZpmState{};
    }

    frmTest& load() {
        frmTest::instance().Load();
        return *(form = &frmTest::instance());
    }

    // Loads the window from these settings; the test drives the status tick
    // itself, one call a tick.
    frmTest& start(std::string_view settings = "") {
        writeSettings(settings);
        load().Timer1.setEnabled(false);
        return *form;
    }

    void tick() { form->Timer1.onTimer(); }
    forms::Image& button(int index) { return form->Image1[index]; }
    media::MediaPlayer& player() { return form->wmp(0); }
    bool showsState(int index, const forms::Image& state) {
        return samePicture(button(index).Picture(), state.Picture());
    }
};

}  // namespace sbtest
