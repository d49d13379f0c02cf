// Feeds arbitrary bytes as a settings file, and arbitrary section, key and
// value texts, through reads and writes of the store. A write that reports
// success reads back at once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "mdINIBas.h"

using fuzzing::nextPiece;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string section(nextPiece(input));
    const std::string key(nextPiece(input));
    const std::string value(nextPiece(input));

    const std::string file = fuzzing::scratchFolder() + "/fuzz.ini";
    const std::string other = fuzzing::scratchFolder() + "/other.ini";
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
