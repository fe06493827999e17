// The executor watcher's rule: a refresh is due when the number of running executors changed
// since the last look, and again a few times after, because the Task Scheduler writes a run's
// start and end into the work item in its own time, often after the program has started or ended.
#pragma once

#include <iterator>
#include <string>
#include <vector>

namespace velmora {

// True for the program names that count as executors, without regard to case.
bool IsExecutorProcessName(std::u16string_view name);

class ProcessWatch {
public:
    // The looks after a change at which the list is read again: with a look every half second,
    // 1, 2, 4 and 8 seconds after the executors changed.
    static constexpr int kFollowUpLooks[] = {2, 4, 8, 16};

    // One look at the running processes' names; true when their count of executors differs from
    // the previous look's (the first look compares with none running), or when this look is one of
    // the follow-ups of the last change.
    bool Look(const std::vector<std::u16string>& processNames);

private:
    std::size_t lastCount_ = 0;
    int looksSinceChange_ = kFollowUpLooks[std::size(kFollowUpLooks) - 1];
};

}  // namespace velmora
