#include "cDIBSection.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <random>

#include "ByteView.h"
#include "RuntimeError.h"
#include "window_host.h"
#include "window_services.h"

namespace {

constexpr std::string_view kClassName = "cDIBSection";

std::uint8_t roundToByte(double value) {
    return static_cast<std::uint8_t>(std::clamp(std::nearbyint(value), 0.0, 255.0));
}

// value0 weighted 1 - fraction, value1 weighted fraction, rounded half to even.
double blend(double value0, double value1, float fraction) {
    return std::nearbyint(value0 * (1.0 - fraction) + value1 * static_cast<double>(fraction));
}

float secondsSinceMidnight() {
    const auto now = std::chrono::system_clock::now();
    const auto sinceMidnight = now - std::chrono::floor<std::chrono::days>(now);
    return std::chrono::duration<float>(sinceMidnight).count();
}

// A sample position: whole part (clamped so that it and its right or lower
// neighbour lie inside the source) and fraction.
struct Sample {
    std::int32_t index;
    std::int32_t next;
    float fraction;
};

Sample samplePosition(float scale, std::int32_t target, std::int32_t sourceSize) {
    const auto position = static_cast<float>(static_cast<double>(scale) * target);
    const auto whole = static_cast<std::int32_t>(std::floor(position));
    const auto fraction = static_cast<float>(position - whole);
    const std::int32_t last = sourceSize - 1;
    return {std::min(whole, last), std::min(whole + 1, last), fraction};
}

}  // namespace

