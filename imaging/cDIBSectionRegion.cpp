#include "cDIBSectionRegion.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ByteView.h"
#include "RuntimeError.h"
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

bool isMagenta(const ByteView& pixels, std::int32_t x, std::int32_t y) {
    return pixels(x, y) == 255 && pixels(x + 1, y) == 0 && pixels(x + 2, y) == 255;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct LibraryFreer {
    void operator()(pe::Handle* module) const { pe::FreeLibrary(*module); }
};

std::string idText(const ResourceID& vID) {
    if (const auto* number = std::get_if<std::int32_t>(&vID)) return std::to_string(*number);
    return std::get<std::string>(vID);
}

// A number, or a text that reads as one.
bool isNumeric(const ResourceID& vID) {
    const auto* text = std::get_if<std::string>(&vID);
    if (!text) return true;
    const char* start = text->c_str();
    char* end = nullptr;
    std::strtod(start, &end);
    if (end == start) return false;
    while (*end == ' ') ++end;
    return *end == '\0';
}

void writeWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    // Written beside the target and renamed over it, so that a failed write
    // leaves the old file in place.
    const std::string scratch = path + ".~tmp";
    File file(std::fopen(scratch.c_str(), "wb"));
    if (!file) throw fileError(errno, FileAccess::Write, kClassName);
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    const int writeError = errno;
    const bool closed = std::fclose(file.release()) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        std::remove(scratch.c_str());
        throw fileError(!written ? writeError : closeError, FileAccess::Write, kClassName);
    }
    if (std::rename(scratch.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        std::remove(scratch.c_str());
        throw fileError(renameError, FileAccess::Write, kClassName);
    }
}

std::vector<std::uint8_t> readWholeFile(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) throw fileError(errno, FileAccess::Read, kClassName);
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    if (std::ferror(file.get())) throw fileError(errno, FileAccess::Read, kClassName);
    return bytes;
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
    m_hRgn = gdi::CreateRectRgn(0, 0, cDib.Width(), cDib.Height());
    if (!m_hRgn || !cDib.DIBSectionBitsPtr()) return;

    const ByteView pixels(cDib.DIBSectionBitsPtr(), cDib.BytesPerScanLine(), cDib.Height(), kClassName);
    const std::int32_t height = cDib.Height();
    const auto cutRun = [this](std::int32_t column, std::int32_t top, std::int32_t bottom) {
        const gdi::Handle run = gdi::CreateRectRgn(column, top, column + 1, bottom);
        gdi::CombineRgn(m_hRgn, m_hRgn, run, gdi::RGN_XOR);
        gdi::DeleteObject(run);
    };
    // Whole three-byte groups of a row: with a width of 4n + 3 the padding
    // forms one more column, tested like a pixel.
    const std::int32_t columns = pixels.rowBytes() / 3;
    for (std::int32_t lX = 0; lX < columns; ++lX) {
        const std::int32_t x = lX * 3;
        bool open = false;
        std::int32_t top = 0;
        for (std::int32_t y = height - 1; y >= 0; --y) {
            const std::int32_t screenRow = height - 1 - y;
            const bool magenta = isMagenta(pixels, x, y);
            if (magenta && !open) {
                open = true;
                top = screenRow;
            } else if (!magenta && open) {
                cutRun(lX, top, screenRow);
                open = false;
            }
        }
        if (open) cutRun(lX, top, height);
    }
}

bool cDIBSectionRegion::Save(const std::string& sPath) {
    if (!m_hRgn) throw classError(kErrNoRegion, "No region to save");
    const std::uint32_t size = gdi::GetRegionData(m_hRgn, 0, nullptr);
    if (size == 0 || size > INT32_MAX) throw classError(kErrRegionSize, "Unable to determine size of region");
    std::vector<std::uint8_t> buffer(size);
    if (gdi::GetRegionData(m_hRgn, size, buffer.data()) != size)
        throw classError(kErrRegionData, "Unable to get region data");
    writeWholeFile(sPath, buffer);
    return true;
}

bool cDIBSectionRegion::LoadFromFile(const std::string& sFileName) {
    const std::vector<std::uint8_t> bytes = readWholeFile(sFileName);
    // An empty file makes no buffer; the old region stays.
    if (bytes.empty()) throw runtimeError(kErrSubscriptOutOfRange, kClassName);
    return CreateFromRegionData(bytes);
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
