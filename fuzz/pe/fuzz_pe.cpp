// The library-file reader on arbitrary bytes: it finds nothing or a
// resource lying wholly inside the bytes, and never reads past them. Names
// beyond ASCII, and the input's last bytes taken as a name, go through the
// UTF-8 reading of names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "pe_resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    pe::isLibraryFile(file);
    std::uint32_t sum = 0;
    const std::size_t tailLength = size < 12 ? size : 12;
    const std::string_view tail(reinterpret_cast<const char*>(data + size - tailLength), tailLength);
    for (std::string_view name : {std::string_view("#12"), std::string_view("#7"), std::string_view("SkinShape"),
                                  std::string_view("MixedName"), std::string_view("M\xC3\xBCxedName"),
                                  std::string_view("\xF0\x9F\x98\x80"), std::string_view(""), tail}) {
        const auto found = pe::findResource(file, name, pe::RT_RCDATA);
        if (!found) continue;
        if (found->offset > size || found->size > size - found->offset) std::abort();
        for (std::uint32_t i = 0; i < found->size; ++i) sum += data[found->offset + i];
    }
    return sum == 0xFFFFFFFF ? 1 : 0;
}
