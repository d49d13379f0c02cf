#include "display.h"

#include <unistd.h>
#include <fontconfig/fontconfig.h>
#include <xcb/xcb.h>

#include <QString>
#include <QtGlobal>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "forms_qt.h"
#include "runtime.h"
#include "x11_window_manager.h"

namespace forms {
namespace {

// How often a start whose display connection failed is tried again, and
// the pause before each new try (times the number of tries so far).
constexpr int kStartAttempts = 5;
constexpr auto kRetryPause = std::chrono::milliseconds(100);
constexpr const char* kAttemptVariable = "ZPM_DISPLAY_ATTEMPT";

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

bool x11DisplayAnswers() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

// Qt ends the process when it cannot open its display, so ask first; a
// busy X server refuses a connection now and then, so ask a few times.
bool x11DisplayReachable() {
    for (int attempt = 1;; ++attempt) {
        if (x11DisplayAnswers()) return true;
        if (attempt == kStartAttempts) return false;
        std::this_thread::sleep_for(kRetryPause * attempt);
    }
}

int attemptsSoFar() {
    const char* value = std::getenv(kAttemptVariable);
    return value ? std::atoi(value) : 0;
}

// The process's own arguments, as it was started.
std::vector<std::string> ownArguments() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = all.find('\0', start);
        arguments.push_back(all.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return arguments;
}

// This environment with the count of tries in place of any count it holds.
// The count goes only to the new process: setenv here would race with the
// threads still reading this one's environment.
std::vector<char*> environmentWithAttempts(std::string& entry, int attempts) {
    const std::string prefix = std::string(kAttemptVariable) + "=";
    entry = prefix + std::to_string(attempts);
    std::vector<char*> environment{entry.data()};
    for (char** variable = environ; *variable; ++variable)
        if (!std::string_view(*variable).starts_with(prefix)) environment.push_back(*variable);
    environment.push_back(nullptr);
    return environment;
}

[[noreturn]] void startAgain(int attempts) {
    std::this_thread::sleep_for(kRetryPause * attempts);
    std::vector<std::string> arguments = ownArguments();
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::string entry;
    if (argv.size() > 1) ::execve("/proc/self/exe", argv.data(), environmentWithAttempts(entry, attempts).data());
    std::_Exit(1);  // not reached unless the program cannot be started again
}

const char* startHint = "";
std::vector<QString> heldMessages;  // what Qt said while starting

// While the runtime starts, Qt's messages are held back: a failed start
// shows only the hint, a good one shows them afterwards.
void whileStarting(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        heldMessages.push_back(qFormatLogMessage(type, context, message));
        return;
    }
    const int attempts = attemptsSoFar() + 1;
    if (attempts < kStartAttempts) startAgain(attempts);
    std::fprintf(stderr, "%s\n", startHint);
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

void takeStartupNotice() {
    const char* id = std::getenv("DESKTOP_STARTUP_ID");
    if (!id) return;
    x11::holdStartupNotice(id);
    ::unsetenv("DESKTOP_STARTUP_ID");
}

bool chooseDisplay() {
    if (isSet("QT_QPA_PLATFORM")) return true;
    if (!isSet("DISPLAY") || !x11DisplayReachable()) return isSet("WAYLAND_DISPLAY");
    setWindowSystem("xcb");
    return true;
}

void startRuntimeOrExit(const char* hint) {
    startHint = hint;
    // The font configuration is read while Qt connects; the first element
    // with text needs it.
    auto fonts = std::async(std::launch::async, [] { return FcInit(); });
    const QtMessageHandler previous = qInstallMessageHandler(whileStarting);
    startRuntime();
    qInstallMessageHandler(previous);
    fonts.wait();
    for (const QString& message : heldMessages) std::fprintf(stderr, "%s\n", qPrintable(message));
    heldMessages.clear();
}

}  // namespace forms
