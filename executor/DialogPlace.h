// Where a task of the system account shows its countdown: through the interactive service, in the
// session of the user at the console, or nowhere when nobody is logged on.
#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

enum class ConsoleUser { kLoggedOn, kNone, kUnknown };

// The sessions as the system reports them.
struct SessionFacts {
    std::optional<std::uint32_t> console;  // nothing while no session is attached to the console
    std::uint32_t services = 0;            // where services run and an interactive service's windows appear
    std::uint32_t own = 0;                 // this process's
    ConsoleUser consoleUser = ConsoleUser::kUnknown;
};

enum class DialogPlace {
    kHere,         // this process is already on the console's desktop
    kService,      // the interactive service: its windows reach the console
    kUserSession,  // a process of the console's user, in that session
    kUnseen,       // nobody could see it: the countdown runs out unseen
};

struct DialogPlaceChoice {
    DialogPlace place = DialogPlace::kHere;
    std::uint32_t session = 0;  // for kUserSession
};

DialogPlaceChoice ChooseDialogPlace(const SessionFacts& facts);

}  // namespace velmora
