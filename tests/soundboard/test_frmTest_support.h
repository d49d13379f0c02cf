// Shared by the main window's tests: the outline a skin file asks for, read
// from its own pixels, and a fixture that loads the real main window with
// its settings in a temporary data folder and answers message boxes.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "ModZPM.h"
#include "asset_dir.h"
#include "files.h"
#include "forms_qt.h"
#include "frmTest.h"
#include "mdINIBas.h"
#include "scoped_env.h"
#include "temp_dir.h"

namespace frmtest {

namespace fs = std::filesystem;

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

inline void pressKey(QWidget* target, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
}

// Esc where the window's own focus button holds the keyboard focus: the
// window must see it before its element does.
inline void pressEscape() { pressKey(forms::widgetOf(frmTest::instance().cmdfokus), Qt::Key_Escape, "\x1b"); }

// The value of a key in the settings file as it stands on disk.
inline std::optional<std::string> savedValue(const fs::path& file, const std::string& key) {
    std::smatch found;
    const std::string text = testing_support::readFile(file);
    if (!std::regex_search(text, found, std::regex("(^|\n)" + key + "=([^\r\n]*)"))) return std::nullopt;
    return found[2].str();
}

class MainWindowTest : public ::testing::Test {
protected:
    testing_support::TempDir temp;
    fs::path appdata = temp.path() / "appdata";
    fs::path dataFolder = appdata / "Ostrolab" / "zirpomat";
    fs::path ini = dataFolder / "zpm.ini";
    testing_support::ScopedEnv appdataEnv{"APPDATA", appdata.string()};
    testing_support::ScopedEnv windirEnv{"windir", (temp.path() / "windows").string()};
    testing_support::ScopedEnv langEnv{"LANG", "de"};
    std::vector<forms::MessageRequest> messages;
    int answer = forms::vbNo;
    int soundListUnloads = 0;
    int helpUnloads = 0;

    void SetUp() override {
        // A program folder on another file system keeps its settings there
        // instead of in the temporary data folder.
        if (!platform::files::isOnSystemDrive(platform::files::programFolder()))
            GTEST_SKIP() << "the test program lies on a portable folder";
        forms::startRuntime();
        forgetSettings();
        forms::setMessageHook([this](const forms::MessageRequest& request) {
            messages.push_back(request);
            return answer;
        });
        frmTest::unloadSoundList = [this] { ++soundListUnloads; };
        frmTest::unloadHelpWindow = [this] { ++helpUnloads; };
        frmTest::CommandLine.clear();
        bPanic = false;
        bSndListOpen = false;
    }

    void TearDown() override {
        frmTest& form = frmTest::instance();
        if (form.Loaded()) form.Unload();
        forms::setMessageHook({});
        frmTest::unloadSoundList = nullptr;
        frmTest::unloadHelpWindow = nullptr;
        frmTest::CommandLine.clear();
        bPanic = false;
        bSndListOpen = false;
    }

    // The settings store keeps the last file read in memory; reading
    // another one makes it read the next from disk.
    void forgetSettings() { mdINIBas::GetIniValue("none", "none", "", temp.file("none.ini")); }

    void writeSettings(std::string_view text) {
        fs::create_directories(dataFolder);
        testing_support::writeFile(ini, text);
        forgetSettings();
    }

    frmTest& load() {
        frmTest::instance().Load();
        return frmTest::instance();
    }

    std::optional<std::string> saved(const std::string& key) const { return savedValue(ini, key); }
};

}  // namespace frmtest
