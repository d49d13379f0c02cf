// What the fuzz targets share: the input cut into pieces, and a folder of
// their own for the files they write.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace fuzzing {

// Takes the next piece up to a NUL byte (or to the end).
inline std::string_view nextPiece(std::string_view& input) {
    const auto end = input.find('\0');
    const auto piece = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return piece;
}

// Made at the first call and removed at exit; in a memory file system where
// one is mounted, so that syncing costs nothing.
inline const std::string& scratchFolder() {
    static const std::string path = [] {
        static char inMemory[] = "/dev/shm/zpm-fuzz-XXXXXX";
        static char onDisk[] = "/tmp/zpm-fuzz-XXXXXX";
        static const char* made = ::mkdtemp(inMemory) ? inMemory : ::mkdtemp(onDisk);
        if (!made) std::abort();
        std::atexit([] { std::filesystem::remove_all(made); });
        return std::string(made);
    }();
    return path;
}

}  // namespace fuzzing
