// The input as bytes and as NUL-parted pieces, a check that ends the run, and a scratch folder.
// ZPM_FUZZ(input) { ... } defines a target's body over a fuzzing::Input.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

namespace fuzzing {

struct Input {
    std::span<const std::uint8_t> bytes;
    std::string_view rest{reinterpret_cast<const char*>(bytes.data()), bytes.size()};

    // The next piece up to a NUL byte (or to the end).
    std::string next() {
        const std::string piece(rest.substr(0, rest.find('\0')));
        rest.remove_prefix(std::min(rest.size(), piece.size() + 1));
        return piece;
    }
};

inline void require(bool holds) {
    if (!holds) std::abort();
}

// Made at the first call, removed at exit; in memory where possible, so that syncing costs nothing.
inline const std::string& scratchFolder() {
    static char inMemory[] = "/dev/shm/zpm-fuzz-XXXXXX", onDisk[] = "/tmp/zpm-fuzz-XXXXXX";
    static const char* const made = ::mkdtemp(inMemory) ? inMemory : ::mkdtemp(onDisk);
    static const std::string path = (require(made), std::atexit([] { std::filesystem::remove_all(made); }), made);
    return path;
}

}  // namespace fuzzing

#define ZPM_FUZZ(input)                                                                   \
    static void fuzzOne(fuzzing::Input& input);                                           \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
        fuzzing::Input input{{data, size}};                                               \
        fuzzOne(input);                                                                   \
        return 0;                                                                         \
    }                                                                                     \
    static void fuzzOne(fuzzing::Input& input)
