// Helpers shared by the bitmap and region tests.
#pragma once

#include <gtest/gtest.h>

#include "RecordingHost.h"
#include "RuntimeError.h"
#include "cDIBSectionRegion.h"
#include "temp_dir.h"

struct Rgb {
    std::uint8_t r, g, b;
};
inline constexpr Rgb kMagenta{255, 0, 255};

// Pixel (x, y) counted from the picture's top-left corner, as blue, green, red.
inline std::uint8_t* pixelAt(const cDIBSection& dib, int x, int y) {
    return dib.DIBSectionBitsPtr() + (dib.Height() - 1 - y) * dib.BytesPerScanLine() + 3 * x;
}

inline void setPixel(const cDIBSection& dib, int x, int y, Rgb c) {
    std::uint8_t* p = pixelAt(dib, x, y);
    p[0] = c.b, p[1] = c.g, p[2] = c.r;
}

inline std::unique_ptr<cDIBSection> picture(int w, int h, Rgb fill = {10, 200, 30}) {
    auto dib = std::make_unique<cDIBSection>();
    EXPECT_TRUE(dib->Create(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) setPixel(*dib, x, y, fill);
    return dib;
}

// The rectangles the region gives a window, as the test host saw them.
inline std::vector<gdi::Rect> outlineOf(cDIBSectionRegion& region, RecordingHost& host, gdi::WindowHandle window = 1) {
    region.Applied(window, true);
    const auto shape = host.shapes.at(window);
    region.Applied(window, false);
    return shape.value_or(std::vector<gdi::Rect>{{-1, -1, -1, -1}});
}

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
