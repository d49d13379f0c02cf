#include "window_host.h"

namespace gdi {
namespace {
WindowHost* currentHost = nullptr;
}

void setWindowHost(WindowHost* host) { currentHost = host; }
WindowHost* windowHost() { return currentHost; }

}  // namespace gdi
