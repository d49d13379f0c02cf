// The base of every element of a window: place, size, visibility, tooltip,
// tag and the mouse events. Positions inside a window are in pixels.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

class Form;
class PictureBox;

// Mouse buttons: 1 left, 2 right, 4 middle; Shift bits: 1 Shift, 2 Ctrl, 4 Alt.
enum MouseButton : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };
enum ShiftBits : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };

struct MouseEvent {
    int Button = 0;
    int Shift = 0;
    float X = 0;
    float Y = 0;
};

// Clipboard formats a dropped data object may hold.
constexpr int vbCFFiles = 15;

// The data of a drop: a list of files when local files were dropped.
class DataObject {
public:
    explicit DataObject(std::vector<std::string> files = {}) : m_files(std::move(files)) {}
    bool GetFormat(int format) const { return format == vbCFFiles && !m_files.empty(); }
    int FileCount() const { return static_cast<int>(m_files.size()); }
    // File i counted from 1; empty text for a position that holds none.
    std::string File(int i) const;

private:
    std::vector<std::string> m_files;
};

// Where an element is placed: on a window or inside a picture box.
class Place {
public:
    Place(Form& form) : m_form(&form) {}  // NOLINT: implicit by design
    Place(PictureBox& box);               // NOLINT
    Form& form() const { return *m_form; }
    PictureBox* box() const { return m_box; }

private:
    Form* m_form;
    PictureBox* m_box = nullptr;
};

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void setLeft(int left);
    void setTop(int top);
    void setWidth(int width);
    void setHeight(int height);
    void Move(int left, int top, int width, int height);

    bool Visible() const;
    void setVisible(bool visible);
    virtual bool Enabled() const;
    virtual void setEnabled(bool enabled);
    std::string ToolTipText() const;
    void setToolTipText(std::string_view text);
    std::string Tag() const;
    void setTag(std::string_view tag);

    Form& parentForm() const;

    std::function<void()> onClick;
    std::function<void(const MouseEvent&)> onMouseDown;
    std::function<void(const MouseEvent&)> onMouseUp;

    struct Impl;
    Impl& impl() const { return *d; }

protected:
    explicit Control(std::unique_ptr<Impl> impl);

private:
    friend class Form;
    void recreate();
    std::unique_ptr<Impl> d;
};

}  // namespace forms
