// Pieces: a list file's text, an inline list, then dropped paths. Each list loads as a base folder and an entry
// at least; the dropped paths the format can hold, written as a new list, load back as themselves.
#include "ModZPM.h"
#include "ascii_text.h"
#include "files.h"
#include "fuzz_input.h"
#include "mdINIBas.h"

namespace {

using fuzzing::require;

bool listCanHold(std::string_view path) {
    using platform::text::findNoCase;
    return path.starts_with('/') && !path.ends_with('/') && !path.ends_with('\\') &&
           path.find_first_of(",\r\n") == std::string_view::npos && findNoCase(path, "[!P!]") == std::string::npos &&
           findNoCase(path, "[!D!]") == std::string::npos;
}

void loadExpectingAList(const std::string& key, const std::string& value) {
    mdINIBas::SetIniValue("lsts", key, value, Zpm.INI_Name);
    LoadPlaylist(key);
    require(Zpm.aPlaylist.size() >= 2);
}

}  // namespace

ZPM_FUZZ(input) {
    Zpm.ApplDataDir = fuzzing::scratchFolder();
    Zpm.INI_Name = fuzzing::scratchFolder() + "/zpm.ini";
    const std::string listFile = fuzzing::scratchFolder() + "/given.txt";
    platform::files::replaceFile(listFile, input.next());
    loadExpectingAList("s1", listFile);
    loadExpectingAList("s2", input.next());
    std::vector<std::string> paths;
    while (!input.rest.empty())
        if (std::string path = input.next(); listCanHold(path)) paths.push_back(std::move(path));
    std::error_code error;
    const auto written = WriteNewList(paths, error);
    if (paths.empty()) return;
    require(written && mdINIBas::SetIniValue("lsts", "s3", *written, Zpm.INI_Name));
    LoadPlaylist("s3");
    std::filesystem::remove(*written);
    require(Zpm.aPlaylist.size() == paths.size() + 1);
    for (std::size_t i = 0; i < paths.size(); ++i) require(Zpm.aPlaylist[0] + Zpm.aPlaylist[i + 1] == paths[i]);
}
