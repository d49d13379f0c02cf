// A window of the program. A window class derives from Form, holds its
// elements as members, places them in design() and handles its own events
// by overriding the Form_ methods; element events are the elements' on...
// functions. Positions of the window are twips, its inner size pixels.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "control.h"
#include "picture.h"
#include "window_host.h"

namespace forms {

enum WindowState : int { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };

class Form {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // Loads the window (Form_Load runs) unless it is loaded; a window that
    // was unloaded starts afresh: new elements as design() places them.
    void Load();
    // Runs Form_Unload; unless cancelled, hides the window and unloads it.
    // Elements stay usable by code still running (they are replaced at the
    // next load, never freed under it).
    void Unload();
    bool Loaded() const;
    void Show();  // loads when needed
    void Hide();
    bool Visible() const;
    void ZOrder();  // to the front

    float Left() const;  // twips
    float Top() const;
    void setLeft(float twips);
    void setTop(float twips);
    void Move(float left, float top);
    // The outer size in twips; without a border it is the inner size.
    float Width() const;
    float Height() const;
    void setWidth(float twips);
    void setHeight(float twips);
    float ScaleWidth() const;  // pixels
    float ScaleHeight() const;
    void setClientSize(int width, int height);

    std::string Caption() const;
    void setCaption(std::string_view caption);
    const gdi::Picture& Picture() const;
    void setPicture(const gdi::Picture& picture);  // the background, from the top-left corner
    void setIcon(const gdi::Picture& icon);
    int WindowState() const;
    void setWindowState(int state);
    Color BackColor() const;
    void setBackColor(Color color);
    bool KeyPreview() const;
    void setKeyPreview(bool on);
    void setShowInTaskbar(bool show);

    // The elements in the order they were made.
    std::vector<Control*> Controls() const;

    gdi::WindowHandle hWnd() const;

    struct Impl;
    Impl& impl() const { return *d; }

protected:
    Form();
    // Places the elements and sets their design properties; run by the
    // window's constructor and again whenever an unloaded window is loaded.
    virtual void design() {}

    virtual void Form_Load() {}
    virtual void Form_Resize() {}
    virtual void Form_Unload(int& /*Cancel*/) {}
    virtual void Form_KeyPress(int& /*KeyAscii*/) {}
    virtual void Form_MouseDown(const MouseEvent&) {}
    virtual void Form_DblClick() {}

private:
    friend class Control;
    std::unique_ptr<Impl> d;
};

// Runs the event loop until no window is loaded.
int Run();
// Ends the program at once: no unload handling runs.
[[noreturn]] void End();

// The window that owns a handle, or nullptr.
Form* formFromHandle(gdi::WindowHandle handle);

}  // namespace forms
