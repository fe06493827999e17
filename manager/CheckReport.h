// What a computer's check shows: the row's State text ("ready", or the step that stopped it with
// the system's text and a hint of what to change), and the info tip with the step and the code.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "actions/ComputerCheck.h"

namespace velmora {

// The hints, in the order of their texts in the string table's one hints text.
enum class CheckHint : int {
    kNone = 0,
    kName,          // the name does not resolve
    kLogon,         // a wrong user or password
    kLocalAccount,  // access denied: no administrator there, or a local account under remote UAC
    kSharing,       // network path not found, port 445 closed: sharing or its firewall rule
    kRpcFirewall,   // RPC server unavailable: the firewall
    kWmiRights,     // access denied in WMI: its namespace rights or DCOM's remote rights
    kMac,           // a MAC address is twelve hexadecimal digits
    kWakePort,      // a port from 1 to 65535
    kWakeAddress,   // an address this computer can send a datagram to
    kUnreachable,   // no route to the computer: switched off, or not on a network this one reaches
};
CheckHint HintFor(const CheckFinding& finding);

// The texts a report is made of: the program's string table by number, the system's text of a code.
struct CheckTexts {
    std::function<std::u16string(int id)> string;
    std::function<std::u16string(std::uint32_t code)> system;
};

struct CheckReport {
    std::u16string state;  // the row's State column
    std::u16string tip;    // the row's info tip; never empty after a check
};
CheckReport MakeCheckReport(const CheckResult& result, const CheckTexts& texts);

// The n-th of the "|"-separated parts of a text, empty past its end.
std::u16string PartOf(const std::u16string& text, int n);
// "1326 (0x0000052E)": a code as the log shows it and as its HRESULT form reads.
std::u16string CodeText(std::uint32_t code);

// The help page that tells every step, its codes and what to do.
inline constexpr char16_t kCheckHelpPage[] = u"shutdown-fails.html";

}  // namespace velmora
