// The saved place and mode, then drops of files with arbitrary names, on the real main window (offscreen,
// silent players). The input is NUL-parted pieces: the saved top, left and mode, then a name a piece. The
// window loads the three from its settings file and must stand at a finite place; it takes the drop on a
// button and unloads, saving its place. A single dropped sound must be stored so that it reads back as the
// same path, unless its name cannot be stored.
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "ModZPM.h"
#include "ascii_text.h"
#include "files.h"
#include "forms_qt.h"
#include "frmTest.h"
#include "fuzz_input.h"
#include "mdINIBas.h"
#include "sound_files.h"

namespace {

using namespace platform::text;

// Folders under the scratch folder, offscreen windows, silent players, message boxes answered at once.
const std::string& folder() {
    static const std::string base = [] {
        const std::string base = fuzzing::scratchFolder();
        for (auto [name, value] :
             {std::pair{"QT_QPA_PLATFORM", "offscreen"}, {"ZPM_AUDIO_SINK", "fakeaudiosink"}, {"LANG", "de"}})
            ::setenv(name, value, 1);
        ::setenv("APPDATA", (base + "/appdata").c_str(), 1);
        ::setenv("windir", (base + "/windows").c_str(), 1);
        testing_support::writeSilentWav(base + "/windows/media/eep.wav", 100);
        forms::startRuntime();
        forms::setMessageHook([](const forms::MessageRequest&) { return forms::vbNo; });
        frmTest::links.unloadSoundList = frmTest::links.unloadHelpWindow = [] {};
        return base;
    }();
    return base;
}

// Names the drop hands on unchanged and the settings file can hold (markers are expanded on reading).
bool readsBackAsItself(std::string_view name) {
    const auto plain = [](char c) {
        return isAsciiLetter(c) || (c >= '0' && c <= '9') ||
               std::string_view(" _-.()[]!/").find(c) != std::string_view::npos;
    };
    return std::ranges::all_of(name, plain) && name.find("//") == name.npos && !name.ends_with('/') &&
           findNoCase(name, "[!P!]") == name.npos && findNoCase(name, "[!D!]") == name.npos;
}

// A drag enters the button and drops the files there, as a file manager does.
void dropOn(forms::Image& button, const std::vector<std::string>& files) {
    QList<QUrl> urls;
    for (const std::string& file : files) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(file)));
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(forms::widgetOf(button), &enter);
    QCoreApplication::sendEvent(forms::widgetOf(button), &drop);
}

}  // namespace

ZPM_FUZZ(input) {
    const std::string base = folder();
    const std::string dataFolder = base + "/appdata/Ostrolab/zirpomat";
    std::filesystem::create_directories(dataFolder);
    std::string settings = "[ppos]\r\n";
    for (const char* key : {"yp", "xp", "mp"}) settings += key + ("=" + input.next()) + "\r\n";
    platform::files::replaceFile(dataFolder + "/zpm.ini", settings);
    mdINIBas::GetIniValue("x", "x", "", base + "/none.ini");  // the next read comes from disk
    frmTest& window = frmTest::instance();
    window.Load();
    window.Timer1.setEnabled(false);
    fuzzing::require(std::isfinite(window.Left()) && std::isfinite(window.Top()));
    std::vector<std::string> dropped;
    bool checkable = true;
    while (!input.rest.empty())
        if (const std::string name = input.next(); name.find("..") == std::string::npos)  // nothing outside the folder
            checkable = checkable && readsBackAsItself(name), dropped.push_back(base + "/drop/" + name);
    if (!dropped.empty()) dropOn(window.Image1[dropped.size() % 2 ? 3 : 103], dropped);  // a button, a twin
    const auto sound = [](std::string_view path) {
        return endsWithNoCase(path, ".wav") || endsWithNoCase(path, ".mp3") || endsWithNoCase(path, ".mid");
    };
    if (dropped.size() == 1 && checkable && sound(dropped[0]))
        fuzzing::require(ExpandPathMarkers(mdINIBas::GetIniValue("snds", "s3", "NIL", Zpm.INI_Name)) == dropped[0]);
    window.Unload();
    // The window of the load before is freed from the event loop; none runs here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::filesystem::remove_all(base + "/appdata");
}
