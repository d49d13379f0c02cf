// Shared by the soundboard's tests: temporary data and system folders with a
// settings file and silent sounds, message boxes answered, and the real main
// window on the offscreen platform with real mouse, key and drop events.
#pragma once

#include <gtest/gtest.h>

#include <QBitmap>
#include <QCoreApplication>
#include <QDropEvent>
#include <QImage>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegion>
#include <QUrl>
#include <filesystem>
#include <chrono>
#include <string>
#include <thread>
#include <tuple>
#include <string_view>
#include <vector>

#include "Form2.h"
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
    const QImage skin = forms::toImage(gdi::loadPicture(platform::assetPath(skinFile)));
    return QRegion(QBitmap::fromImage(skin.createMaskFromColor(qRgb(255, 0, 255), Qt::MaskInColor)));
}

inline QWidget* window() { return forms::widgetOf(frmTest::instance()); }
inline QRegion windowMask() { return window()->mask(); }

// Keys go to the window's focus button, as in use: the window must see them
// before its element does.
inline void pressKey(int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(forms::widgetOf(frmTest::instance().cmdfokus), &press);
}
inline void pressEscape() { pressKey(Qt::Key_Escape, "\x1b"); }

inline bool samePicture(const gdi::Picture& a, const gdi::Picture& b) {
    return a.bitmap() && b.bitmap() && a.bitmap()->bits == b.bitmap()->bits;
}

inline void sendMouseTo(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton which, Qt::MouseButtons held,
                        Qt::KeyboardModifiers keys = {}) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), which, held, keys);
    QCoreApplication::sendEvent(widget, &event);
}
inline void press(forms::Control& element, Qt::MouseButton which = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    sendMouseTo(forms::widgetOf(element), QEvent::MouseButtonPress, {2, 2}, which, which, keys);
}
inline void release(forms::Control& element, Qt::MouseButton which = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    sendMouseTo(forms::widgetOf(element), QEvent::MouseButtonRelease, {2, 2}, which, Qt::NoButton, keys);
}
inline void click(forms::Control& element, Qt::MouseButton which = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    press(element, which, keys);
    release(element, which, keys);
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
inline void dropFiles(forms::Image& button, const std::vector<std::string>& files) {
    QList<QUrl> urls;
    for (const std::string& file : files) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(file)));
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
// temporary windir, sounds written for the test, message boxes answered and
// the program's state afresh.
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
    std::vector<forms::MessageRequest> messages;
    int answer = forms::vbNo;

    void SetUp() override {
        // A program folder on another file system keeps its settings there.
        if (!platform::files::isOnSystemDrive(platform::files::programFolder()))
            GTEST_SKIP() << "the test program lies on a portable folder";
        fs::create_directories(media);
        fs::create_directories(sounds);
        writeSilentWav(media / "eep.wav", 3000);
        forgetSettings();
        forms::startRuntime();
        forms::setMessageHook([this](const forms::MessageRequest& request) {
            messages.push_back(request);
            return answer;
        });
        Zpm = ZpmState{};
    }
    void TearDown() override {
        forms::setMessageHook({});
        Zpm = ZpmState{};
    }

    // The store keeps the last file read; reading another one makes it read
    // the next from disk.
    void forgetSettings() { mdINIBas::GetIniValue("none", "none", "", temp.file("none.ini")); }
    void writeSettings(std::string_view text) {
        fs::create_directories(dataFolder);
        writeFile(ini, text);
        forgetSettings();
    }
    std::string settingsText() const { return readFile(ini); }
    // A value of the settings file as it stands on disk; "NIL" when absent.
    std::string onDisk(std::string_view section, std::string_view key) {
        forgetSettings();
        return mdINIBas::GetIniValue(section, key, "NIL", ini.string());
    }
    // A silent sound under sounds/, by default long enough to play
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
    int soundListUnloads = 0, helpUnloads = 0;
    frmTest* form = nullptr;

    void SetUp() override {
        DataFolderTest::SetUp();
        frmTest::links = {};
        frmTest::links.unloadSoundList = [this] { ++soundListUnloads; };
        frmTest::links.unloadHelpWindow = [this] { ++helpUnloads; };
    }
    void TearDown() override {
        if (frmTest::instance().Loaded()) frmTest::instance().Unload();
        frmTest::links = {};
        DataFolderTest::TearDown();
    }

    frmTest& load() {
        frmTest::instance().Load();
        return *(form = &frmTest::instance());
    }
    // Loads the window from these settings; the test ticks the status timer
    // itself, one call a tick.
    frmTest& start(std::string_view settings = "") {
        writeSettings(settings);
        load().Timer1.setEnabled(false);
        return *form;
    }
    void tick() { form->Timer1.onTimer(); }
    forms::Image& button(int index) { return form->Image1[index]; }
    media::MediaPlayer& player() { return form->wmp(0); }
    // What a player holds, is doing and at what level, to compare at once.
    std::tuple<std::string, long, long> heard(int index = 0) {
        media::MediaPlayer& heard = form->wmp(index);
        return {heard.FileName(), heard.PlayState(), heard.Volume()};
    }
    bool showsState(int index, const forms::Image& state) { return samePicture(button(index).Picture(), state.Picture()); }
};

// The main window with the real sound-list window behind its hooks.
class SoundListTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        frmTest::links.showSoundList = [] { Form2::instance().Show(); };
        frmTest::links.unloadSoundList = [] { Form2::instance().Close(); };
    }
    void TearDown() override {
        if (Form2::instance().Loaded()) Form2::instance().Close();
        if (form) {
            Zpm.iMaschineMode = 1;
            form->set_maschine();
            form->Move(10, 10);
        }
        frmTest::onTop = {};
        MainWindowTest::TearDown();
    }

    static Form2& list() { return Form2::instance(); }
    void openList() { click(form->lblSndLst); }
    static std::string row(int i) { return list().LstSounds.List(i); }
    // A double-click on a row as the window system sends it: press, release,
    // the second press as a double-click, and its release.
    static void doubleClickRow(int row, Qt::KeyboardModifiers keys = {}) {
        auto* rows = static_cast<QListWidget*>(forms::widgetOf(list().LstSounds));
        const QPoint at = rows->visualItemRect(rows->item(row)).center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const bool down = type != QEvent::MouseButtonRelease;
            sendMouseTo(rows->viewport(), type, at, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, keys);
        }
    }
};

}  // namespace sbtest
