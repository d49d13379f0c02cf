#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "pe_resources.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}

// File offset of the resource section's data, found from its section header.
std::size_t resourceSectionOffset(const Bytes& file) {
    const std::string name(".rsrc\0\0\0", 8);
    const auto it = std::search(file.begin(), file.end(), name.begin(), name.end());
    EXPECT_NE(it, file.end());
    return le32(file, static_cast<std::size_t>(it - file.begin()) + 20);
}

// The data entries of the payload (one per name): relative address, then
// the payload's size followed by a zero code page and reserved word.
std::vector<std::size_t> payloadDataEntries(const Bytes& file, std::uint32_t size) {
    std::vector<std::size_t> entries;
    for (std::size_t at = resourceSectionOffset(file); at + 16 <= file.size(); at += 4)
        if (le32(file, at + 4) == size && le32(file, at + 8) == 0 && le32(file, at + 12) == 0) entries.push_back(at);
    EXPECT_EQ(entries.size(), 2u);
    return entries;
}

class Library : public ::testing::TestWithParam<const char*> {
protected:
    const Bytes payload = readFile(ZPM_TEST_PAYLOAD);
    const Bytes file = readFile(GetParam());
};

void expectInside(const std::optional<pe::ResourceLocation>& found, std::size_t length) {
    if (found) {
        EXPECT_LE(found->offset, length);
        EXPECT_LE(found->size, length - found->offset);
    }
}

}  // namespace

TEST_P(Library, FindsRcdataByNumberAndByNameAndHandsOutItsBytes) {
    ASSERT_FALSE(payload.empty());
    const pe::Handle module = pe::LoadLibraryExA(GetParam(), 0, pe::LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, 0u);

    for (const char* name : {"#7", "MixedName", "mixedname", "MIXEDNAME"}) {
        const pe::Handle resource = pe::FindResourceA(module, name, pe::RT_RCDATA);
        ASSERT_NE(resource, 0u) << name;
        EXPECT_EQ(pe::SizeofResource(module, resource), payload.size());
        const pe::Handle loaded = pe::LoadResource(module, resource);
        ASSERT_NE(loaded, 0u);
        const std::uint8_t* data = pe::LockResource(loaded);
        ASSERT_NE(data, nullptr);
        EXPECT_TRUE(std::equal(payload.begin(), payload.end(), data)) << name;
    }
    for (const char* missing : {"#8", "7", "#07x", "Mixed", "#", ""})
        EXPECT_EQ(pe::FindResourceA(module, missing, pe::RT_RCDATA), 0u) << missing;
    EXPECT_EQ(pe::FindResourceA(module, "#7", "#6"), 0u) << "another type";
    EXPECT_EQ(pe::FindResourceA(module + 12345, "#7", pe::RT_RCDATA), 0u);

    const pe::Handle resource = pe::FindResourceA(module, "#7", pe::RT_RCDATA);
    EXPECT_EQ(pe::SizeofResource(module + 1, resource), 0u) << "a resource belongs to its own library";
    EXPECT_TRUE(pe::FreeLibrary(module));
    EXPECT_FALSE(pe::FreeLibrary(module));
    EXPECT_EQ(pe::LockResource(resource), nullptr) << "freeing the library ends its resources";
    EXPECT_EQ(pe::SizeofResource(module, resource), 0u);
}

TEST_P(Library, NamesBeyondAsciiCompareAsUtf16) {
    // The stored name "MixedName" (9 UTF-16 units) is given other letters:
    // "MüxedName", then "M" and a character outside the basic plane
    // (a surrogate pair) in place of "ix".
    const auto unitsOf = [](std::u16string_view text) {
        Bytes bytes;
        for (char16_t unit : text)
            bytes.insert(bytes.end(), {static_cast<std::uint8_t>(unit), static_cast<std::uint8_t>(unit >> 8)});
        return bytes;
    };
    std::size_t at = 0;
    for (const char16_t* spelling : {u"MixedName", u"MIXEDNAME", u"mixedname"}) {
        const Bytes stored = unitsOf(spelling);
        const auto it = std::search(file.begin(), file.end(), stored.begin(), stored.end());
        if (it != file.end()) at = static_cast<std::size_t>(it - file.begin());
    }
    ASSERT_NE(at, 0u) << "the stored name is in the file";

    struct Case {
        std::u16string stored;
        std::vector<std::string> found, missing;
    };
    const Case cases[] = {
        {u"M\u00FCxedName", {"M\xC3\xBCxedName", "m\xC3\xBCXEDNAME"}, {"MxxedName", "M\xFCxedName"}},
        {u"M\U0001F600edName", {"M\xF0\x9F\x98\x80" "edName"},
         {"M\xED\xA0\xBD\xED\xB8\x80" "edName", "M\xF0\x9F\x98" "edName"}},
    };
    for (const Case& c : cases) {
        Bytes changed = file;
        const Bytes units = unitsOf(c.stored);
        std::copy(units.begin(), units.end(), changed.begin() + static_cast<std::ptrdiff_t>(at));
        for (const std::string& name : c.found) EXPECT_TRUE(pe::findResource(changed, name, pe::RT_RCDATA)) << name;
        for (const std::string& name : c.missing) EXPECT_FALSE(pe::findResource(changed, name, pe::RT_RCDATA)) << name;
    }
}

