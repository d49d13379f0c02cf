// The runtime's process-wide services: the event-processing pass, message
// boxes, the screen size in twips.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace forms {

constexpr int twipsPerPixel = 15;

// Starts the runtime when it is not running yet: the application object (one
// is made when the program has none) and the window host of the graphics layer.
void startRuntime();

// Runs every pending event and returns; does nothing without an application.
void DoEvents();

// The screen's size in twips (pixels times 15); 0 without an application.
int ScreenWidth();
int ScreenHeight();

class Form;

// A rectangle of the screen in twips.
struct ScreenArea {
    int left = 0, top = 0, width = 0, height = 0;
};

// The part of the screen the window is on that windows may cover: the
// screen less the desktop's panels and docks. Empty without an application.
ScreenArea AvailableArea(const Form& window);

// Message box buttons, icons and results, with the platform's numbers.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// The standard buttons of message boxes (Yes, No, OK, ...) read in German,
// or in English, whatever the system's locale.
void setGermanStandardButtons(bool german);

// Shows a modal message box; an empty title gives the program's title.
int MsgBox(std::string_view prompt, int buttons = vbOKOnly, std::string_view title = {});

// What a message box was asked to show; a test hook answers it instead of
// a person (no box is shown while a hook is set).
struct MessageRequest {
    std::string prompt;
    int buttons = 0;
    std::string title;
};
using MessageHook = std::function<int(const MessageRequest&)>;
void setMessageHook(MessageHook hook);  // an empty hook shows real boxes again

}  // namespace forms
