#include "gdi_objects.h"

#include <new>

#include "handle_table.h"

namespace gdi {
namespace detail {
namespace {

struct HandleTable {
    std::map<Handle, Object> objects;
    Handle next = 0x1000;
};

HandleTable& table() {
    static HandleTable instance;
    return instance;
}

Handle stockBitmap() {
    static const Handle handle = [] {
        BitmapObject stock;
        stock.bitmap = {1, 1, 4, std::vector<std::uint8_t>(4, 0)};
        stock.stock = true;
        return addObject(std::move(stock));
    }();
    return handle;
}

}  // namespace

Handle addObject(Object object) {
    auto& t = table();
    const Handle handle = t.next++;
    t.objects.emplace(handle, std::move(object));
    return handle;
}

template <typename T>
T* objectAs(Handle handle) {
    auto& objects = table().objects;
    const auto it = objects.find(handle);
    return it == objects.end() ? nullptr : std::get_if<T>(&it->second);
}

template BitmapObject* objectAs<BitmapObject>(Handle);
template DeviceContext* objectAs<DeviceContext>(Handle);
template Region* objectAs<Region>(Handle);

Bitmap* surfaceOf(Handle dc) {
    const DeviceContext* context = objectAs<DeviceContext>(dc);
    if (!context || context->screen) return nullptr;
    BitmapObject* selected = objectAs<BitmapObject>(context->selected);
    return selected && !selected->stock ? &selected->bitmap : nullptr;
}

bool eraseObject(Handle handle) {
    auto& objects = table().objects;
    const auto it = objects.find(handle);
    if (it == objects.end()) return false;
    if (const auto* bitmap = std::get_if<BitmapObject>(&it->second); bitmap && (bitmap->stock || bitmap->selectedInto))
        return false;
    objects.erase(it);
    return true;
}

std::optional<BitmapObject> newBitmap(std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0) return std::nullopt;
    const auto stride = rowBytes24(width);
    std::int32_t size = 0;
    if (!stride || __builtin_mul_overflow(*stride, height, &size)) return std::nullopt;
    BitmapObject object;
    object.bitmap.width = width;
    object.bitmap.height = height;
    object.bitmap.stride = *stride;
    try {
        object.bitmap.bits.assign(static_cast<std::size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return object;
}

}  // namespace detail

using namespace detail;

std::optional<std::int32_t> rowBytes24(std::int32_t width) {
    std::int32_t bytes = 0;
    if (__builtin_mul_overflow(width, 3, &bytes) || __builtin_add_overflow(bytes, 3, &bytes)) return std::nullopt;
    return bytes & ~3;
}

Handle createBitmap(std::int32_t width, std::int32_t height) {
    auto object = newBitmap(width, height);
    return object ? addObject(std::move(*object)) : 0;
}

Bitmap* bitmapFromHandle(Handle handle) {
    BitmapObject* object = objectAs<BitmapObject>(handle);
    return object && !object->stock ? &object->bitmap : nullptr;
}

bool deleteObject(Handle handle) {
    if (DeviceContext* dc = objectAs<DeviceContext>(handle)) {
        if (BitmapObject* selected = objectAs<BitmapObject>(dc->selected)) selected->selectedInto = 0;
    }
    return eraseObject(handle);
}

std::size_t liveObjectCount() {
    return table().objects.size();
}

Handle CreateCompatibleDC(Handle) {
    const Handle stock = stockBitmap();
    return addObject(DeviceContext{false, stock});
}

bool DeleteDC(Handle dc) {
    return objectAs<DeviceContext>(dc) && deleteObject(dc);
}

Handle SelectObject(Handle dc, Handle object) {
    DeviceContext* context = objectAs<DeviceContext>(dc);
    BitmapObject* bitmap = objectAs<BitmapObject>(object);
    if (!context || context->screen || !bitmap) return 0;
    if (context->selected == object) return object;
    if (bitmap->selectedInto) return 0;
    const Handle previous = context->selected;
    if (BitmapObject* old = objectAs<BitmapObject>(previous)) old->selectedInto = 0;
    if (!bitmap->stock) bitmap->selectedInto = dc;
    context->selected = object;
    return previous;
}

bool DeleteObject(Handle object) {
    return !objectAs<DeviceContext>(object) && deleteObject(object);
}

Handle CreateDIBSection(Handle, const BITMAPINFOHEADER& header, std::uint32_t usage, std::uint8_t** bits, Handle section,
                        std::uint32_t offset) {
    if (bits) *bits = nullptr;
    const bool supported = header.biSize == sizeof(BITMAPINFOHEADER) && header.biPlanes == 1 &&
                           header.biBitCount == 24 && header.biCompression == BI_RGB && usage == DIB_RGB_COLORS &&
                           section == 0 && offset == 0;
    if (!supported) return 0;
    auto object = newBitmap(header.biWidth, header.biHeight);
    if (!object) return 0;
    object->dibSection = true;
    const Handle handle = addObject(std::move(*object));
    if (bits) *bits = objectAs<BitmapObject>(handle)->bitmap.bits.data();
    return handle;
}

Handle CreateCompatibleBitmap(Handle dc, std::int32_t width, std::int32_t height) {
    return objectAs<DeviceContext>(dc) ? createBitmap(width, height) : 0;
}

int GetObjectA(Handle object, int size, BITMAP* record) {
    BitmapObject* bitmap = objectAs<BitmapObject>(object);
    if (!bitmap || !record || size < static_cast<int>(sizeof(BITMAP))) return 0;
    Bitmap& b = bitmap->bitmap;
    *record = BITMAP{0, b.width, b.height, b.stride, 1, 24, bitmap->dibSection ? b.bits.data() : nullptr};
    return static_cast<int>(sizeof(BITMAP));
}

WindowHandle GetDesktopWindow() {
    return 0x10010;
}

Handle GetDC(WindowHandle window) {
    if (window != GetDesktopWindow()) return 0;
    return addObject(DeviceContext{true, 0});
}

int ReleaseDC(WindowHandle, Handle dc) {
    const DeviceContext* context = objectAs<DeviceContext>(dc);
    return context && context->screen && deleteObject(dc) ? 1 : 0;
}

}  // namespace gdi
