// Shared by the soundboard's tests: temporary data and system folders with a
// settings file and silent sounds, message boxes answered, a recording
// stand-in for the main window, and the real main window on the offscreen
// platform with real mouse, key and drop events.
#pragma once

#include <gtest/gtest.h>

#include <QBitmap>
#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>
#include <array>
#include <chrono>
#include <map>
#include <regex>
#include <thread>

#include "Form2.h"
#include "ModZPM.h"
#include "asset_dir.h"
#include "files.h"
#include "forms_qt.h"
#include "frmTest.h"
#include "mdINIBas.h"
#include "scoped_env.h"
#include "sound_files.h"
#include "temp_dir.h"
#include "waits.h"

// Sizes and places in failure messages as numbers, not bytes.
inline void PrintTo(const QSize& size, std::ostream* out) { *out << size.width() << "x" << size.height(); }
inline void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.width() << "x" << rect.height() << "+" << rect.x() << "+" << rect.y();
}

namespace sbtest {

namespace fs = std::filesystem;
using namespace testing_support;
using P = ButtonPicture;
constexpr long Stopped = media::kStopped, Paused = media::kPaused, Playing = media::kPlaying, Closed = media::kClosed;

// Every pixel of the skin that is not magenta, from the top-left corner.
inline QRegion outlineOf(const std::string& skinFile) {
    const QImage skin = forms::toImage(gdi::loadPicture(platform::assetPath(skinFile)));
    return QRegion(QBitmap::fromImage(skin.createMaskFromColor(qRgb(255, 0, 255), Qt::MaskInColor)));
}
inline QWidget* window() { return forms::widgetOf(frmTest::instance()); }
inline QRegion windowMask() { return window()->mask(); }
inline bool samePicture(const gdi::Picture& a, const gdi::Picture& b) {
    return a.bitmap() && b.bitmap() && a.bitmap()->bits == b.bitmap()->bits;
}

// Keys go to the window's focus button, as in use: the window must see them before its element does.
// The element has the focus, so the window sees a key only where it previews its elements' keys.
inline void pressKey(int key, const QString& text, QWidget* to = forms::widgetOf(frmTest::instance().cmdfokus)) {
    to->setFocus();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(to, &press);
}
inline void pressEscape() { pressKey(Qt::Key_Escape, "\x1b"); }

inline void sendMouseTo(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton which, Qt::MouseButtons held,
                        Qt::KeyboardModifiers keys = {}) {
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), which, held, keys);
    QCoreApplication::sendEvent(widget, &event);
}
inline void press(forms::Control& element, Qt::MouseButton which = Qt::LeftButton, Qt::KeyboardModifiers keys = {},
                  bool down = true) {
    sendMouseTo(forms::widgetOf(element), down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, {2, 2}, which,
                down ? Qt::MouseButtons(which) : Qt::NoButton, keys);
}
inline void click(forms::Control& element, Qt::MouseButton which = Qt::LeftButton, Qt::KeyboardModifiers keys = {}) {
    press(element, which, keys);
    press(element, which, keys, false);
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
    fs::path appdata = temp.path() / "appdata", dataFolder = appdata / "Ostrolab" / "zirpomat";
    fs::path ini = dataFolder / "zpm.ini", windir = temp.path() / "windows", media = windir / "media";
    fs::path sounds = temp.path() / "sounds";
    ScopedEnv appdataEnv{"APPDATA", appdata.string()}, windirEnv{"windir", windir.string()};
    std::vector<forms::MessageRequest> messages;

    void SetUp() override {
        // A program folder on another file system keeps its settings there.
        if (!platform::files::isOnSystemDrive(platform::files::programFolder()))
            GTEST_SKIP() << "the test program lies on a portable folder";
        fs::create_directories(media);
        fs::create_directories(sounds);
        writeSilentWav(media / "eep.wav", 3000);
        forgetSettings();
        forms::startRuntime();
        forms::AllowWaits();  // a main window closed by an earlier test ended them
        forms::setMessageHook([this](const forms::MessageRequest& request) {
            messages.push_back(request);
            return forms::vbNo;
        });
        Zpm = ZpmState{};
    }
    void TearDown() override {
        forms::setMessageHook({});
        mdINIBas::SetEventPump(nullptr);
        Zpm = ZpmState{};
    }

    // The store keeps the last file read; reading another one makes it read the next from disk.
    void forgetSettings() { mdINIBas::GetIniValue("none", "none", "", temp.file("none.ini")); }
    // Settings written as the program writes them: "\n" as "\r\n", "$" for the sounds folder.
    std::string crlf(std::string_view text) const {
        std::string out;
        for (char c : text) out += c == '\n' ? "\r\n" : c == '$' ? sounds.string() : std::string(1, c);
        return out;
    }
    void writeSettings(std::string_view text, const fs::path& file = {}) {
        fs::create_directories(dataFolder);
        writeFile(file.empty() ? ini : file, crlf(text));
        forgetSettings();
    }
    std::string settingsText() const { return readFile(ini); }
    // A value of the settings file as it stands on disk; "NIL" when absent.
    std::string onDisk(std::string_view section, std::string_view key) {
        forgetSettings();
        return mdINIBas::GetIniValue(section, key, "NIL", ini.string());
    }
    // A silent sound under sounds/, by default long enough to play throughout a test.
    std::string sound(std::string_view name, int milliseconds = 30000) {
        const fs::path file = sounds / name;
        fs::create_directories(file.parent_path());
        writeSilentWav(file, milliseconds);
        return file.string();
    }
    // A real MP3 under sounds/, of one second, whose tag names another title than its file name.
    std::string mp3(std::string_view name) {
        const fs::path file = sounds / name;
        writeMp3(file, 1, "Title From The Tag");
        return file.string();
    }
};

