#include "cDIBSectionRegion.h"

#include <algorithm>
#include <memory>
#include <system_error>

#include "ByteView.h"
#include "RuntimeError.h"
#include "files.h"
#include "pe_resources.h"
#include "region.h"
#include "window_services.h"

namespace {

constexpr std::string_view kClassName = "cDIBSectionRegion";
constexpr std::int32_t kErrNoRegion = 26010;
constexpr std::int32_t kErrRegionSize = 26011;
constexpr std::int32_t kErrRegionData = 26012;
constexpr std::int32_t kErrOpenLibrary = 26013;
constexpr std::int32_t kErrResource = 26014;

RuntimeError classError(std::int32_t number, std::string description) {
    return {number, std::move(description), classSource(kClassName)};
}

// Region data files larger than this are refused unread.
constexpr std::size_t kMaxRegionFileSize = platform::files::maxReadSize;

bool isMagenta(const std::uint8_t* pixel) { return pixel[0] == 255 && pixel[1] == 0 && pixel[2] == 255; }

// The spans of one row of the outline: inside the picture the pixels that
// are not magenta; the padding column beyond it (widths 4n + 3) where it is
// magenta, since a cut there falls outside the picture's rectangle and adds.
void outlineSpans(std::span<const std::uint8_t> row, std::int32_t width, std::vector<gdi::Region::Span>& spans) {
    spans.clear();
    const auto columns = static_cast<std::int32_t>(row.size() / 3);
    for (std::int32_t column = 0; column < columns; ++column) {
        const bool kept = (column < width) != isMagenta(row.data() + 3 * column);
        if (!kept) continue;
        if (!spans.empty() && spans.back().right == column)
            ++spans.back().right;
        else
            spans.push_back({column, column + 1});
    }
}

struct LibraryFreer {
    void operator()(pe::Handle* module) const { pe::FreeLibrary(*module); }
};

std::string idText(const ResourceID& vID) {
    if (const auto* number = std::get_if<std::int32_t>(&vID)) return std::to_string(*number);
    return std::get<std::string>(vID);
}

// A number, or a text of decimal digits only: "1e3", "0x1A", " 12", "inf"
// and "nan" are names.
bool isNumeric(const ResourceID& vID) {
    const auto* text = std::get_if<std::string>(&vID);
    if (!text) return true;
    return !text->empty() && std::ranges::all_of(*text, [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool cDIBSectionRegion::Applied(gdi::WindowHandle hWnd) const {
    return IndexOfHWnd(hWnd) != 0;
}

void cDIBSectionRegion::Applied(gdi::WindowHandle hWnd, bool bState) {
    if (bState) {
        if (IndexOfHWnd(hWnd) == 0) {
            ++m_lCount;
            m_hWnds.resize(static_cast<std::size_t>(m_lCount));
            m_hWnds.back() = hWnd;
        }
        // The window gets a copy: a region given to a window belongs to the
        // window system, and ours must stay ours. A copy not taken is freed.
        const gdi::Handle copy = copyOfRegion();
        if (!gdi::SetWindowRgn(hWnd, copy, true) && copy) gdi::DeleteObject(copy);
        return;
    }
    gdi::SetWindowRgn(hWnd, 0, true);
    const std::int32_t index = IndexOfHWnd(hWnd);
    if (index == 0) return;
    if (m_lCount < 2) {
        m_lCount = 0;
        m_hWnds.clear();
        m_hWnds.shrink_to_fit();
        return;
    }
    m_hWnds.erase(m_hWnds.begin() + (index - 1));
    --m_lCount;
    m_hWnds.resize(static_cast<std::size_t>(m_lCount));
}

gdi::WindowHandle cDIBSectionRegion::hWndForIndex(std::int32_t lIndex) const {
    if (lIndex < 1 || static_cast<std::size_t>(lIndex) > m_hWnds.size())
        throw runtimeError(kErrSubscriptOutOfRange, kClassName);
    return m_hWnds[static_cast<std::size_t>(lIndex - 1)];
}

void cDIBSectionRegion::Destroy() {
    RemoveFromWindows();
    if (m_hRgn) gdi::DeleteObject(m_hRgn);
    m_hRgn = 0;
}

void cDIBSectionRegion::Create(const cDIBSection& cDib, std::int32_t) {
    Destroy();
    if (!cDib.DIBSectionBitsPtr()) {
        m_hRgn = gdi::CreateRectRgn(0, 0, cDib.Width(), cDib.Height());
        return;
    }
    // One pass over the rows from the picture's top line (the last in
    // memory) down, each row's spans joining the band above when equal:
    // linear in the pixels, whatever the shape.
    const ByteView pixels(cDib.DIBSectionBitsPtr(), cDib.BytesPerScanLine(), cDib.Height(), kClassName);
    const std::int32_t height = cDib.Height();
    gdi::Region outline;
    std::vector<gdi::Region::Span> spans;
    for (std::int32_t screenRow = 0; screenRow < height; ++screenRow) {
        outlineSpans(pixels.row(height - 1 - screenRow), cDib.Width(), spans);
        outline.appendRow(screenRow, spans);
    }
    m_hRgn = gdi::createRegion(std::move(outline));
}

bool cDIBSectionRegion::Save(const std::string& sPath) {
    if (!m_hRgn) throw classError(kErrNoRegion, "No region to save");
    const std::uint32_t size = gdi::GetRegionData(m_hRgn, 0, nullptr);
    if (size == 0 || size > INT32_MAX) throw classError(kErrRegionSize, "Unable to determine size of region");
    std::vector<std::uint8_t> buffer(size);
    if (gdi::GetRegionData(m_hRgn, size, buffer.data()) != size)
        throw classError(kErrRegionData, "Unable to get region data");
    const std::string_view bytes(reinterpret_cast<const char*>(buffer.data()), buffer.size());
    if (const std::error_code error = platform::files::replaceFile(sPath, bytes))
        throw fileError(error.value(), FileAccess::Write, kClassName);
    return true;
}

bool cDIBSectionRegion::LoadFromFile(const std::string& sFileName) {
    std::error_code error;
    const auto bytes = platform::files::readRegularFile(sFileName, kMaxRegionFileSize, error);
    if (!bytes) throw fileError(error.value(), FileAccess::Read, kClassName);
    // An empty file makes no buffer; the old region stays.
    if (bytes->empty()) throw runtimeError(kErrSubscriptOutOfRange, kClassName);
    return CreateFromRegionData({reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()});
}

bool cDIBSectionRegion::LoadFromResource(const ResourceID& vID, const std::string& sDLL) {
    const std::string id = idText(vID);
    if (sDLL.empty()) {
        // The executable is no library file and carries no data resources:
        // every identifier is missing.
        throw RuntimeError(kErrResourceNotFound, "Resource with identifier '" + id + "' not found",
                           classSource(kClassName));
    }
    pe::Handle module = pe::LoadLibraryExA(sDLL, 0, pe::LOAD_LIBRARY_AS_DATAFILE);
    if (!module) throw classError(kErrOpenLibrary, "Can't open DLL for Resource Access");
    const std::unique_ptr<pe::Handle, LibraryFreer> library(&module);

    const std::string name = isNumeric(vID) ? "#" + id : id;
    const pe::Handle resource = pe::FindResourceA(module, name, pe::RT_RCDATA);
    if (!resource) throw classError(kErrResource, "Resource with ID " + id + " could not be found");
    const std::uint32_t size = pe::SizeofResource(module, resource);
    const pe::Handle loaded = pe::LoadResource(module, resource);
    if (!loaded)
        throw classError(kErrResource, "Cannot access data for resource with ID " + id + " could not be found");
    const std::uint8_t* data = pe::LockResource(loaded);
    if (!data) return false;
    const std::vector<std::uint8_t> bytes(data, data + size);
    return CreateFromRegionData(bytes);
}

std::int32_t cDIBSectionRegion::IndexOfHWnd(gdi::WindowHandle hWnd) const {
    for (std::int32_t i = 1; i <= m_lCount; ++i)
        if (m_hWnds[static_cast<std::size_t>(i - 1)] == hWnd) return i;
    return 0;
}

void cDIBSectionRegion::RemoveFromWindows() {
    for (std::int32_t i = 0; i < m_lCount; ++i) {
        auto& window = m_hWnds[static_cast<std::size_t>(i)];
        if (window) gdi::SetWindowRgn(window, 0, true);
        window = 0;
    }
    m_lCount = 0;
}

bool cDIBSectionRegion::CreateFromRegionData(std::span<const std::uint8_t> data) {
    Destroy();
    if (data.size() > UINT32_MAX) return false;
    m_hRgn = gdi::ExtCreateRegion(nullptr, static_cast<std::uint32_t>(data.size()), data.data());
    return m_hRgn != 0;
}

gdi::Handle cDIBSectionRegion::copyOfRegion() const {
    if (!m_hRgn) return 0;
    const gdi::Handle copy = gdi::CreateRectRgn(0, 0, 0, 0);
    gdi::CombineRgn(copy, m_hRgn, 0, gdi::RGN_COPY);
    return copy;
}
