// Load and Save of a large task: 10000 computers with every text filled and a full history.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "model/TaskParams.h"
#include "model/Text.h"

namespace {

using velmora::CTaskParams;
using velmora::DecimalText;

CTaskParams LargeTask(int computers) {
    CTaskParams task;
    task.action = velmora::kActionRestart;
    task.comment = u"Lab shutdown at night";
    task.delay = u"60";
    task.message = u"This computer shuts down in one minute.\r\nSave your work.";
    for (int i = 0; i < computers; ++i) {
        const std::u16string n = DecimalText(i);
        task.computers.push_back({u"LAB-PC-" + n, u"LAB\\administrator", u"Secret-" + n, u"",
                                  u"00155D01" + DecimalText(1000 + i % 9000), u"A1B2C3D4E5F6", u"192.168.10.255", u"9",
                                  u"", u"10.0.0." + n, u"0: The operation completed successfully."});
    }
    for (std::size_t line = 0; task.history.size() < velmora::kHistoryLimit; ++line)
        task.history += u"12/06/26 21:30:05 LAB-PC-" + DecimalText(static_cast<long long>(line)) +
                        u" result=The operation completed successfully.\r\n";
    task.history.resize(velmora::kHistoryLimit);
    return task;
}

std::u16string BenchFolder() {
    const auto folder = std::filesystem::temp_directory_path() / "velmora-bench";
    std::filesystem::create_directories(folder);
    return folder.u16string();
}

void BM_Save(benchmark::State& state) {
    const CTaskParams task = LargeTask(static_cast<int>(state.range(0)));
    const std::u16string folder = BenchFolder();
    for (auto _ : state) {
        if (!task.Save(folder, u"quenep-1bench"))
            state.SkipWithError("save failed");
    }
    state.SetComplexityN(state.range(0));
}

void BM_Load(benchmark::State& state) {
    const std::u16string folder = BenchFolder();
    LargeTask(static_cast<int>(state.range(0))).Save(folder, u"quenep-1bench");
    CTaskParams task;
    for (auto _ : state) {
        if (!task.Load(folder, u"quenep-1bench", true))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(task.computers.data());
    }
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_Save)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_Load)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
