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

bool IsExecutorApplication(std::u16string_view application) {
    return EqualsIgnoringAsciiCase(application, kExecutorApplication);
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
