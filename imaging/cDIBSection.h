// A 24-bit bottom-up bitmap that stays selected in a memory device context of
// its own, so that it can be drawn into and out of with block transfers and
// read and written directly in memory at the same time.
#pragma once

#include <cstdint>
#include <memory>

#include "bitblt.h"
#include "gdi_objects.h"
#include "picture.h"

class cDIBSection {
public:
    cDIBSection() = default;
    cDIBSection(const cDIBSection&) = delete;
    cDIBSection& operator=(const cDIBSection&) = delete;
    ~cDIBSection() { ClearUp(); }

    // A device-dependent copy on the clipboard; a device-independent one is
    // refused with a message.
    bool CopyToClipboard(bool bAsDIB = true);
    // Creates a DIB section of this size for lhDC into hDib. When hDib is not
    // the instance's own handle, the DIB is the caller's and the instance's
    // header and pixel address are left alone.
    bool CreateDIB(gdi::Handle lhDC, std::int32_t lWidth, std::int32_t lHeight, gdi::Handle& hDib);
    // Makes the instance the picture's size and copies the picture in.
    void CreateFromPicture(const gdi::Picture& picThis);
    bool Create(std::int32_t lWidth, std::int32_t lHeight);
    // Bytes per pixel row, padded to a multiple of 4; raises Overflow when
    // the width's row does not fit 32 bits.
    std::int32_t BytesPerScanLine() const;
    std::int32_t Width() const { return m_tBI.biWidth; }
    std::int32_t Height() const { return m_tBI.biHeight; }
    // A negative size means the whole bitmap.
    void LoadPictureBlt(gdi::Handle lhDC, std::int32_t lSrcLeft = 0, std::int32_t lSrcTop = 0,
                        std::int32_t lSrcWidth = -1, std::int32_t lSrcHeight = -1,
                        std::uint32_t eRop = gdi::SRCCOPY);
    void PaintPicture(gdi::Handle lhDC, std::int32_t lDestLeft = 0, std::int32_t lDestTop = 0,
                      std::int32_t lDestWidth = -1, std::int32_t lDestHeight = -1, std::int32_t lSrcLeft = 0,
                      std::int32_t lSrcTop = 0, std::uint32_t eRop = gdi::SRCCOPY);
    gdi::Handle hdc() const { return m_hDC; }
    gdi::Handle hDib() const { return m_hDib; }
    // The first pixel byte (row 0 is the bottom line); null when none.
    std::uint8_t* DIBSectionBitsPtr() const { return m_lBitsPtr; }
    void RandomiseBits(bool bGray = false);
    // Releases the bitmap and the device context; the header keeps the size.
    void ClearUp();
    // A new instance of the given size (height first) holding this picture.
    std::unique_ptr<cDIBSection> Resample(std::int32_t lNewHeight, std::int32_t lNewWidth);

private:
    bool ResampleBilinear(cDIBSection& target);

    gdi::Handle m_hDib = 0;
    gdi::Handle m_hBmpOld = 0;
    gdi::Handle m_hDC = 0;
    std::uint8_t* m_lBitsPtr = nullptr;
    gdi::BITMAPINFOHEADER m_tBI{};
};
