#include <gtest/gtest.h>

#include <functional>

#include "bitblt.h"
#include "gdi_objects.h"

namespace {

// A memory device context with a DIB section selected, released at the end.
struct Surface {
    Surface(std::int32_t width, std::int32_t height) {
        gdi::BITMAPINFOHEADER header{};
        header.biSize = 40;
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = 24;
        dc = gdi::CreateCompatibleDC(0);
        dib = gdi::CreateDIBSection(dc, header, gdi::DIB_RGB_COLORS, &bits, 0, 0);
        previous = gdi::SelectObject(dc, dib);
    }
    ~Surface() {
        gdi::SelectObject(dc, previous);
        gdi::DeleteObject(dib);
        gdi::DeleteDC(dc);
    }
    gdi::Bitmap& bitmap() const { return *gdi::bitmapFromHandle(dib); }
    // Pixel (x, y) from the top-left corner, blue byte first.
    std::uint8_t* pixel(int x, int y) const {
        auto& b = bitmap();
        return b.bits.data() + (b.height - 1 - y) * b.stride + x * 3;
    }
    void fill(std::uint8_t value) const {
        for (int y = 0; y < bitmap().height; ++y)
            for (int x = 0; x < bitmap().width; ++x) std::fill_n(pixel(x, y), 3, value);
    }
    gdi::Handle dc = 0;
    gdi::Handle dib = 0;
    gdi::Handle previous = 0;
    std::uint8_t* bits = nullptr;
};

}  // namespace

TEST(BitBlt, EveryNamedRasterOperationCombinesSourceAndDestination) {
    using Op = std::function<std::uint8_t(std::uint8_t s, std::uint8_t d)>;
    const std::uint8_t white = 0xFF;  // the default brush
    const std::vector<std::pair<std::uint32_t, Op>> cases{
        {gdi::SRCCOPY, [](auto s, auto) { return s; }},
        {gdi::SRCPAINT, [](auto s, auto d) { return s | d; }},
        {gdi::SRCAND, [](auto s, auto d) { return s & d; }},
        {gdi::SRCINVERT, [](auto s, auto d) { return s ^ d; }},
        {gdi::SRCERASE, [](auto s, auto d) { return s & ~d; }},
        {gdi::NOTSRCCOPY, [](auto s, auto) { return ~s; }},
        {gdi::NOTSRCERASE, [](auto s, auto d) { return ~(s | d); }},
        {gdi::MERGECOPY, [&](auto s, auto) { return white & s; }},
        {gdi::MERGEPAINT, [](auto s, auto d) { return ~s | d; }},
        {gdi::PATCOPY, [&](auto, auto) { return white; }},
        {gdi::PATPAINT, [&](auto s, auto d) { return white | ~s | d; }},
        {gdi::PATINVERT, [&](auto, auto d) { return white ^ d; }},
        {gdi::DSTINVERT, [](auto, auto d) { return ~d; }},
        {gdi::BLACKNESS, [](auto, auto) { return 0; }},
        {gdi::WHITENESS, [](auto, auto) { return 0xFF; }},
    };
    const std::uint8_t s = 0b1100'1010;
    const std::uint8_t d = 0b1010'0110;
    for (const auto& [rop, op] : cases) {
        Surface source(2, 1);
        Surface dest(2, 1);
        source.fill(s);
        dest.fill(d);
        ASSERT_TRUE(gdi::BitBlt(dest.dc, 0, 0, 2, 1, source.dc, 0, 0, rop)) << std::hex << rop;
        for (int i = 0; i < 6; ++i) EXPECT_EQ(dest.pixel(0, 0)[i], static_cast<std::uint8_t>(op(s, d))) << std::hex << rop;
        EXPECT_EQ(dest.bitmap().bits[6], 0) << "row padding is never drawn on";
    }
    // Operations without a source need no source device context.
    Surface dest(1, 1);
    dest.fill(0x0F);
    EXPECT_TRUE(gdi::BitBlt(dest.dc, 0, 0, 1, 1, 0, 0, 0, gdi::DSTINVERT));
    EXPECT_EQ(dest.pixel(0, 0)[0], 0xF0);
    // Any other code does nothing and fails.
    Surface source(1, 1);
    EXPECT_FALSE(gdi::BitBlt(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, 0x00CC0021));
    EXPECT_FALSE(gdi::BitBlt(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, 0x00990066));  // a valid code, not offered
    EXPECT_EQ(dest.pixel(0, 0)[0], 0xF0);
}

