// Listing N tasks as the manager does: the work items of a prefix, then each one's properties and
// task file. Runs under Wine against its Task Scheduler.
#include <benchmark/benchmark.h>

#include <map>

#include "bench/StoreTasks.h"
#include "model/win/TaskFolder.h"
#include "scheduler/TaskStore.h"
#include "scheduler/win/ScheduledTask.h"

namespace {

using namespace velmora;

void Prepare(int count) {
    bench::FillStoreWithTasks(count, kActionShutdown);
}

void BM_ListTasks(benchmark::State& state) {
    static int prepared = -1;
    const int count = static_cast<int>(state.range(0));
    if (prepared != count) {
        Prepare(count);
        prepared = count;
    }
    CScheduledTask scheduler;
    scheduler.KeepSchedulerOpen();
    for (auto _ : state) {
        const std::vector<ListedTask> tasks = ListTasks(scheduler, TaskStoreFolder(), kLocalPrefix);
        if (static_cast<int>(tasks.size()) != bench::LocalTasksListedWith(count))
            state.SkipWithError("the listing missed tasks");
    }
    state.SetComplexityN(count);
}

bench::OwnTasksRemovedAtExit cleanup;

}  // namespace

BENCHMARK(BM_ListTasks)->Arg(50)->Arg(200)->Arg(500)->Unit(benchmark::kMillisecond);
