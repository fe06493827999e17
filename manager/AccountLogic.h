// The checks of the account dialog, which asks under which account a remote task runs.
#pragma once

#include <optional>
#include <string>

#include "model/SecretText.h"

namespace velmora {

enum AccountField { kAccountPassword, kAccountConfirmation, kAccountUserName };

struct AccountInput {
    std::u16string userName;
    SecretText password;
    SecretText confirmation;
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
// whose last part is SYSTEM means the system account. Without the computer's name (it could not be
// read) a name without a domain is refused with a message.
AccountCheck CheckAccount(const AccountInput& input, const std::optional<std::u16string>& computerName);

}  // namespace velmora
