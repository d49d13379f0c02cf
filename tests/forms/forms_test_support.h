// One test window with an element of each kind, and helpers that drive real
// widgets of the forms runtime with real Qt events.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <string>
#include <vector>

#include "forms.h"
#include "forms_qt.h"

namespace formstest {

inline void press(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
                  Qt::KeyboardModifiers modifiers = {}, QEvent::Type type = QEvent::MouseButtonPress) {
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held, modifiers);
    QCoreApplication::sendEvent(widget, &event);
}

inline void release(QWidget* widget, QPoint at, Qt::MouseButton button) {
    press(widget, at, button, Qt::NoButton, {}, QEvent::MouseButtonRelease);
}

// A 24-bit picture whose pixel (x, y), counted from the top, is color(x, y) as 0xRRGGBB.
template <class F>
gdi::Picture makePicture(int width, int height, F color) {
    gdi::Picture picture(gdi::createBitmap(width, height));
    gdi::Bitmap* bitmap = gdi::bitmapFromHandle(picture.handle());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto* pixel = bitmap->bits.data() + static_cast<std::size_t>(height - 1 - y) * bitmap->stride + x * 3;
            for (int byte = 0; byte < 3; ++byte) pixel[byte] = (color(x, y) >> (8 * byte)) & 0xFF;
        }
    return picture;
}

// Logs what its elements and its surface were told, one line per event.
class TestForm : public forms::Form {
public:
    TestForm() { design(); }

    forms::PictureBox Box{*this};
    forms::Image Picture{Box};
    forms::Label Caption{*this};
    forms::ListBox Rows{*this};
    forms::TextBox Text{*this};
    forms::Timer Ticker{*this};
    forms::Line Rule{*this};
    forms::Shape Frame{*this};
    std::vector<std::string> log;
    std::vector<int> keys;
    int loads = 0, unloads = 0, resizes = 0, cancelUnload = 0, eatKey = 0;

    void watch(forms::Control& control, const std::string& name) {
        control.onMouseDown = [this, name](const forms::MouseEvent& e) { add(name + " down", e.Button); };
        control.onMouseUp = [this, name](const forms::MouseEvent& e) { add(name + " up", e.Button); };
        control.onClick = [this, name] { log.push_back(name + " click"); };
        control.onDblClick = [this, name] { log.push_back(name + " dblclick"); };
    }
    QPoint on(forms::Control& control, QPoint at) { return forms::widgetOf(control)->mapTo(forms::widgetOf(*this), at); }

private:
    void add(const std::string& what, int button) { log.push_back(what + " " + std::to_string(button)); }
    void design() override {
        setClientSize(300, 200);
        Box.Move(10, 10, 60, 40);
        Picture.Move(5, 5, 19, 19);
        Caption.Move(80, 10, 100, 20);
        Rows.Move(10, 60, 120, 100);
        Text.Move(140, 60, 120, 80);
        Ticker.setInterval(20);
        Ticker.setEnabled(false);
        Rule.setX1(20.5f);
        Rule.setY1(170);
        Rule.setX2(120);
        Rule.setY2(180);
        Frame.Move(200, 150, 60, 30);
    }
    void Form_Load() override {
        ++loads;
        Rows.AddItem("one");
        Rows.AddItem("two");
    }
    void Form_Unload(int& Cancel) override {
        ++unloads;
        if (cancelUnload) Cancel = 1;  // else as the runtime passed it
    }
    void Form_Resize() override { ++resizes; }
    void Form_KeyPress(int& KeyAscii) override {
        keys.push_back(KeyAscii);
        if (KeyAscii == eatKey) KeyAscii = 0;
    }
    void Form_MouseDown(const forms::MouseEvent& e) override { add("form down", e.Button); }
    void Form_DblClick() override { log.push_back("form dblclick"); }
};

}  // namespace formstest
