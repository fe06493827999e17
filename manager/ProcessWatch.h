// The executor watcher's rule: a refresh is due when the number of running executors changed
// since the last look.
#pragma once

#include <string>
#include <vector>

namespace velmora {

// True for the program names that count as executors, without regard to case.
bool IsExecutorProcessName(std::u16string_view name);

class ProcessWatch {
public:
    // One look at the running processes' names; true when their count of executors differs from
    // the previous look's (the first look compares with none running).
    bool Look(const std::vector<std::u16string>& processNames);

private:
    std::size_t lastCount_ = 0;
};

}  // namespace velmora
