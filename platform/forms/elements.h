// The elements a window is made of.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "control.h"
#include "picture.h"

namespace forms {

enum BackStyle : int { vbTransparent = 0, vbOpaque = 1 };
enum Alignment : int { vbLeftJustify = 0, vbRightJustify = 1, vbCenter = 2 };

class Label : public Control {
public:
    explicit Label(Place place);
    std::string Caption() const;
    void setCaption(std::string_view caption);
    int BackStyle() const;
    void setBackStyle(int style);
    int Alignment() const;
    void setAlignment(int alignment);
};

class Image : public Control {
public:
    explicit Image(Place place);
    const gdi::Picture& Picture() const;
    void setPicture(const gdi::Picture& picture);  // keeps a copy of its own
    bool Stretch() const;
    void setStretch(bool stretch);

    // Files or other data dropped on the image.
    std::function<void(const DataObject&, const MouseEvent&)> onDragDrop;
};

class PictureBox : public Control {
public:
    explicit PictureBox(Place place);
    const gdi::Picture& Picture() const;
    void setPicture(const gdi::Picture& picture);
    // Without a border the inner size is the outer size.
    float ScaleWidth() const { return Width(); }
    float ScaleHeight() const { return Height(); }
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
};

class TextBox : public Control {
public:
    explicit TextBox(Place place);  // multi-line, a vertical scroll bar, lines wrapped
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
