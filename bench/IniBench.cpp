// Import of an INI task that carries very many sections besides its own: the time grows with the
// file's size, not with the product of sections and lookups.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "model/TaskParams.h"

namespace {

std::u16string IniWithSections(int sections) {
    const auto path = std::filesystem::temp_directory_path() / "velmora-bench" / "sections.ini";
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    // Names as long as "list", so that no comparison stops at the length.
    for (int i = 0; i < sections; ++i) {
        std::string name(4, 'a');
        for (int n = i, k = 3; k >= 0; n /= 26, --k)
            name[k] = static_cast<char>('a' + n % 26);
        out << "[" << name << "]\r\nkey=value\r\n";
    }
    out << "[settings]\r\naction=0\r\nnoshow=1\r\n[list]\r\n";
    for (int i = 0; i < velmora::kComputerLimit; ++i)
        out << i << "=pc-" << i << ",admin,secret\r\n";
    return path.u16string();
}

void BM_ImportWithManySections(benchmark::State& state) {
    const std::u16string path = IniWithSections(static_cast<int>(state.range(0)));
    velmora::CTaskParams task;
    for (auto _ : state) {
        if (!task.ImportIni(path, velmora::kComputerLimit) || task.computers.size() != velmora::kComputerLimit)
            state.SkipWithError("import failed");
    }
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_ImportWithManySections)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
