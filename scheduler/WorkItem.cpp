// Small rules shared by every user of work items.
#include "scheduler/WorkItem.h"

#include <cstdio>

#include "model/Text.h"

namespace velmora {

std::u16string ResultText(std::uint32_t exitCode, bool executorCopy) {
    if (exitCode == static_cast<std::uint32_t>(kExitCountdownEnded))
        exitCode = 0;
    if (executorCopy)
        return exitCode == 0 ? u"Ok" : u"Error";
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", exitCode);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string ExecutorPath(std::u16string_view systemFolder) {
    std::u16string path(systemFolder);
    if (!path.empty() && path.back() != u'\\')
        path += u'\\';
    return path + kExecutorApplication + u".exe";
}

bool IsExecutorApplication(std::u16string_view application, std::u16string_view systemFolder) {
    return EqualsIgnoringAsciiCase(application, kExecutorApplication) ||
           (!systemFolder.empty() && FoldedCase(application) == FoldedCase(ExecutorPath(systemFolder)));
}

bool IsAccountError(HResult result) {
    return result == kAccessDenied || result == kAccountNameNotFound || result == kAccountInformationNotSet;
}

// The scheduler answers an item without account information with SCHED_E_ACCOUNT_INFORMATION_NOT_SET;
// Windows XP, and Wine, which keeps no accounts at all, with ERROR_FILE_NOT_FOUND.
bool AccountUnreadable(HResult read) {
    return read < 0 && read != kAccountInformationNotSet && read != kFileNotFound;
}

}  // namespace velmora
