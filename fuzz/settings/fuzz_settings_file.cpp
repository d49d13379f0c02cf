// Feeds arbitrary bytes as a settings file, and arbitrary section, key and
// value texts, through reads and writes of the store. A write that reports
// success reads back at once. The files lie in a memory file system where
// one is mounted, so that syncing costs nothing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "mdINIBas.h"

namespace {

// A plain buffer, so that it is still there when the exit handler removes
// the folder.
char folderPath[] = "/dev/shm/zpm-fuzz-XXXXXX";
char fallbackPath[] = "/tmp/zpm-fuzz-XXXXXX";

std::string folder() {
    static const char* path = ::mkdtemp(folderPath) ? folderPath : ::mkdtemp(fallbackPath);
    static const bool made = [] {
        if (!path) std::abort();
        std::atexit([] { std::filesystem::remove_all(path); });
        return true;
    }();
    (void)made;
    return path;
}

// Takes the next piece up to a NUL byte (or to the end).
std::string_view nextPiece(std::string_view& input) {
    const auto end = input.find('\0');
    const auto piece = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return piece;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string section(nextPiece(input));
    const std::string key(nextPiece(input));
    const std::string value(nextPiece(input));

    const std::string file = folder() + "/fuzz.ini";
    const std::string other = folder() + "/other.ini";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << input;
    }
    mdINIBas::GetIniValue("x", "y", "", other);  // switching files forces a load from disk
    mdINIBas::GetIniValue(section, key, "default", file);
    if (mdINIBas::SetIniValue(section, key, value, file) && mdINIBas::GetIniValue(section, key, "", file) != value)
        std::abort();
    mdINIBas::SetIniValue("snds", "s1", value, file);
    mdINIBas::GetIniValue(section, key, "default", file);
    mdINIBas::SetIniValue("x", "y", value, other);
    return 0;
}
