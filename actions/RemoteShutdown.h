// What a remote shutdown or restart is asked with, shared by the executor's run and the manager's
// computer list.
#pragma once

#include <string>

namespace velmora {

// One remote shutdown or restart, as a task asks for it.
struct RemoteShutdownRequest {
    std::u16string computer;  // a name or an address, with or without the leading backslashes
    std::u16string user;      // empty: the current logon's credentials
    std::u16string password;
    bool noDialog = false;  // no countdown on the remote screen: it goes at once, and WMI may serve
    std::u16string message;
    std::u16string delay;  // the countdown in seconds, as the task keeps it
    bool force = false;
    bool reboot = false;
};

}  // namespace velmora
