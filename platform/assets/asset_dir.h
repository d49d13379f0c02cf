// The folder of the program's own data: skins, state pictures, icons and the
// default sound. ZPM_ASSETS in the environment points elsewhere (an installed
// copy); otherwise it is the source tree's assets folder.
#pragma once

#include <cstdlib>
#include <filesystem>

namespace platform {

inline std::filesystem::path assetDir() {
    const char* override = std::getenv("ZPM_ASSETS");
    if (override && *override) return override;
    return ZPM_ASSET_DIR;
}

inline std::filesystem::path assetPath(const std::filesystem::path& relative) { return assetDir() / relative; }

}  // namespace platform
