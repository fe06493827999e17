// Counting executors among the running processes.
#include "manager/ProcessWatch.h"

#include <algorithm>

#include "model/Text.h"

namespace velmora {

bool IsExecutorProcessName(std::u16string_view name) {
    return EqualsIgnoringAsciiCase(name, u"quenex.exe") || EqualsIgnoringAsciiCase(name, u"quenep.exe");
}

bool ProcessWatch::Look(const std::vector<std::u16string>& processNames) {
    const auto count = static_cast<std::size_t>(std::count_if(processNames.begin(), processNames.end(),
                                                              [](const auto& n) { return IsExecutorProcessName(n); }));
    const bool changed = count != lastCount_;
    lastCount_ = count;
    if (changed) {
        looksSinceChange_ = 0;
        return true;
    }
    if (looksSinceChange_ >= kFollowUpLooks[std::size(kFollowUpLooks) - 1])
        return false;
    ++looksSinceChange_;
    return std::find(std::begin(kFollowUpLooks), std::end(kFollowUpLooks), looksSinceChange_) !=
           std::end(kFollowUpLooks);
}

}  // namespace velmora
