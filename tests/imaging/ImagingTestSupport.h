// Small helpers shared by the bitmap and region tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "RecordingHost.h"
#include "RuntimeError.h"
#include "cDIBSection.h"
#include "cDIBSectionRegion.h"
#include "temp_dir.h"

struct Rgb {
    std::uint8_t r, g, b;
};
inline constexpr Rgb kMagenta{255, 0, 255};

// Pixel (x, y) counted from the picture's top-left corner.
inline std::uint8_t* pixelAt(const cDIBSection& dib, int x, int y) {
    return dib.DIBSectionBitsPtr() + (dib.Height() - 1 - y) * dib.BytesPerScanLine() + 3 * x;
}

inline void setPixel(const cDIBSection& dib, int x, int y, Rgb c) {
    std::uint8_t* p = pixelAt(dib, x, y);
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
}

inline void fillDib(const cDIBSection& dib, Rgb c) {
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x) setPixel(dib, x, y, c);
}

// The rectangles a window was given by the region, from the test host.
inline std::vector<gdi::Rect> outlineOf(cDIBSectionRegion& region, RecordingHost& host, gdi::WindowHandle window = 1) {
    region.Applied(window, true);
    const auto shape = host.shapes.at(window);
    region.Applied(window, false);
    return shape.value_or(std::vector<gdi::Rect>{{-1, -1, -1, -1}});
}

// Runs the call and checks the error it raises.
template <typename Call>
void expectError(Call&& call, std::int32_t number, const std::string& description,
                 const std::string& source = "zirpomat.cDIBSectionRegion") {
    try {
        call();
        ADD_FAILURE() << "no error raised, expected " << number;
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), number);
        EXPECT_EQ(e.Description(), description);
        EXPECT_EQ(e.Source(), source);
    }
}
