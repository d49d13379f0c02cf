#include "waits.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>
#include <thread>

namespace forms {
namespace {

bool ended = false;
WaitHooks hooks;

using Clock = std::chrono::steady_clock;

bool haveApplication() { return QCoreApplication::instance() != nullptr; }

// Sleeps until the next event and runs it. Qt's dispatcher on Linux runs the
// GLib main context, so timers, posted events, window-system input and the
// players' bus watches all end the sleep.
void runNextEvent() { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); }

// Runs events until the deadline; a timer ends the last sleep in time.
bool runEventsUntil(Clock::time_point deadline) {
    if (!haveApplication()) {
        std::this_thread::sleep_until(deadline);
        return !ended;
    }
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, [] {});
    for (auto now = Clock::now(); !ended && now < deadline; now = Clock::now()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        wake.start(static_cast<int>(left.count()));
        runNextEvent();
    }
    return !ended;
}

void notifyWaitStarted() {
    if (hooks.waitStarted) hooks.waitStarted();
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done) {
    if (ended) return false;
    notifyWaitStarted();
    if (!haveApplication()) return done();
    QCoreApplication::processEvents();
    while (!ended && !done()) runNextEvent();
    return !ended;
}

bool Ramp(int steps, std::chrono::milliseconds total, const std::function<void(int step)>& step) {
    if (ended) return false;
    notifyWaitStarted();
    const Clock::time_point start = Clock::now();
    for (int i = 1; i <= steps; ++i) {
        step(i);
        if (hooks.rampStepped) hooks.rampStepped(i);
        if (!runEventsUntil(start + total * i / steps)) return false;
    }
    return true;
}

void EndWaits() {
    ended = true;
    // The innermost wait may be asleep when this runs outside an event.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
}

void AllowWaits() { ended = false; }

bool WaitsEnded() { return ended; }

void setWaitHooks(WaitHooks newHooks) { hooks = std::move(newHooks); }

}  // namespace forms
