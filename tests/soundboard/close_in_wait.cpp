// The real program, closed by a real close event inside one of the waits of
// a press; it prints what its players hold once its event loop has ended.
// Run in a process of its own by the close-in-wait test. The settings file
// (button 1 and 4 long sounds, 2 a long jingle, 3 a short one) lies in the
// data folder under APPDATA.
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "ModZPM.h"
#include "forms.h"
#include "forms_qt.h"
#include "frmTest.h"
#include "mdINIBas.h"

namespace {

void pressButton(std::int16_t index, std::int16_t button, std::int16_t shift) { ButtonAction(index, button, shift); }
void leftPress(std::int16_t index, std::int16_t shift = 0) { pressButton(index, forms::vbLeftButton, shift); }
void toggleTalkOver() { pressButton(1, forms::vbRightButton, forms::vbShiftMask); }

void post(std::function<void()> action) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(action), Qt::QueuedConnection);
}

void closeMainWindow() { forms::widgetOf(frmTest::instance())->close(); }

struct Scenario {
    std::function<void()> presses;         // after button 1 has started
    std::map<int, std::function<void()>> insideWait;  // by the wait's number
};

std::map<std::string_view, Scenario> scenarios() {
    return {
        {"jingle", {[] { Zpm.bTalkOver = true; leftPress(2); }, {{1, closeMainWindow}}}},
        {"talkover", {toggleTalkOver, {{1, closeMainWindow}}}},
        {"oneshot-down", {[] { leftPress(3, forms::vbShiftMask); }, {{1, closeMainWindow}}}},
        {"oneshot-wait", {[] { leftPress(2, forms::vbShiftMask); }, {{2, closeMainWindow}}}},
        {"oneshot-up", {[] { leftPress(3, forms::vbShiftMask); }, {{3, closeMainWindow}}}},
        {"fadeover", {[] { leftPress(4, forms::vbAltMask); }, {{1, closeMainWindow}}}},
        // A fade over of the current button in talk-over mode, a jingle
        // inside its wait, and the talk-over ramp inside the jingle's.
        {"nested",
         {[] {
              Zpm.bTalkOver = true;
              leftPress(1, forms::vbAltMask);
          },
          {{1, [] { leftPress(2); }}, {2, toggleTalkOver}, {3, closeMainWindow}}}},
    };
}

std::string nameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

int main(int argc, char** argv) {
    const auto all = scenarios();
    const auto chosen = argc == 2 ? all.find(argv[1]) : all.end();
    if (chosen == all.end()) return 2;
    const Scenario& scenario = chosen->second;

    forms::startRuntime();
    mdINIBas::SetEventPump(forms::DoEvents);
    frmTest& form = frmTest::instance();
    form.Show();
    int waits = 0;
    int steps = 0;
    forms::setWaitHooks({[&] {
                             const auto found = scenario.insideWait.find(++waits);
                             if (found != scenario.insideWait.end()) post(found->second);
                         },
                         [&](int) { ++steps; }});
    post([&] {
        leftPress(1);
        scenario.presses();
    });
    const int result = forms::Run();

    // A press that comes after the close starts nothing either.
    leftPress(4);
    media::MediaPlayer& main = form.wmp(0);
    media::MediaPlayer& second = form.wmp(1);
    std::printf("run=%d main=%ld %s %ld second=%ld %s %ld steps=%d current=%d\n", result, main.PlayState(),
                nameOf(main.FileName()).c_str(), main.Volume(), second.PlayState(), nameOf(second.FileName()).c_str(),
                second.Volume(), steps, Zpm.iCurBtn);
    return 0;
}
