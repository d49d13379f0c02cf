// Helpers that drive real widgets of the forms runtime with real Qt events.
#pragma once

#include <QApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QWidget>

#include "forms.h"
#include "forms_qt.h"

namespace formstest {

inline void press(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
                  Qt::KeyboardModifiers modifiers = {}, QEvent::Type type = QEvent::MouseButtonPress) {
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held, modifiers);
    QCoreApplication::sendEvent(widget, &event);
}

inline void release(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers = {}) {
    press(widget, at, button, Qt::NoButton, modifiers, QEvent::MouseButtonRelease);
}

// A 24-bit picture whose pixel (x, y), counted from the top, has the colour
// color(x, y) given as 0xRRGGBB.
template <class F>
gdi::Picture makePicture(int width, int height, F color) {
    gdi::Picture picture(gdi::createBitmap(width, height));
    gdi::Bitmap* bitmap = gdi::bitmapFromHandle(picture.handle());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned rgb = color(x, y);
            auto* pixel = bitmap->bits.data() + static_cast<std::size_t>(height - 1 - y) * bitmap->stride + x * 3;
            pixel[0] = rgb & 0xFF;
            pixel[1] = (rgb >> 8) & 0xFF;
            pixel[2] = (rgb >> 16) & 0xFF;
        }
    }
    return picture;
}

}  // namespace formstest
