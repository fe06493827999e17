// Choosing where a task of the system account shows its countdown.
#include "executor/DialogPlace.h"

namespace velmora {

// Interactive services show their windows in the services' session. Where that is the console's
// (Windows 2000, XP and 2003 for the first user, Wine), the service path shows the dialog. From
// Windows Vista on, services have a session of their own that nobody sees (and with fast user
// switching on XP, another user may hold the console): the dialog then goes to the console's user.
DialogPlaceChoice ChooseDialogPlace(const SessionFacts& facts) {
    if (!facts.console || facts.consoleUser == ConsoleUser::kNone)
        return {DialogPlace::kUnseen, 0};
    if (*facts.console == facts.services)
        return {DialogPlace::kService, 0};
    if (*facts.console == facts.own)
        return {DialogPlace::kHere, 0};
    return {DialogPlace::kUserSession, *facts.console};
}

}  // namespace velmora
