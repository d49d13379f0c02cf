// The library-file reader on arbitrary bytes: it finds nothing or a
// resource lying wholly inside the bytes, and never reads past them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "pe_resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    pe::isLibraryFile(file);
    std::uint32_t sum = 0;
    for (const char* name : {"#12", "#7", "SkinShape", "MixedName", ""}) {
        const auto found = pe::findResource(file, name, pe::RT_RCDATA);
        if (!found) continue;
        if (found->offset > size || found->size > size - found->offset) std::abort();
        for (std::uint32_t i = 0; i < found->size; ++i) sum += data[found->offset + i];
    }
    return sum == 0xFFFFFFFF ? 1 : 0;
}
