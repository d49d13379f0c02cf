// A section, key and value, then the rest as a settings file; a write that succeeds reads back at once.
#include "files.h"
#include "fuzz_input.h"
#include "mdINIBas.h"

ZPM_FUZZ(input) {
    const std::string section = input.next(), key = input.next(), value = input.next();
    const std::string file = fuzzing::scratchFolder() + "/fuzz.ini", other = fuzzing::scratchFolder() + "/other.ini";
    platform::files::replaceFile(file, input.rest);
    mdINIBas::GetIniValue("x", "y", "", other);  // switching files forces a load from disk
    mdINIBas::GetIniValue(section, key, "default", file);
    if (mdINIBas::SetIniValue(section, key, value, file))
        fuzzing::require(mdINIBas::GetIniValue(section, key, "", file) == value);
    mdINIBas::SetIniValue("snds", "s1", value, file);
    mdINIBas::GetIniValue(section, key, "default", file);
    mdINIBas::SetIniValue("x", "y", value, other);
}
