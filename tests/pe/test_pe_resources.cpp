#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "pe_resources.h"
#include "temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& path) {
    const std::string text = testing_support::readFile(path);
    return {text.begin(), text.end()};
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

bool finds(const Bytes& file, const std::string& name) { return bool(pe::findResource(file, name, pe::RT_RCDATA)); }

class Library : public ::testing::TestWithParam<const char*> {
protected:
    const Bytes payload = bytesOf(ZPM_TEST_PAYLOAD), file = bytesOf(GetParam());
};

}  // namespace

TEST_P(Library, FindsRcdataByNumberAndByNameAndHandsOutItsBytes) {
    const pe::Handle module = pe::LoadLibraryExA(GetParam(), 0, pe::LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, 0u);
    for (const char* name : {"#7", "#65535", "MixedName", "mixedname", "MIXEDNAME"}) {
        const pe::Handle resource = pe::FindResourceA(module, name, pe::RT_RCDATA);
        ASSERT_EQ(pe::SizeofResource(module, resource), payload.size()) << name;
        const std::uint8_t* data = pe::LockResource(pe::LoadResource(module, resource));
        EXPECT_TRUE(data && std::equal(payload.begin(), payload.end(), data)) << name;
    }
    for (const char* missing : {"#8", "7", "#07x", "#65536", "#4294967303", "Mixed", "#", ""})
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

// Names are stored in capitals as UTF-16; a lone surrogate is no character.
TEST_P(Library, NamesBeyondAsciiCompareAsUtf16) {
    const auto unitsOf = [](std::u16string_view text) {
        Bytes bytes;
        for (char16_t unit : text) bytes.insert(bytes.end(), {std::uint8_t(unit), std::uint8_t(unit >> 8)});
        return bytes;
    };
    const Bytes stored = unitsOf(u"MIXEDNAME");
    const auto at = std::search(file.begin(), file.end(), stored.begin(), stored.end()) - file.begin();
    ASSERT_LT(at, std::ssize(file));
    const struct { std::u16string stored; std::vector<std::string> found, missing; } rows[] = {
        {u"M\u00FCxedName", {"M\xC3\xBCxedName", "m\xC3\xBCXEDNAME"}, {"MxxedName", "M\xFCxedName"}},
        {u"M\U0010FFFFedName", {"M\xF4\x8F\xBF\xBF" "edName"}, {"M\xF4\x90\x80\x80" "edName"}},
        {u"M\U0001F600edName", {"M\xF0\x9F\x98\x80" "edName"},
         {"M\xED\xA0\xBD\xED\xB8\x80" "edName", "M\xF0\x9F\x98" "edName"}},
        {u"M\xD800xedName", {}, {"M\xED\xA0\x80xedName"}},
    };
    for (const auto& row : rows) {
        Bytes changed = file;
        std::ranges::copy(unitsOf(row.stored), changed.begin() + at);
        for (const std::string& name : row.found) EXPECT_TRUE(finds(changed, name)) << name;
        for (const std::string& name : row.missing) EXPECT_FALSE(finds(changed, name)) << name;
    }
}

// Every truncated copy, and a damaged byte at every offset: whatever is found lies inside the bytes.
TEST_P(Library, DamagedCopiesFailWithoutReadingOutside) {
    std::vector<std::string> outside;
    const auto check = [&](const Bytes& bytes, const char* name, const std::string& copy) {
        const auto found = pe::findResource(bytes, name, pe::RT_RCDATA);
        if (found && (found->offset > bytes.size() || found->size > bytes.size() - found->offset))
            outside.push_back(copy + ": " + name);
    };
    for (std::size_t length = 0; length < file.size(); ++length)
        check(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)), "#7", std::to_string(length) + " bytes");
    Bytes damaged = file;
    for (std::size_t at = 0; at < file.size(); ++at) {
        for (std::uint8_t value : {0x00, 0x7F, 0x80, 0xFF}) {
            damaged[at] = value;
            for (const char* name : {"#7", "MixedName"}) check(damaged, name, std::to_string(value) + " at " + std::to_string(at));
        }
        damaged[at] = file[at];
    }
    EXPECT_TRUE(outside.empty()) << outside.size() << " copies reach outside, the first " << outside.front();
}

// The type's names pointing back at the root or outside; the payload's data
// entries (address, size, a zero code page and a reserved word) too long or
// far away.
TEST_P(Library, DirectoriesPointingBackOrOutsideAreNotFollowed) {
    const std::string section(".rsrc\0\0\0", 8);
    const auto header = std::search(file.begin(), file.end(), section.begin(), section.end());
    ASSERT_NE(header, file.end());
    const std::size_t root = le32(file, static_cast<std::size_t>(header - file.begin()) + 20);
    Bytes looping = file, outside = file, tooLong = file, farAway = file;
    put32(looping, root + 20, 0x80000000u), put32(outside, root + 20, 0xFFFFFFF0u);
    int entries = 0;
    for (std::size_t at = root; at + 16 <= file.size(); at += 4)
        if (le32(file, at + 4) == payload.size() && le32(file, at + 8) == 0 && le32(file, at + 12) == 0)
            put32(tooLong, at + 4, 0x7FFFFFFFu), put32(farAway, at, 0xFFFFFF00u), ++entries;
    ASSERT_EQ(entries, 3);
    EXPECT_FALSE(finds(looping, "#10"));
    for (const char* name : {"#7", "#65535", "MixedName"})
        for (const Bytes* bytes : {&looping, &outside, &tooLong, &farAway}) EXPECT_FALSE(finds(*bytes, name)) << name;
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, Library, ::testing::Values(ZPM_TEST_DLL32, ZPM_TEST_DLL64));

TEST(LoadLibrary, OpensOnlyLibraryFilesAsData) {
    testing_support::TempDir folder;
    testing_support::writeFile(folder.path() / "notes.dll", "MZ but nothing more of a library");
    EXPECT_EQ(pe::LoadLibraryExA(ZPM_TEST_DLL64, 0, 0), 0u) << "only as a data file";
    EXPECT_EQ(pe::LoadLibraryExA(ZPM_TEST_DLL64, 1, pe::LOAD_LIBRARY_AS_DATAFILE), 0u);
    for (const std::string& path :
         {folder.file("missing.dll"), folder.file("notes.dll"), folder.path().string(), std::string(ZPM_TEST_PAYLOAD)})
        EXPECT_EQ(pe::LoadLibraryExA(path, 0, pe::LOAD_LIBRARY_AS_DATAFILE), 0u) << path;
}
