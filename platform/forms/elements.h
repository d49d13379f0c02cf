// The elements a window is made of. Colours are 0x00BBGGRR as the program
// keeps them; sizes and places are pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "control.h"
#include "picture.h"

namespace forms {

using Color = std::uint32_t;

enum BackStyle : int { vbTransparent = 0, vbOpaque = 1 };
enum Alignment : int { vbLeftJustify = 0, vbRightJustify = 1, vbCenter = 2 };

class Label : public Control {
public:
    explicit Label(Place place);
    std::string Caption() const;
    void setCaption(std::string_view caption);
    int BackStyle() const;
    void setBackStyle(int style);
    Color BackColor() const;
    void setBackColor(Color color);
    Color ForeColor() const;
    void setForeColor(Color color);
    int Alignment() const;
    void setAlignment(int alignment);
    std::string FontName() const;
    void setFontName(std::string_view name);
    float FontSize() const;
    void setFontSize(float points);
    bool FontBold() const;
    void setFontBold(bool bold);
};

class Image : public Control {
public:
    explicit Image(Place place);
    const gdi::Picture& Picture() const;
    void setPicture(const gdi::Picture& picture);  // keeps a copy of its own
    bool Stretch() const;
    void setStretch(bool stretch);
    void Refresh();  // repaints at once

    // Files or other data dropped on the image.
    std::function<void(const DataObject&, const MouseEvent&)> onDragDrop;
};

class PictureBox : public Control {
public:
    explicit PictureBox(Place place);
    const gdi::Picture& Picture() const;
    void setPicture(const gdi::Picture& picture);
    // Without a border the inner size is the outer size.
    int ScaleWidth() const { return Width(); }
    int ScaleHeight() const { return Height(); }
};

class ListBox : public Control {
public:
    explicit ListBox(Place place);
    void Clear();
    void AddItem(std::string_view item, int index = -1);  // -1: at the end
    int ListCount() const;
    std::string List(int index) const;  // empty for a row that does not exist
    int ListIndex() const;              // -1 when no row is selected
    void setListIndex(int index);

    std::function<void()> onDblClick;
};

class TextBox : public Control {
public:
    explicit TextBox(Place place);  // multi-line
    std::string Text() const;
    void setText(std::string_view text);
};

class CommandButton : public Control {
public:
    explicit CommandButton(Place place);
    std::string Caption() const;
    void setCaption(std::string_view caption);
    void SetFocus();
};

// Ticks every Interval milliseconds while Enabled, Interval > 0 and its
// window is loaded.
class Timer : public Control {
public:
    explicit Timer(Place place);
    int Interval() const;
    void setInterval(int milliseconds);
    bool Enabled() const override;
    void setEnabled(bool enabled) override;

    std::function<void()> onTimer;
};

}  // namespace forms
