// The computer dialogs' rules: what they show when they open, what their check boxes do, and the
// checks of OK in their order, each refusing at one field.
#pragma once

#include <string>

#include "manager/ids/ComputerDialogIds.h"
#include "model/TaskParams.h"

namespace velmora {

// The computer dialog of shutdown and reboot tasks, under the template's numbers
// (manager/ids/ComputerDialogIds.h).
enum ComputerDialogControl : int {
    kCtlCompNameLink = IDC_ADD_COMP_NAME_LINK,
    kCtlCompName = IDC_ADD_COMP_NAME,
    kCtlCompUser = IDC_ADD_COMP_USER,
    kCtlCompPassword = IDC_ADD_COMP_PASSWORD,
    kCtlCompLogon = IDC_ADD_COMP_LOGON,
    kCtlCompPasswordLabel = IDC_ADD_COMP_PASSWORD_LABEL,
};

// The computer dialog of wakeup tasks.
enum WakeDialogControl : int {
    kCtlWakeNameLink = IDC_ADD_WAKE_NAME_LINK,
    kCtlWakeName = IDC_ADD_WAKE_NAME,
    kCtlWakeMacLink = IDC_ADD_WAKE_MAC_LINK,
    kCtlWakeMac = IDC_ADD_WAKE_MAC,
    kCtlWakePassword = IDC_ADD_WAKE_PASSWORD,
    kCtlWakeBroadcast = IDC_ADD_WAKE_BROADCAST,
    kCtlWakePort = IDC_ADD_WAKE_PORT,
    kCtlWakePasswordLabel = IDC_ADD_WAKE_PASSWORD_LABEL,
    kCtlWakeOptional = IDC_ADD_WAKE_OPTIONAL,
    kCtlWakeBroadcastLabel = IDC_ADD_WAKE_BROADCAST_LABEL,
    kCtlWakePortLabel = IDC_ADD_WAKE_PORT_LABEL,
};

constexpr int kNameLimit = 45;
constexpr int kUserLimit = 50;
constexpr int kPasswordLimit = 50;
constexpr int kMacLimit = 12;
constexpr int kWakePasswordLimit = 12;
constexpr int kBroadcastLimit = 15;
constexpr int kPortLimit = 4;
inline constexpr char16_t kDefaultBroadcast[] = u"255.255.255.255";
inline constexpr char16_t kDefaultPort[] = u"7";

// The outcome of OK: accepted, or refused with the focus on one field.
struct FormCheck {
    bool accept = false;
    int focus = 0;
};

// The fields of the computer dialog of shutdown and reboot tasks.
struct ComputerForm {
    std::u16string name, user, password;
    bool logon = false;        // "Logon as user:"
    bool logonEnabled = true;  // the box can be used
};

ComputerForm OpenComputerForm(const ComputerEntry& entry, int action);
// The box applied, when the dialog opens and on every click: unticked, it empties the account.
void ApplyLogonBox(ComputerForm& form);
// OK: the name is cut at its first blank, the user name only loses the blanks at its ends (user
// names may hold blanks). On acceptance the name, user and password go into the entry.
FormCheck CheckComputerForm(ComputerForm& form, ComputerEntry& entry);

// The fields of the computer dialog of wakeup tasks.
struct WakeForm {
    std::u16string name, mac, password, broadcast, port;
    bool optional = false;
    bool several = false;  // Edit of several computers: name, MAC and password are not used
};

WakeForm OpenWakeForm(const ComputerEntry& entry, bool several);
// "Optional" applied: unticked, the broadcast address and the port go back to their defaults.
void ApplyOptional(WakeForm& form);
// OK, checks in order: name, broadcast address (present, digits and dots), port, MAC (its leading
// hexadecimal run, exactly 12). Unticked "Optional" stores the defaults as empty texts.
FormCheck CheckWakeForm(WakeForm& form, ComputerEntry& entry);

// The text before its first blank.
std::u16string CutAtBlank(const std::u16string& text);
// The leading run of hexadecimal digits.
std::u16string LeadingHex(const std::u16string& text);

}  // namespace velmora
