// Resources of Windows library files (PE/COFF, 32- and 64-bit), read
// straight from the file: the library is never run, only its resource
// section is looked at. Names and types are texts; "#" followed by a decimal
// number stands for that numeric identifier.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace pe {

using Handle = std::uintptr_t;  // 0 is "none"

inline constexpr std::uint32_t LOAD_LIBRARY_AS_DATAFILE = 2;
inline constexpr std::string_view RT_RCDATA = "#10";

// Where a resource's bytes lie in the library file.
struct ResourceLocation {
    std::size_t offset = 0;
    std::uint32_t size = 0;
};

// Finds a resource in the bytes of a library file (first language found);
// nothing when the bytes are no PE file, have no such resource, or any
// directory or data entry points outside the file.
std::optional<ResourceLocation> findResource(std::span<const std::uint8_t> file, std::string_view name,
                                             std::string_view type);
// True when the bytes start like a PE file the reader understands.
bool isLibraryFile(std::span<const std::uint8_t> file);

// --- The library functions under the names the region class uses ---

// Only loading as a data file is offered; 0 when the file cannot be read or
// is no PE file.
Handle LoadLibraryExA(std::string_view path, Handle file, std::uint32_t flags);
bool FreeLibrary(Handle module);
Handle FindResourceA(Handle module, std::string_view name, std::string_view type);
std::uint32_t SizeofResource(Handle module, Handle resource);
Handle LoadResource(Handle module, Handle resource);
// The resource's bytes, valid until the library is freed.
const std::uint8_t* LockResource(Handle loaded);

}  // namespace pe
