// A window outline built from a cDIBSection whose magenta pixels are
// see-through: applied to and taken from windows, saved and loaded as raw
// region data from files and library resources.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "cDIBSection.h"
#include "gdi_objects.h"

// A resource identifier as the caller gives it: a number or a text.
using ResourceID = std::variant<std::int32_t, std::string>;

class cDIBSectionRegion {
public:
    cDIBSectionRegion() = default;
    cDIBSectionRegion(const cDIBSectionRegion&) = delete;
    cDIBSectionRegion& operator=(const cDIBSectionRegion&) = delete;
    ~cDIBSectionRegion() { Destroy(); }

    bool Applied(gdi::WindowHandle hWnd) const;
    // True lists the window and gives it a copy of the region; False takes
    // the outline away from the window and drops it from the list.
    void Applied(gdi::WindowHandle hWnd, bool bState);
    std::int32_t AppliedToCount() const { return m_lCount; }
    // The window at 1-based position lIndex; raises "Subscript out of range"
    // outside the list's storage.
    gdi::WindowHandle hWndForIndex(std::int32_t lIndex) const;
    void Destroy();
    // The bitmap's rectangle less every magenta pixel. The colour argument
    // takes no part: the see-through colour is always magenta.
    void Create(const cDIBSection& cDib, std::int32_t lTransColor = 0);
    bool Save(const std::string& sPath);
    bool LoadFromFile(const std::string& sFileName);
    // A region from a resource of type 10 of a library; with no library name,
    // of the program itself, which carries none.
    bool LoadFromResource(const ResourceID& vID, const std::string& sDLL = "");

private:
    std::int32_t IndexOfHWnd(gdi::WindowHandle hWnd) const;
    void RemoveFromWindows();
    bool CreateFromRegionData(std::span<const std::uint8_t> data);
    gdi::Handle copyOfRegion() const;

    gdi::Handle m_hRgn = 0;
    std::vector<gdi::WindowHandle> m_hWnds;  // storage; positions 1..m_lCount in use
    std::int32_t m_lCount = 0;
};
