#include "pe_resources.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "ascii_text.h"
#include "files.h"

namespace pe {
namespace {

using Bytes = std::span<const std::uint8_t>;

// Little-endian fields, or nothing when they lie beyond the bytes.
std::optional<std::uint32_t> read16(Bytes bytes, std::uint64_t at) {
    if (at + 2 > bytes.size()) return std::nullopt;
    return std::uint32_t{bytes[at]} | std::uint32_t{bytes[at + 1]} << 8;
}

std::optional<std::uint32_t> read32(Bytes bytes, std::uint64_t at) {
    const auto low = read16(bytes, at);
    const auto high = read16(bytes, at + 2);
    if (!low || !high) return std::nullopt;
    return *low | *high << 16;
}

struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSize = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
};

struct Headers {
    std::vector<Section> sections;
    std::uint32_t resourceRva = 0;
};

// Library files larger than this are refused unread.
constexpr std::size_t kMaxLibrarySize = 256u << 20;

constexpr std::uint32_t kPe32 = 0x10B;
constexpr std::uint32_t kPe32Plus = 0x20B;
constexpr std::uint32_t kResourceDirectory = 2;
constexpr std::uint32_t kHighBit = 0x80000000u;

std::optional<Headers> readHeaders(Bytes file) {
    if (file.size() < 64 || file[0] != 'M' || file[1] != 'Z') return std::nullopt;
    const std::uint64_t peAt = *read32(file, 0x3C);
    const auto signature = read32(file, peAt);
    if (!signature || *signature != 0x00004550) return std::nullopt;  // "PE\0\0"
    const std::uint64_t coff = peAt + 4;
    const auto sectionCount = read16(file, coff + 2);
    const auto optionalSize = read16(file, coff + 16);
    const std::uint64_t optional = coff + 20;
    const auto magic = read16(file, optional);
    if (!sectionCount || !optionalSize || !magic || (*magic != kPe32 && *magic != kPe32Plus)) return std::nullopt;

    const std::uint64_t countAt = *magic == kPe32 ? 92 : 108;
    const std::uint64_t directoriesAt = countAt + 4;
    const auto directoryCount = read32(file, optional + countAt);
    if (!directoryCount || directoriesAt > *optionalSize) return std::nullopt;

    Headers headers;
    const std::uint64_t resourceEntry = directoriesAt + 8 * kResourceDirectory;
    if (*directoryCount > kResourceDirectory && resourceEntry + 8 <= *optionalSize)
        headers.resourceRva = read32(file, optional + resourceEntry).value_or(0);

    const std::uint64_t table = optional + *optionalSize;
    if (table + std::uint64_t{*sectionCount} * 40 > file.size()) return std::nullopt;
    for (std::uint32_t i = 0; i < *sectionCount; ++i) {
        const std::uint64_t at = table + i * 40;
        headers.sections.push_back({*read32(file, at + 12), *read32(file, at + 8), *read32(file, at + 16),
                                    *read32(file, at + 20)});
    }
    return headers;
}

// The file bytes from a relative virtual address to the end of its section's
// stored data (or of the file); nothing when the address has no stored bytes.
std::optional<std::pair<std::size_t, Bytes>> bytesAt(Bytes file, const Headers& headers, std::uint32_t rva) {
    for (const Section& s : headers.sections) {
        const std::uint64_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva < s.virtualAddress || rva - s.virtualAddress >= extent) continue;
        const std::uint64_t delta = rva - s.virtualAddress;
        const std::uint64_t offset = s.rawOffset + delta;
        if (delta >= s.rawSize || offset >= file.size()) return std::nullopt;
        const std::uint64_t length = std::min<std::uint64_t>(s.rawSize - delta, file.size() - offset);
        return std::pair{static_cast<std::size_t>(offset), file.subspan(offset, length)};
    }
    return std::nullopt;
}

// The bytes of a UTF-8 sequence from its first byte; 0 for a byte that
// cannot start one.
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xC2) return 0;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return lead < 0xF5 ? 4 : 0;
}

// The UTF-16 code units of a UTF-8 text; nothing for text that is not
// UTF-8 (no stored name can equal it).
std::optional<std::u16string> utf16Of(std::string_view text) {
    std::u16string units;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = sequenceLength(lead);
        if (length == 0 || i + length > text.size()) return std::nullopt;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code = code << 6 | (next & 0x3F);
        }
        constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return std::nullopt;
        if (code >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(code);
        }
        i += length;
    }
    return units;
}

// A resource name or type: "#" and a number up to 65535 is that numeric
// identifier, anything else a name compared without regard to ASCII case.
struct Key {
    std::optional<std::uint32_t> id;
    std::optional<std::u16string> name;  // nothing for a name no resource can have
};

Key parseKey(std::string_view text) {
    if (text.size() >= 2 && text.size() <= 6 && text[0] == '#') {
        std::uint32_t value = 0;
        const auto* end = text.data() + text.size();
        const auto [ptr, error] = std::from_chars(text.data() + 1, end, value);
        if (error == std::errc{} && ptr == end && value <= 0xFFFF) return {value, {}};
    }
    return {std::nullopt, utf16Of(text)};
}

// Stored names are UTF-16; ASCII letters match in either case, every other
// unit only itself.
bool nameMatches(Bytes rsrc, std::uint32_t at, std::u16string_view name) {
    const auto length = read16(rsrc, at);
    if (!length || *length != name.size()) return false;
    for (std::uint32_t i = 0; i < *length; ++i) {
        const auto unit = read16(rsrc, at + 2 + 2 * std::uint64_t{i});
        if (!unit) return false;
        const bool ascii = *unit < 0x80 && name[i] < 0x80;
        const bool same = ascii ? platform::text::sameLetterNoCase(static_cast<char>(*unit), static_cast<char>(name[i]))
                                : *unit == name[i];
        if (!same) return false;
    }
    return true;
}

