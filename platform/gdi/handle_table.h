// The one table of graphics objects behind the handles (internal to gdi).
#pragma once

#include <map>
#include <variant>

#include "gdi_objects.h"
#include "region.h"

namespace gdi::detail {

struct BitmapObject {
    Bitmap bitmap;
    Handle selectedInto = 0;  // the device context holding it, 0 when none
    bool dibSection = false;
    bool stock = false;  // the default selection of new device contexts
};

struct DeviceContext {
    bool screen = false;  // the desktop's device context: no pixels here
    Handle selected = 0;  // the bitmap selected into a memory device context
};

using Object = std::variant<BitmapObject, DeviceContext, Region>;

Handle addObject(Object object);

template <typename T>
T* objectAs(Handle handle);

extern template BitmapObject* objectAs<BitmapObject>(Handle);
extern template DeviceContext* objectAs<DeviceContext>(Handle);
extern template Region* objectAs<Region>(Handle);

// The surface a device context draws on, or nullptr for the screen, the
// stock bitmap or an invalid handle.
Bitmap* surfaceOf(Handle dc);

}  // namespace gdi::detail