bool cDIBSection::CopyToClipboard(bool bAsDIB) {
    const gdi::WindowHandle desktop = gdi::GetDesktopWindow();
    const gdi::Handle screen = gdi::GetDC(desktop);
    if (!screen) return false;
    const gdi::Handle memoryDC = gdi::CreateCompatibleDC(screen);
    if (!memoryDC) {
        gdi::ReleaseDC(desktop, screen);
        return false;
    }
    bool placed = false;
    if (bAsDIB) {
        if (gdi::WindowHost* host = gdi::windowHost())
            host->showMessage("I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
    } else if (const gdi::Handle copy = gdi::CreateCompatibleBitmap(screen, Width(), Height())) {
        const gdi::Handle previous = gdi::SelectObject(memoryDC, copy);
        PaintPicture(memoryDC);
        gdi::SelectObject(memoryDC, previous);
        if (gdi::OpenClipboard(0)) {
            gdi::EmptyClipboard();
            placed = gdi::SetClipboardData(gdi::CF_BITMAP, copy) != 0;
            gdi::CloseClipboard();
        }
        // A copy the clipboard did not take is still ours.
        if (!placed) gdi::DeleteObject(copy);
    }
    gdi::DeleteDC(memoryDC);
    gdi::ReleaseDC(desktop, screen);
    return placed;
}

bool cDIBSection::CreateDIB(gdi::Handle lhDC, std::int32_t lWidth, std::int32_t lHeight, gdi::Handle& hDib) {
    // Only the instance's own DIB may change the header that Width, Height
    // and the pixel address describe.
    const bool own = &hDib == &m_hDib;
    gdi::BITMAPINFOHEADER callersHeader{};
    std::uint8_t* callersBits = nullptr;
    gdi::BITMAPINFOHEADER& header = own ? m_tBI : callersHeader;
    std::uint8_t*& bits = own ? m_lBitsPtr : callersBits;

    header.biSize = sizeof(gdi::BITMAPINFOHEADER);
    header.biWidth = lWidth;
    header.biHeight = lHeight;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = gdi::BI_RGB;
    const auto rowBytes = gdi::rowBytes24(lWidth);
    std::int32_t imageBytes = 0;
    if (!rowBytes || __builtin_mul_overflow(lHeight, *rowBytes, &imageBytes)) {
        bits = nullptr;
        hDib = 0;
        return false;
    }
    header.biSizeImage = static_cast<std::uint32_t>(imageBytes);
    hDib = gdi::CreateDIBSection(lhDC, header, gdi::DIB_RGB_COLORS, &bits, 0, 0);
    return hDib != 0;
}

void cDIBSection::CreateFromPicture(const gdi::Picture& picThis) {
    gdi::BITMAP record{};
    gdi::GetObjectA(picThis.handle(), sizeof(record), &record);
    if (!Create(record.bmWidth, record.bmHeight)) return;

    const gdi::WindowHandle desktop = gdi::GetDesktopWindow();
    const gdi::Handle screen = gdi::GetDC(desktop);
    if (!screen) return;
    const gdi::Handle memoryDC = gdi::CreateCompatibleDC(screen);
    gdi::ReleaseDC(desktop, screen);
    if (!memoryDC) return;
    const gdi::Handle previous = gdi::SelectObject(memoryDC, picThis.handle());
    LoadPictureBlt(memoryDC);
    gdi::SelectObject(memoryDC, previous);
    gdi::DeleteDC(memoryDC);
}

bool cDIBSection::Create(std::int32_t lWidth, std::int32_t lHeight) {
    ClearUp();
    m_hDC = gdi::CreateCompatibleDC(0);
    if (!m_hDC) return false;
    if (CreateDIB(m_hDC, lWidth, lHeight, m_hDib)) {
        m_hBmpOld = gdi::SelectObject(m_hDC, m_hDib);
        return true;
    }
    gdi::DeleteDC(m_hDC);
    m_hDC = 0;
    return false;
}

std::int32_t cDIBSection::BytesPerScanLine() const {
    const auto bytes = gdi::rowBytes24(m_tBI.biWidth);
    if (!bytes) throw runtimeError(kErrOverflow, kClassName);
    return *bytes;
}

void cDIBSection::LoadPictureBlt(gdi::Handle lhDC, std::int32_t lSrcLeft, std::int32_t lSrcTop,
                                 std::int32_t lSrcWidth, std::int32_t lSrcHeight, std::uint32_t eRop) {
    const std::int32_t width = lSrcWidth < 0 ? Width() : lSrcWidth;
    const std::int32_t height = lSrcHeight < 0 ? Height() : lSrcHeight;
    gdi::BitBlt(m_hDC, 0, 0, width, height, lhDC, lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::PaintPicture(gdi::Handle lhDC, std::int32_t lDestLeft, std::int32_t lDestTop,
                               std::int32_t lDestWidth, std::int32_t lDestHeight, std::int32_t lSrcLeft,
                               std::int32_t lSrcTop, std::uint32_t eRop) {
    const std::int32_t width = lDestWidth < 0 ? Width() : lDestWidth;
    const std::int32_t height = lDestHeight < 0 ? Height() : lDestHeight;
    gdi::BitBlt(lhDC, lDestLeft, lDestTop, width, height, m_hDC, lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::RandomiseBits(bool bGray) {
    if (!m_lBitsPtr) return;
    const ByteView pixels(m_lBitsPtr, BytesPerScanLine(), Height(), kClassName);
    std::mt19937 generator(std::bit_cast<std::uint32_t>(secondsSinceMidnight()));
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const auto draw = [&] { return roundToByte(uniform(generator) * 255.0); };
    const std::int32_t xEnd = (Width() - 1) * 3;

    if (bGray) {
        for (std::int32_t y = 0; y < Height(); ++y)
            for (std::int32_t x = 0; x <= xEnd; x += 3) {
                const std::uint8_t c = draw();
                pixels(x, y) = c;
                pixels(x + 1, y) = c;
                pixels(x + 2, y) = c;
            }
        return;
    }
    for (std::int32_t x = 0; x <= xEnd; x += 3)
        for (std::int32_t y = 0; y < Height(); ++y) {
            pixels(x, y) = 0;
            pixels(x + 1, y) = draw();
            pixels(x + 2, y) = draw();
        }
}

void cDIBSection::ClearUp() {
    if (m_hDC) {
        if (m_hDib) {
            gdi::SelectObject(m_hDC, m_hBmpOld);
            gdi::DeleteObject(m_hDib);
        }
        gdi::DeleteDC(m_hDC);
    }
    m_hDC = 0;
    m_hDib = 0;
    m_hBmpOld = 0;
    m_lBitsPtr = nullptr;
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(std::int32_t lNewHeight, std::int32_t lNewWidth) {
    auto resampled = std::make_unique<cDIBSection>();
    if (!resampled->Create(lNewWidth, lNewHeight)) return nullptr;
    if (lNewWidth == Width() && lNewHeight == Height())
        resampled->LoadPictureBlt(m_hDC);
    else
        ResampleBilinear(*resampled);
    return resampled;
}

bool cDIBSection::ResampleBilinear(cDIBSection& target) {
    if (!m_lBitsPtr || !target.m_lBitsPtr) return false;
    const ByteView source(m_lBitsPtr, BytesPerScanLine(), Height(), kClassName);
    const ByteView out(target.m_lBitsPtr, target.BytesPerScanLine(), target.Height(), kClassName);
    const std::int32_t targetWidth = target.Width();
    const std::int32_t targetHeight = target.Height();
    // The divisor is the new size: the last target pixel lands short of the
    // last source pixel, which the rounding of the result relies on.
    const auto xScale = static_cast<float>(static_cast<double>(Width() - 1) / targetWidth);
    const auto yScale = static_cast<float>(static_cast<double>(Height() - 1) / targetHeight);

    for (std::int32_t y = 0; y < targetHeight; ++y) {
        const Sample row = samplePosition(yScale, y, Height());
        for (std::int32_t x = 0; x < targetWidth; ++x) {
            const Sample column = samplePosition(xScale, x, Width());
            const std::int32_t left = 3 * column.index;
            const std::int32_t right = 3 * column.next;
            // Channels in the order red, green, blue: byte offsets 2, 1, 0.
            for (const std::int32_t channel : {2, 1, 0}) {
                const double nearColumn =
                    blend(source(left + channel, row.index), source(left + channel, row.next), row.fraction);
                const double farColumn =
                    blend(source(right + channel, row.index), source(right + channel, row.next), row.fraction);
                out(3 * x + channel, y) = roundToByte(blend(nearColumn, farColumn, column.fraction));
            }
        }
    }
    return true;
}
