// The checks of the account dialog, which asks under which account a remote task runs.
#pragma once

#include <string>

namespace velmora {

enum AccountField { kAccountPassword, kAccountConfirmation, kAccountUserName };

struct AccountInput {
    std::u16string userName;
    std::u16string password;
    std::u16string confirmation;
};

struct AccountCheck {
    bool accept = false;
    int messageId = 0;   // a string to show, 0 for none
    bool flash = false;  // refused without a message: the title bar flashes
    AccountField focus = kAccountUserName;
    std::u16string userName;  // the account to use when accepted; empty for the system account
};

// OK pressed: a password that is blank once trimmed, a confirmation that differs from the password,
// an empty user name are refused in that order. A name without a domain gets the computer's name
// in front (a logon name with "@" carries its own), the name is written in capitals, and a name
// whose last part is SYSTEM means the system account.
AccountCheck CheckAccount(const AccountInput& input, const std::u16string& computerName);

// Overwrites a text's units before it is dropped: passwords do not outlive their use in memory.
void WipeText(std::u16string& text);

}  // namespace velmora
