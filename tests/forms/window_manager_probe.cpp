// A shaped window (an L: the full width on top, the left half below) driven line by line from standard
// input, for the end-to-end test that reads what a real window manager made of it. It prints
// "window <id>" once shown, then one answer a command: above / notabove ("1" or "0" from SetWindowPos),
// hide, show, minimise, normal, quit ("done"), state (WindowState()). A press of any mouse button on the
// window starts the caption-press move.
#include <QSocketNotifier>
#include <QWidget>
#include <cstdio>
#include <iostream>

#include "forms.h"
#include "forms_qt.h"
#include "region.h"
#include "window_services.h"

namespace {

class ProbeWindow : public forms::Form {
public:
    ProbeWindow() { design(); }

private:
    void design() override { setClientSize(200, 100), setCaption("Probe"), setBackColor(0x000000FF); }
    void Form_MouseDown(const forms::MouseEvent&) override {
        forms::ReleaseCapture();
        forms::SendMessage(hWnd(), forms::WM_NCLBUTTONDOWN, forms::HTCAPTION, 0);
    }
};

std::string run(ProbeWindow& window, const std::string& command) {
    if (command == "above" || command == "notabove")
        return forms::SetWindowPos(window.hWnd(), command == "above" ? forms::HWND_TOPMOST : forms::HWND_NOTOPMOST, 0, 0, 0, 0,
                                   forms::SWP_NOMOVE | forms::SWP_NOSIZE) ? "1" : "0";
    if (command == "state") return std::to_string(window.WindowState());
    if (command == "hide") window.Hide();
    if (command == "show") window.Show();
    if (command == "minimise" || command == "normal") window.setWindowState(command == "normal" ? forms::vbNormal : forms::vbMinimized);
    if (command == "quit") window.Unload();
    return "done";
}

void answer(const std::string& line) { std::printf("%s\n", line.c_str()), std::fflush(stdout); }

}  // namespace

int main() {
    if (!forms::chooseDisplay()) return 1;
    forms::startRuntime();
    ProbeWindow window;
    window.Move(1500, 1500);
    window.Show();
    const gdi::Handle outline = gdi::CreateRectRgn(0, 0, 200, 50), foot = gdi::CreateRectRgn(0, 50, 100, 100);
    gdi::CombineRgn(outline, outline, foot, gdi::RGN_OR);
    gdi::deleteObject(foot);
    gdi::SetWindowRgn(window.hWnd(), outline, true);
    forms::DoEvents();
    answer("window " + std::to_string(forms::widgetOf(window)->winId()));
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string command;
        answer(run(window, std::getline(std::cin, command) ? command : "quit"));
    });
    return forms::Run();
}