// The main window as plain values, with the two real players on the silent sink.
class RecordingWindow : public ZpmWindow {
public:
    struct Button {
        std::string toolTip, tag;
        std::optional<ButtonPicture> picture;
        int refreshes = 0;
    };
    std::map<int, Button> buttons;
    std::string title, time, caption, fadeTag = std::string(FadeIdleTag);
    bool titleCentred = true, minimised = false, fadeEnabled = false;
    int soundListUnloads = 0, soundListShows = 0;
    std::array<media::MediaPlayer, 2> players;

    RecordingWindow() {
        for (int n = 1; n <= ButtonCount; ++n) buttons[n];
        for (int n = 1; n <= TwinCount; ++n) buttons[n + TwinOffset];
    }
    bool HasButton(int index) const override { return buttons.contains(index); }
    std::string ButtonToolTip(int index) const override { return buttons.at(index).toolTip; }
    void SetButtonToolTip(int index, std::string_view text) override { buttons.at(index).toolTip = text; }
    std::string ButtonTag(int index) const override { return buttons.at(index).tag; }
    void SetButtonTag(int index, std::string_view tag) override { buttons.at(index).tag = tag; }
    void ShowButton(int index, ButtonPicture picture) override { buttons.at(index).picture = picture; }
    void RefreshButton(int index) override { ++buttons.at(index).refreshes; }
    void SetTitleText(std::string_view text) override { title = text; }
    void SetTitleCentred(bool centred) override { titleCentred = centred; }
    void ShowLoading() override { title = "Loading..."; }
    std::string TimeText() const override { return time; }
    void SetTimeText(std::string_view text) override { time = text; }
    void SetCaption(std::string_view text) override { caption = text; }
    bool Minimised() const override { return minimised; }
    std::string FadeTag() const override { return fadeTag; }
    void SetFadeTag(std::string_view tag) override { fadeTag = tag; }
    void SetFadeEnabled(bool enabled) override { fadeEnabled = enabled; }
    media::MediaPlayer& Player(int index) override { return players.at(static_cast<std::size_t>(index)); }
    void UnloadSoundList() override { ++soundListUnloads; }
    void ShowSoundList() override { ++soundListShows; }
};

// The program module on a recording window; the state starts afresh for every test.
class CoreTest : public DataFolderTest {
protected:
    std::optional<RecordingWindow> window;
    ZpmWindow* realWindow = nullptr;

    void SetUp() override {
        DataFolderTest::SetUp();
        realWindow = SetMainWindow(&window.emplace());
    }
    void TearDown() override {
        SetMainWindow(realWindow);
        DataFolderTest::TearDown();
    }
    // A new start: fresh state, a new window with new players, these settings.
    void restart(std::string_view settings = "") {
        Zpm = ZpmState{};
        SetMainWindow(&window.emplace());
        writeSettings(settings);
        LoadSettings();
    }
    void press(int index, int button = 1, int shift = 0) {
        std::int16_t i = std::int16_t(index), b = std::int16_t(button), s = std::int16_t(shift);
        ButtonAction(i, b, s);
    }
    // A press and its release, as the window hands them on.
    void click(int index, int button = 1, int shift = 0) {
        press(index, button, shift);
        ShowReleasedButton(index, shift);
    }
    media::MediaPlayer& player(int index = 0) { return window->Player(index); }
    // The name of the file the main player was given last.
    std::string playing() { return fs::path(player().FileName()).filename().string(); }
    std::optional<ButtonPicture> picture(int index) const { return window->buttons.at(index).picture; }
    std::string tip(int index) const { return window->ButtonToolTip(index); }
};

// The real main window, loaded from settings in the data folder, with the
// real sound-list window behind its links.
class MainWindowTest : public DataFolderTest {
protected:
    ScopedEnv langEnv{"LANG", "de"};
    int soundListUnloads = 0, helpUnloads = 0;
    frmTest* form = nullptr;

    void SetUp() override {
        DataFolderTest::SetUp();
        frmTest::links = {"", {}, [this] { ++helpUnloads; }, [this] { ++soundListUnloads, Form2::instance().Close(); },
                          [] { Form2::instance().Show(); }};
    }
    void TearDown() override {
        if (Form2::instance().Loaded()) Form2::instance().Close();
        if (frmTest::instance().Loaded()) {
            Zpm.iMaschineMode = 1;
            frmTest::instance().set_maschine();
            frmTest::instance().Unload();
        }
        frmTest::links = {};
        frmTest::onTop = {};
        DataFolderTest::TearDown();
    }

    frmTest& load() {
        frmTest::instance().Load();
        return *(form = &frmTest::instance());
    }
    // Loads the window from these settings; the test ticks the status timer itself, one call a tick.
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
    static Form2& list() { return Form2::instance(); }
    void openList() { click(form->lblSndLst); }
};

}  // namespace sbtest
