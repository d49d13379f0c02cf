#include "window_services.h"

#include "handle_table.h"
#include "window_host.h"

namespace gdi {
namespace {

struct Clipboard {
    bool open = false;
    Handle ownedBitmap = 0;  // the last bitmap placed, deleted when emptied
};

Clipboard& clipboard() {
    static Clipboard instance;
    return instance;
}

}  // namespace

int SetWindowRgn(WindowHandle window, Handle region, bool redraw) {
    WindowHost* host = windowHost();
    if (!host) return 0;
    if (region == 0) return host->setWindowShape(window, std::nullopt, redraw) ? 1 : 0;
    const Region* shape = regionFromHandle(region);
    if (!shape || !host->setWindowShape(window, shape->rects(), redraw)) return 0;
    deleteObject(region);
    return 1;
}

bool OpenClipboard(WindowHandle) {
    Clipboard& board = clipboard();
    if (board.open) return false;
    board.open = true;
    return true;
}

bool EmptyClipboard() {
    Clipboard& board = clipboard();
    if (!board.open) return false;
    deleteObject(board.ownedBitmap);
    board.ownedBitmap = 0;
    return true;
}

Handle SetClipboardData(std::uint32_t format, Handle data) {
    Clipboard& board = clipboard();
    const Bitmap* bitmap = bitmapFromHandle(data);
    WindowHost* host = windowHost();
    if (!board.open || format != CF_BITMAP || !bitmap || !host) return 0;
    const auto* object = detail::objectAs<detail::BitmapObject>(data);
    if (object->selectedInto || !host->setClipboardBitmap(*bitmap)) return 0;
    if (board.ownedBitmap != data) deleteObject(board.ownedBitmap);
    board.ownedBitmap = data;
    return data;
}

bool CloseClipboard() {
    Clipboard& board = clipboard();
    if (!board.open) return false;
    board.open = false;
    return true;
}

}  // namespace gdi
