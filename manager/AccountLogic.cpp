// The account dialog's checks.
#include "manager/AccountLogic.h"

#include <algorithm>

#include "manager/ids/AccountIds.h"
#include "model/Text.h"

namespace velmora {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

std::u16string Trimmed(std::u16string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return std::u16string(text.substr(begin, end - begin));
}

}  // namespace

AccountCheck CheckAccount(const AccountInput& input, const std::optional<std::u16string>& computerName) {
    AccountCheck check;
    // The password is looked at only to see whether it is blank, without a copy; it is used and
    // compared as typed.
    const std::u16string_view password = input.password.view();
    if (std::all_of(password.begin(), password.end(), IsBlank)) {
        check.messageId = IDS_BLANK_PASSWORD;
        check.focus = kAccountPassword;
        return check;
    }
    if (input.password != input.confirmation) {
        check.messageId = IDS_PASSWORDS_DIFFER;
        check.focus = kAccountConfirmation;
        return check;
    }
    std::u16string name = Trimmed(input.userName);
    if (name.empty()) {
        check.flash = true;
        check.focus = kAccountUserName;
        return check;
    }
    if (name.find(u'\\') == std::u16string::npos && name.find(u'@') == std::u16string::npos) {
        if (!computerName) {
            check.messageId = IDS_COMPUTER_NAME_UNKNOWN;
            check.focus = kAccountUserName;
            return check;
        }
        name = *computerName + u"\\" + name;
    }
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; });
    const std::size_t slash = name.rfind(u'\\');
    if (slash != std::u16string::npos &&
        EqualsIgnoringAsciiCase(std::u16string_view(name).substr(slash + 1), u"SYSTEM"))
        name.clear();
    check.accept = true;
    check.userName = std::move(name);
    return check;
}

}  // namespace velmora
