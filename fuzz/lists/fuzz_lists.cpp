// Playlists from arbitrary bytes. The input is pieces parted by NUL bytes:
// the text of a list file, an inline list (the "lsts" value itself), then
// dropped paths. Both lists load as at least a base folder and one entry.
// The dropped paths are written as a new list file, which must load back
// as the same paths; paths the list format cannot hold are left out of that
// check (commas and line breaks part entries, markers are expanded,
// a path must be absolute and name a file).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ModZPM.h"
#include "ascii_text.h"
#include "files.h"
#include "fuzz_input.h"
#include "mdINIBas.h"

namespace {

using fuzzing::nextPiece;

bool listCanHold(std::string_view path) {
    using platform::text::findNoCase;
    return path.starts_with('/') && !path.ends_with('/') && !path.ends_with('\\') &&
           path.find_first_of(",\r\n") == std::string_view::npos && findNoCase(path, "[!P!]") == std::string::npos &&
           findNoCase(path, "[!D!]") == std::string::npos;
}

void loadExpectingAList(std::string_view key) {
    LoadPlaylist(key);
    if (Zpm.aPlaylist.size() < 2) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    Zpm.ApplDataDir = fuzzing::scratchFolder();
    Zpm.INI_Name = fuzzing::scratchFolder() + "/zpm.ini";
    const std::string listFile = fuzzing::scratchFolder() + "/given.txt";
    platform::files::replaceFile(listFile, nextPiece(input));
    mdINIBas::SetIniValue("lsts", "s1", listFile, Zpm.INI_Name);
    loadExpectingAList("s1");
    mdINIBas::SetIniValue("lsts", "s2", nextPiece(input), Zpm.INI_Name);
    loadExpectingAList("s2");

    std::vector<std::string> paths;
    while (!input.empty()) {
        const std::string_view path = nextPiece(input);
        if (listCanHold(path)) paths.emplace_back(path);
    }
    const auto written = WriteNewList(paths);
    if (paths.empty()) return 0;
    if (!written || !mdINIBas::SetIniValue("lsts", "s3", *written, Zpm.INI_Name)) std::abort();
    LoadPlaylist("s3");
    std::filesystem::remove(*written);
    if (Zpm.aPlaylist.size() != paths.size() + 1) std::abort();
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (Zpm.aPlaylist[0] + Zpm.aPlaylist[i + 1] != paths[i]) std::abort();
    return 0;
}