TEST(BitBlt, ClipsToBothSurfacesFromTheTopLeftCorner) {
    Surface source(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) std::fill_n(source.pixel(x, y), 3, static_cast<std::uint8_t>(10 * y + x + 1));
    Surface dest(3, 3);
    // Source from (2, 1) sized 5 x 5: only 2 x 2 exist there; dest at (-1, 0)
    // cuts one more column.
    EXPECT_TRUE(gdi::BitBlt(dest.dc, -1, 0, 5, 5, source.dc, 2, 1, gdi::SRCCOPY));
    EXPECT_EQ(dest.pixel(0, 0)[0], 14);  // source (3, 1)
    EXPECT_EQ(dest.pixel(1, 0)[0], 0);
    EXPECT_EQ(dest.pixel(0, 1)[0], 24);  // source (3, 2)
    EXPECT_EQ(dest.pixel(0, 2)[0], 0);
    // Negative source origin: the destination moves along.
    Surface dest2(3, 3);
    EXPECT_TRUE(gdi::BitBlt(dest2.dc, 0, 0, 3, 3, source.dc, -1, -2, gdi::SRCCOPY));
    EXPECT_EQ(dest2.pixel(0, 2)[0], 0);
    EXPECT_EQ(dest2.pixel(1, 2)[0], 1);   // source (0, 0)
    EXPECT_EQ(dest2.pixel(2, 2)[0], 2);
    EXPECT_EQ(dest2.pixel(1, 1)[0], 0);
    // A zero or negative size transfers nothing and succeeds.
    Surface dest3(2, 2);
    EXPECT_TRUE(gdi::BitBlt(dest3.dc, 0, 0, 0, 2, source.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_TRUE(gdi::BitBlt(dest3.dc, 0, 0, 2, -1, source.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_TRUE(gdi::BitBlt(dest3.dc, 5, 5, 2, 2, source.dc, 0, 0, gdi::SRCCOPY));
    for (auto byte : dest3.bitmap().bits) EXPECT_EQ(byte, 0);
}

TEST(BitBlt, MovesOverlappingBlocksWithinOneSurface) {
    Surface s(1, 4);
    for (int y = 0; y < 4; ++y) std::fill_n(s.pixel(0, y), 3, static_cast<std::uint8_t>(y + 1));
    EXPECT_TRUE(gdi::BitBlt(s.dc, 0, 1, 1, 3, s.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_EQ(s.pixel(0, 0)[0], 1);
    EXPECT_EQ(s.pixel(0, 1)[0], 1);
    EXPECT_EQ(s.pixel(0, 2)[0], 2);
    EXPECT_EQ(s.pixel(0, 3)[0], 3);
}

TEST(BitBlt, NeedsSurfacesOnBothSides) {
    Surface surface(2, 2);
    const gdi::Handle screen = gdi::GetDC(gdi::GetDesktopWindow());
    ASSERT_NE(screen, 0u);
    const gdi::Handle bare = gdi::CreateCompatibleDC(screen);
    EXPECT_FALSE(gdi::BitBlt(screen, 0, 0, 1, 1, surface.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_FALSE(gdi::BitBlt(surface.dc, 0, 0, 1, 1, screen, 0, 0, gdi::SRCCOPY));
    EXPECT_FALSE(gdi::BitBlt(bare, 0, 0, 1, 1, surface.dc, 0, 0, gdi::SRCCOPY)) << "the stock bitmap is no surface";
    EXPECT_FALSE(gdi::BitBlt(surface.dc, 0, 0, 1, 1, 0, 0, 0, gdi::SRCCOPY));
    EXPECT_FALSE(gdi::BitBlt(0xDEAD, 0, 0, 1, 1, surface.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_EQ(gdi::ReleaseDC(gdi::GetDesktopWindow(), screen), 1);
    EXPECT_TRUE(gdi::DeleteDC(bare));
}

TEST(Handles, SelectionOwnershipAndRecords) {
    gdi::DeleteDC(gdi::CreateCompatibleDC(0));  // makes the shared stock bitmap
    const std::size_t before = gdi::liveObjectCount();
    const gdi::Handle dc = gdi::CreateCompatibleDC(0);
    const gdi::Handle other = gdi::CreateCompatibleDC(0);
    const gdi::Handle bitmap = gdi::CreateCompatibleBitmap(dc, 5, 2);
    ASSERT_TRUE(dc && other && bitmap);

    const gdi::Handle stock = gdi::SelectObject(dc, bitmap);
    EXPECT_NE(stock, 0u);
    EXPECT_EQ(gdi::SelectObject(other, bitmap), 0u) << "a bitmap sits in one device context at a time";
    EXPECT_FALSE(gdi::DeleteObject(bitmap)) << "a selected bitmap cannot be deleted";
    EXPECT_EQ(gdi::SelectObject(dc, stock), bitmap);
    EXPECT_FALSE(gdi::DeleteObject(stock));

    gdi::BITMAP record{};
    EXPECT_EQ(gdi::GetObjectA(bitmap, sizeof(record), &record), static_cast<int>(sizeof(record)));
    EXPECT_EQ(record.bmWidth, 5);
    EXPECT_EQ(record.bmHeight, 2);
    EXPECT_EQ(record.bmWidthBytes, 16);
    EXPECT_EQ(record.bmBitsPixel, 24);
    EXPECT_EQ(record.bmPlanes, 1);
    EXPECT_EQ(record.bmBits, nullptr) << "a device-dependent bitmap shows no memory";
    EXPECT_EQ(gdi::GetObjectA(bitmap, sizeof(record) - 1, &record), 0);
    EXPECT_EQ(gdi::GetObjectA(dc, sizeof(record), &record), 0);

    EXPECT_FALSE(gdi::DeleteObject(dc)) << "device contexts go with DeleteDC";
    EXPECT_TRUE(gdi::DeleteDC(dc));
    EXPECT_TRUE(gdi::DeleteDC(other));
    EXPECT_TRUE(gdi::DeleteObject(bitmap));
    EXPECT_FALSE(gdi::DeleteObject(bitmap));
    EXPECT_EQ(gdi::liveObjectCount(), before);
}

TEST(Handles, DibSectionsAreZeroed24BitAndRefuseOtherFormatsAndOverflow) {
    gdi::BITMAPINFOHEADER header{40, 3, 2, 1, 24, 0, 0, 0, 0, 0, 0};
    std::uint8_t* bits = reinterpret_cast<std::uint8_t*>(1);
    const gdi::Handle dib = gdi::CreateDIBSection(0, header, gdi::DIB_RGB_COLORS, &bits, 0, 0);
    ASSERT_NE(dib, 0u);
    const gdi::Bitmap* b = gdi::bitmapFromHandle(dib);
    EXPECT_EQ(bits, b->bits.data());
    EXPECT_EQ(b->bits.size(), 24u);
    for (auto byte : b->bits) EXPECT_EQ(byte, 0);
    gdi::BITMAP record{};
    gdi::GetObjectA(dib, sizeof(record), &record);
    EXPECT_EQ(record.bmBits, bits);
    gdi::DeleteObject(dib);

    const auto refused = [&](gdi::BITMAPINFOHEADER h) {
        bits = reinterpret_cast<std::uint8_t*>(1);
        const gdi::Handle none = gdi::CreateDIBSection(0, h, gdi::DIB_RGB_COLORS, &bits, 0, 0);
        return none == 0 && bits == nullptr;
    };
    // Other depths, top-down rows, no width, overflowing row and image sizes.
    const std::function<void(gdi::BITMAPINFOHEADER&)> changes[] = {
        [](auto& h) { h.biBitCount = 32; }, [](auto& h) { h.biHeight = -2; }, [](auto& h) { h.biWidth = 0; },
        [](auto& h) { h.biWidth = 0x30000000; }, [](auto& h) { h.biWidth = h.biHeight = 100000; }};
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        SCOPED_TRACE(i);
        auto h = header;
        changes[i](h);
        EXPECT_TRUE(refused(h));
    }
}
