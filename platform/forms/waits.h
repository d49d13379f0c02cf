// Waits and volume ramps on the user-interface thread that keep every
// window alive: other events (presses, timers, players' news) run inside
// them, so a handler that waits can be entered again from one of them.
// Nothing here polls: between two looks at its condition a wait sleeps
// until the next event arrives.
#pragma once

#include <chrono>
#include <functional>

namespace forms {

// Runs the pending events, then tests done(), then sleeps until the next
// event and tests again, until done() holds: true. False when every wait was
// ended meanwhile (EndWaits), or at once when they are ended already; the
// caller must then leave everything as it is. Without an application no
// event can come, so done() is tested once.
bool WaitUntil(const std::function<bool()>& done);

// `steps` steps spread evenly over `total`: step(1), then events for a
// total / steps share of the time, step(2), and so on; the events run from
// the moment each step is due, whatever the machine's speed. False when the
// waits were ended: no further step runs.
bool Ramp(int steps, std::chrono::milliseconds total, const std::function<void(int step)>& step);

// Ends every running wait and ramp at once, and every later one as soon as
// it starts, until waits are allowed again. The forms runtime ends them when
// the last loaded window unloads and allows them when a window loads while
// none was loaded.
void EndWaits();
void AllowWaits();
bool WaitsEnded();

// Test hooks, one of each: waitStarted runs at the start of every wait and
// every ramp, rampStepped after every ramp step, both inside them.
struct WaitHooks {
    std::function<void()> waitStarted;
    std::function<void(int step)> rampStepped;
};
void setWaitHooks(WaitHooks hooks);  // empty hooks: none

}  // namespace forms
