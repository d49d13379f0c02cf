// Drawn elements: a straight line between two points and a rectangle's
// outline. Both only show; they take no clicks of their own.
#pragma once

#include "control.h"

namespace forms {

class Line : public Control {
public:
    explicit Line(Place place);
    // The end points, in pixels of the window.
    float X1() const;
    float Y1() const;
    float X2() const;
    float Y2() const;
    void setX1(float x);
    void setY1(float y);
    void setX2(float x);
    void setY2(float y);
    int BorderWidth() const;  // pixels, at least 1
    void setBorderWidth(int width);
};

class Shape : public Control {
public:
    explicit Shape(Place place);
    int BorderWidth() const;  // pixels, at least 1
    void setBorderWidth(int width);
};

}  // namespace forms