TEST_P(Library, DamagedCopiesFailWithoutReadingOutside) {
    ASSERT_TRUE(pe::findResource(file, "#7", pe::RT_RCDATA).has_value());
    // Every cut-off copy.
    for (std::size_t length = 0; length < file.size(); ++length) {
        const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        expectInside(pe::findResource(cut, "#7", pe::RT_RCDATA), length);
    }
    // Every byte overwritten with a few telling values.
    Bytes damaged = file;
    for (std::size_t at = 0; at < file.size(); ++at) {
        for (std::uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
            damaged[at] = value;
            expectInside(pe::findResource(damaged, "#7", pe::RT_RCDATA), damaged.size());
            expectInside(pe::findResource(damaged, "MixedName", pe::RT_RCDATA), damaged.size());
        }
        damaged[at] = file[at];
    }
}

TEST_P(Library, DirectoriesPointingBackOrOutsideAreNotFollowed) {
    const std::size_t root = resourceSectionOffset(file);
    const std::size_t typeEntryTarget = root + 16 + 4;
    Bytes looping = file;
    put32(looping, typeEntryTarget, 0x80000000u);  // the type's names are the root again
    EXPECT_FALSE(pe::findResource(looping, "#7", pe::RT_RCDATA).has_value());
    EXPECT_FALSE(pe::findResource(looping, "#10", pe::RT_RCDATA).has_value());

    Bytes outside = file;
    put32(outside, typeEntryTarget, 0x80000000u | 0x7FFFFFF0u);
    EXPECT_FALSE(pe::findResource(outside, "#7", pe::RT_RCDATA).has_value());

    Bytes tooLong = file;
    Bytes farAway = file;
    for (const std::size_t entry : payloadDataEntries(file, static_cast<std::uint32_t>(payload.size()))) {
        put32(tooLong, entry + 4, 0x7FFFFFFFu);
        put32(farAway, entry, 0xFFFFFF00u);
    }
    for (const char* name : {"#7", "MixedName"}) {
        EXPECT_FALSE(pe::findResource(tooLong, name, pe::RT_RCDATA).has_value());
        EXPECT_FALSE(pe::findResource(farAway, name, pe::RT_RCDATA).has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, Library, ::testing::Values(ZPM_TEST_DLL32, ZPM_TEST_DLL64));

TEST(LoadLibrary, OpensOnlyLibraryFilesAsData) {
    const auto folder = std::filesystem::temp_directory_path() / ("zpm_pe_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto text = folder / "notes.dll";
    std::ofstream(text) << "MZ but nothing more of a library";

    EXPECT_EQ(pe::LoadLibraryExA(ZPM_TEST_DLL64, 0, 0), 0u) << "only as a data file";
    EXPECT_EQ(pe::LoadLibraryExA(ZPM_TEST_DLL64, 1, pe::LOAD_LIBRARY_AS_DATAFILE), 0u);
    EXPECT_EQ(pe::LoadLibraryExA((folder / "missing.dll").string(), 0, pe::LOAD_LIBRARY_AS_DATAFILE), 0u);
    EXPECT_EQ(pe::LoadLibraryExA(text.string(), 0, pe::LOAD_LIBRARY_AS_DATAFILE), 0u);
    EXPECT_EQ(pe::LoadLibraryExA(folder.string(), 0, pe::LOAD_LIBRARY_AS_DATAFILE), 0u);
    EXPECT_EQ(pe::LoadLibraryExA(ZPM_TEST_PAYLOAD, 0, pe::LOAD_LIBRARY_AS_DATAFILE), 0u);
    std::filesystem::remove_all(folder);
}
