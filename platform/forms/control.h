// The base of every element of a window: place, size, visibility, tooltip,
// tag and the mouse events. Positions inside a window are in pixels.
#pragma once

#include <cstdint>
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

// Colours are 0x00BBGGRR; with the high bit set, the low byte names a
// system colour (5 window background, 8 window text, 15 button face, 18
// button text).
using Color = std::uint32_t;

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    // Places and sizes in pixels; fractions are rounded to whole pixels.
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void setLeft(float left);
    void setTop(float top);
    void setWidth(float width);
    void setHeight(float height);
    void Move(float left, float top, float width, float height);

    bool Visible() const;
    void setVisible(bool visible);
    virtual bool Enabled() const;
    virtual void setEnabled(bool enabled);
    std::string ToolTipText() const;
    void setToolTipText(std::string_view text);
    std::string Tag() const;
    void setTag(std::string_view tag);
    Color BackColor() const;
    void setBackColor(Color color);
    Color ForeColor() const;
    void setForeColor(Color color);
    // Tahoma and Courier New fall back to the installed sans-serif and
    // monospace fonts.
    std::string FontName() const;
    void setFontName(std::string_view name);
    float FontSize() const;  // points
    void setFontSize(float points);
    void setFontBold(bool bold);
    void Refresh();  // repaints at once

    Form& parentForm() const;

    std::function<void()> onClick;
    std::function<void()> onDblClick;
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