// The target field of the directory entry matching the key; nothing when
// the directory lies outside the section or holds no such entry.
std::optional<std::uint32_t> findEntry(Bytes rsrc, std::uint32_t directory, const Key& key) {
    const auto named = read16(rsrc, directory + 12);
    const auto numbered = read16(rsrc, directory + 14);
    if (!named || !numbered) return std::nullopt;
    for (std::uint32_t i = 0; i < *named + *numbered; ++i) {
        const std::uint64_t entry = directory + 16 + 8 * std::uint64_t{i};
        const auto nameField = read32(rsrc, entry);
        const auto target = read32(rsrc, entry + 4);
        if (!nameField || !target) return std::nullopt;
        const bool isNamed = *nameField & kHighBit;
        const bool matches = key.id ? !isNamed && (*nameField & 0xFFFF) == *key.id && *nameField <= 0xFFFF
                                    : isNamed && key.name && nameMatches(rsrc, *nameField & ~kHighBit, *key.name);
        if (matches) return *target;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> subdirectory(std::optional<std::uint32_t> target) {
    if (!target || !(*target & kHighBit)) return std::nullopt;
    return *target & ~kHighBit;
}

struct Module {
    std::vector<std::uint8_t> bytes;
};

struct Resource {
    Handle module = 0;
    ResourceLocation location;
};

struct Tables {
    std::map<Handle, Module> modules;
    std::map<Handle, Resource> resources;
    Handle next = 0x20000;
};

Tables& tables() {
    static Tables instance;
    return instance;
}

const Resource* resourceOf(Handle module, Handle resource) {
    auto& resources = tables().resources;
    const auto it = resources.find(resource);
    return it != resources.end() && it->second.module == module ? &it->second : nullptr;
}

}  // namespace

bool isLibraryFile(std::span<const std::uint8_t> file) {
    return readHeaders(file).has_value();
}

std::optional<ResourceLocation> findResource(std::span<const std::uint8_t> file, std::string_view name,
                                             std::string_view type) {
    const auto headers = readHeaders(file);
    if (!headers || headers->resourceRva == 0) return std::nullopt;
    const auto section = bytesAt(file, *headers, headers->resourceRva);
    if (!section) return std::nullopt;
    const Bytes rsrc = section->second;

    // Three levels: type, name, language (the first language is taken).
    // Only these levels are walked, so entries pointing back up cannot loop.
    const auto names = subdirectory(findEntry(rsrc, 0, parseKey(type)));
    if (!names) return std::nullopt;
    const auto languages = subdirectory(findEntry(rsrc, *names, parseKey(name)));
    if (!languages) return std::nullopt;
    const auto counts = read32(rsrc, std::uint64_t{*languages} + 12);
    const auto dataEntry = read32(rsrc, std::uint64_t{*languages} + 20);
    if (!counts || *counts == 0 || !dataEntry || (*dataEntry & kHighBit)) return std::nullopt;

    const auto dataRva = read32(rsrc, *dataEntry);
    const auto size = read32(rsrc, std::uint64_t{*dataEntry} + 4);
    if (!dataRva || !size) return std::nullopt;
    const auto data = bytesAt(file, *headers, *dataRva);
    if (!data || data->second.size() < *size) return std::nullopt;
    return ResourceLocation{data->first, *size};
}

Handle LoadLibraryExA(std::string_view path, Handle file, std::uint32_t flags) {
    if (file != 0 || !(flags & LOAD_LIBRARY_AS_DATAFILE)) return 0;
    std::error_code error;
    const auto bytes = platform::files::readRegularFile(path, kMaxLibrarySize, error);
    if (!bytes) return 0;
    Module module{{bytes->begin(), bytes->end()}};
    if (!isLibraryFile(module.bytes)) return 0;
    auto& t = tables();
    const Handle handle = t.next++;
    t.modules.emplace(handle, std::move(module));
    return handle;
}

bool FreeLibrary(Handle module) {
    auto& t = tables();
    if (t.modules.erase(module) == 0) return false;
    std::erase_if(t.resources, [module](const auto& entry) { return entry.second.module == module; });
    return true;
}

Handle FindResourceA(Handle module, std::string_view name, std::string_view type) {
    auto& t = tables();
    const auto it = t.modules.find(module);
    if (it == t.modules.end()) return 0;
    const auto location = findResource(it->second.bytes, name, type);
    if (!location) return 0;
    const Handle handle = t.next++;
    t.resources.emplace(handle, Resource{module, *location});
    return handle;
}

std::uint32_t SizeofResource(Handle module, Handle resource) {
    const Resource* found = resourceOf(module, resource);
    return found ? found->location.size : 0;
}

Handle LoadResource(Handle module, Handle resource) {
    // The library's bytes are in memory already: the loaded resource is the
    // found one.
    return resourceOf(module, resource) ? resource : 0;
}

const std::uint8_t* LockResource(Handle loaded) {
    auto& t = tables();
    const auto resource = t.resources.find(loaded);
    if (resource == t.resources.end()) return nullptr;
    const auto module = t.modules.find(resource->second.module);
    if (module == t.modules.end()) return nullptr;
    return module->second.bytes.data() + resource->second.location.offset;
}

}  // namespace pe
