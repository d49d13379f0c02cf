#include "gdi_objects.h"

#include <map>
#include <memory>

namespace gdi {
namespace {

struct HandleTable {
    std::map<Handle, std::unique_ptr<Bitmap>> bitmaps;
    Handle next = 0x1000;
};

HandleTable& table() {
    static HandleTable instance;
    return instance;
}

}  // namespace

std::optional<std::int32_t> rowBytes24(std::int32_t width) {
    std::int32_t bytes = 0;
    if (__builtin_mul_overflow(width, 3, &bytes) || __builtin_add_overflow(bytes, 3, &bytes))
        return std::nullopt;
    return bytes & ~3;
}

Handle createBitmap(std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0) return 0;
    const auto stride = rowBytes24(width);
    std::int32_t size = 0;
    if (!stride || __builtin_mul_overflow(*stride, height, &size)) return 0;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = width;
    bitmap->height = height;
    bitmap->stride = *stride;
    bitmap->bits.assign(static_cast<std::size_t>(size), 0);
    auto& t = table();
    const Handle handle = t.next++;
    t.bitmaps.emplace(handle, std::move(bitmap));
    return handle;
}

Bitmap* bitmapFromHandle(Handle handle) {
    auto& bitmaps = table().bitmaps;
    const auto it = bitmaps.find(handle);
    return it == bitmaps.end() ? nullptr : it->second.get();
}

bool deleteObject(Handle handle) {
    return table().bitmaps.erase(handle) > 0;
}

}  // namespace gdi
