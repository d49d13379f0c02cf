// Drops and saved window numbers from arbitrary bytes, on the real main
// window (offscreen, silent players). The input is pieces parted by NUL
// bytes: the saved top, left and mode, then the names of dropped files.
// The window loads from a settings file holding the three numbers, takes
// the drop on a button, and unloads (saving its place). A single dropped
// sound must be stored so that it reads back as the same path (paths with
// markers or line breaks, which cannot be stored, are left out of that
// check). Dropped names stay inside the fuzzer's own folder.
#include <unistd.h>

#include <QCoreApplication>
#include <QDropEvent>
#include <QList>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ModZPM.h"
#include "ascii_text.h"
#include "files.h"
#include "forms.h"
#include "forms_qt.h"
#include "frmTest.h"
#include "fuzz_input.h"
#include "mdINIBas.h"
#include "silent_wav.h"

namespace {

namespace fs = std::filesystem;

using fuzzing::nextPiece;

// The data and system folders under the fuzzer's folder, the offscreen
// platform, silent players and message boxes answered at once.
const std::string& folder() {
    static const std::string path = [] {
        const std::string base = fuzzing::scratchFolder();
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("ZPM_AUDIO_SINK", "fakeaudiosink", 1);
        ::setenv("LANG", "de", 1);
        ::setenv("APPDATA", (base + "/appdata").c_str(), 1);
        ::setenv("windir", (base + "/windows").c_str(), 1);
        testing_support::writeSilentWav(base + "/windows/media/eep.wav", 100);
        forms::startRuntime();
        forms::setMessageHook([](const forms::MessageRequest&) { return forms::vbNo; });
        frmTest::links.unloadSoundList = [] {};
        frmTest::links.unloadHelpWindow = [] {};
        return base;
    }();
    return path;
}

// Names whose file address the drop hands on unchanged, and that the
// settings file can hold (markers would be expanded on reading).
bool readsBackAsItself(std::string_view name) {
    using platform::text::findNoCase;
    const bool plain = std::ranges::all_of(name, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view(" _-.()[]!/").find(c) != std::string_view::npos;
    });
    return plain && name.find("//") == std::string_view::npos && !name.ends_with('/') &&
           findNoCase(name, "[!P!]") == std::string::npos && findNoCase(name, "[!D!]") == std::string::npos;
}

// A drag enters the button and drops the files there, as a file manager
// does.
void dropOn(forms::Image& button, const std::vector<std::string>& files) {
    QList<QUrl> urls;
    for (const std::string& file : files) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(file)));
    QMimeData data;
    data.setUrls(urls);
    QWidget* widget = forms::widgetOf(button);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &drop);
}

bool isSound(std::string_view path) {
    using platform::text::endsWithNoCase;
    return endsWithNoCase(path, ".wav") || endsWithNoCase(path, ".mp3") || endsWithNoCase(path, ".mid");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string base = folder();
    const std::string dataFolder = base + "/appdata/Ostrolab/zirpomat";
    fs::create_directories(dataFolder);
    std::string settings = "[ppos]\r\nyp=";
    settings += nextPiece(input);
    settings += "\r\nxp=";
    settings += nextPiece(input);
    settings += "\r\nmp=";
    settings += nextPiece(input);
    settings += "\r\n";
    platform::files::replaceFile(dataFolder + "/zpm.ini", settings);
    mdINIBas::GetIniValue("x", "x", "", base + "/none.ini");  // the next read comes from disk

    frmTest& window = frmTest::instance();
    window.Load();
    window.Timer1.setEnabled(false);
    if (!std::isfinite(window.Left()) || !std::isfinite(window.Top())) std::abort();

    std::vector<std::string> dropped;
    bool checkable = true;
    while (!input.empty()) {
        const std::string_view name = nextPiece(input);
        if (name.find("..") != std::string_view::npos) continue;  // nothing outside the folder
        checkable = checkable && readsBackAsItself(name);
        dropped.push_back(base + "/drop/" + std::string(name));
    }
    if (!dropped.empty()) dropOn(window.Image1[dropped.size() % 2 ? 3 : 103], dropped);  // a button, a twin
    if (dropped.size() == 1 && checkable && isSound(dropped[0])) {
        const std::string stored = mdINIBas::GetIniValue("snds", "s3", "NIL", Zpm.INI_Name);
        if (ExpandPathMarkers(stored) != dropped[0]) std::abort();
    }
    window.Unload();
    // A loaded window replaces the one of the load before, which is freed
    // from the event loop; none runs here, so free it now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    fs::remove_all(base + "/appdata");
    return 0;
}
