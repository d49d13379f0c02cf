// Any bytes: nothing is found, or a resource wholly inside them; the last bytes are tried as a name too.
#include "fuzz_input.h"
#include "pe_resources.h"

using namespace std::string_view_literals;

ZPM_FUZZ(input) {
    const std::size_t size = input.bytes.size();
    pe::isLibraryFile(input.bytes);
    const std::string_view tail = input.rest.substr(size - std::min<std::size_t>(size, 12));
    for (auto name : {"#7"sv, "#65535"sv, "INF"sv, "MixedName"sv, "M\xC3\xBCxedName"sv, "\xF0\x9F\x98\x80"sv, ""sv,
                      tail}) {
        const auto found = pe::findResource(input.bytes, name, pe::RT_RCDATA);
        fuzzing::require(!found || (found->offset <= size && found->size <= size - found->offset));
    }
}
