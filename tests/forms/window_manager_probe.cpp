// A shaped window of the forms runtime, driven line by line from standard
// input, for the end-to-end test that reads from the X server what a real
// window manager made of it. Commands and their answers (one line each):
//   above / notabove   SetWindowPos HWND_TOPMOST / HWND_NOTOPMOST: "1" or "0"
//   hide / show        Hide() / Show()
//   minimise / normal  setWindowState(vbMinimized / vbNormal)
//   state              WindowState()
//   quit
// A press of any mouse button on the window starts the caption-press move.
// It prints "window <id>" once it is shown.
#include <QSocketNotifier>
#include <QWidget>
#include <cstdio>
#include <iostream>
#include <string>

#include "forms.h"
#include "forms_qt.h"
#include "region.h"
#include "window_services.h"

namespace {

class ProbeWindow : public forms::Form {
public:
    ProbeWindow() { design(); }

private:
    void design() override {
        setClientSize(200, 100);
        setCaption("Probe");
        setBackColor(0x000000FF);
    }
    void Form_MouseDown(const forms::MouseEvent&) override {
        forms::ReleaseCapture();
        forms::SendMessage(hWnd(), forms::WM_NCLBUTTONDOWN, forms::HTCAPTION, 0);
    }
};

// An L: the full width on top, the left half below.
void shape(const ProbeWindow& window) {
    const gdi::Handle outline = gdi::CreateRectRgn(0, 0, 200, 50);
    const gdi::Handle foot = gdi::CreateRectRgn(0, 50, 100, 100);
    gdi::CombineRgn(outline, outline, foot, gdi::RGN_OR);
    gdi::deleteObject(foot);
    gdi::SetWindowRgn(window.hWnd(), outline, true);
}

std::string run(ProbeWindow& window, const std::string& command) {
    const unsigned keep = forms::SWP_NOMOVE | forms::SWP_NOSIZE;
    if (command == "above" || command == "notabove") {
        const auto insertAfter = command == "above" ? forms::HWND_TOPMOST : forms::HWND_NOTOPMOST;
        return forms::SetWindowPos(window.hWnd(), insertAfter, 0, 0, 0, 0, keep) ? "1" : "0";
    }
    if (command == "hide") window.Hide();
    if (command == "show") window.Show();
    if (command == "minimise") window.setWindowState(forms::vbMinimized);
    if (command == "normal") window.setWindowState(forms::vbNormal);
    if (command == "quit") window.Unload();
    return command == "state" ? std::to_string(window.WindowState()) : "done";
}

}  // namespace

int main() {
    if (!forms::chooseDisplay()) return 1;
    forms::startRuntime();
    ProbeWindow window;
    window.Move(1500, 1500);
    window.Show();
    shape(window);
    forms::DoEvents();
    std::printf("window %llu\n", static_cast<unsigned long long>(forms::widgetOf(window)->winId()));
    std::fflush(stdout);

    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string command;
        if (!std::getline(std::cin, command)) command = "quit";
        std::printf("%s\n", run(window, command).c_str());
        std::fflush(stdout);
    });
    return forms::Run();
}
