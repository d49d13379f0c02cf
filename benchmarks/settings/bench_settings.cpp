// Look-up and write in a settings file of the size the program keeps:
// 75 button assignments, 5 lists, the window position and the redirect.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "mdINIBas.h"

namespace {

std::string makeSettingsFile() {
    std::string folder = "/tmp/zpm-bench-XXXXXX";
    if (!::mkdtemp(folder.data())) std::abort();
    const std::string path = folder + "/zpm.ini";
    std::ofstream out(path, std::ios::binary);
    out << "[inifilepath]\r\npath=NIL\r\ninideb=0\r\n\r\n[snds]\r\n";
    for (int n = 1; n <= 75; ++n) out << "s" << n << "=[!P!]/sound/button_" << n << ".wav\r\n";
    out << "\r\n[lsts]\r\n";
    for (int n = 1; n <= 5; ++n) out << "s" << n << "=[!P!]/lists/List_20261206_1200" << n << ".txt\r\n";
    out << "\r\n[ppos]\r\nyp=1500\r\nxp=3000\r\nmp=1\r\n";
    return path;
}

const std::string& settingsFile() {
    static const std::string path = makeSettingsFile();
    return path;
}

void LookUpLastButton(benchmark::State& state) {
    const auto& file = settingsFile();
    for (auto _ : state) benchmark::DoNotOptimize(mdINIBas::GetIniValue("snds", "s75", "NIL", file));
}
BENCHMARK(LookUpLastButton);

void WriteWindowPosition(benchmark::State& state) {
    const auto& file = settingsFile();
    int i = 0;
    for (auto _ : state) mdINIBas::SetIniValue("ppos", "xp", std::to_string(i++ % 5000), file);
}
BENCHMARK(WriteWindowPosition);

}  // namespace

BENCHMARK_MAIN();
