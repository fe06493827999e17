// Feeds the account dialog a user name as typed (16-bit units) after one byte choosing the
// computer's name (or none, when it could not be read). The "@" rule (a logon name with "@" and no
// "\" carries its own domain and is taken as typed, in capitals) and the system-account rule (a
// name whose last part is SYSTEM) never both apply; a name kept as a user's is never one of the
// system account's own names, and never a bare name; the system account's own names, typed, are the
// system account here.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "manager/AccountLogic.h"

namespace {
void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

std::u16string Trimmed(const std::u16string& text) {
    const auto blank = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    const auto begin = std::find_if_not(text.begin(), text.end(), blank);
    const auto end = std::find_if_not(text.rbegin(), std::make_reverse_iterator(begin), blank).base();
    return std::u16string(begin, end);
}

char16_t Upper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

bool SystemAccountsOwnName(const std::u16string& name) {
    const auto same = [&name](std::u16string_view other) {
        return name.size() == other.size() &&
               std::equal(name.begin(), name.end(), other.begin(), [](char16_t a, char16_t b) { return Upper(a) == Upper(b); });
    };
    return same(u"SYSTEM") || same(u"NT AUTHORITY\\SYSTEM");
}

std::u16string Capitals(std::u16string text) {
    std::transform(text.begin(), text.end(), text.begin(), Upper);
    return text;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    if (size < 1 || size > 1 + 2 * 512)
        return 0;  // the dialog's field holds 150 characters
    static const std::optional<std::u16string> kComputers[] = {u"LAB-PC", u"SYSTEM", u"W2K", std::nullopt};
    const std::optional<std::u16string>& computer = kComputers[data[0] % 4];
    AccountInput input;
    for (std::size_t i = 1; i + 1 < size; i += 2)
        input.userName += static_cast<char16_t>(data[i] | data[i + 1] << 8);
    input.password = SecretText(u"pw");
    input.confirmation = SecretText(u"pw");

    const AccountCheck check = CheckAccount(input, computer);
    const std::u16string typed = Trimmed(input.userName);
    const bool logonName = typed.find(u'@') != std::u16string::npos && typed.find(u'\\') == std::u16string::npos;
    const bool systemAccount = check.accept && check.userName.empty();
    Require(check.accept || !check.flash || typed.empty(), "a name refused without cause");
    Require(!(logonName && systemAccount), "a logon name with @ taken as the system account");
    if (logonName)
        Require(check.accept && check.userName == Capitals(typed), "a logon name with @ not taken as typed");
    if (check.accept && !check.userName.empty()) {
        Require(!SystemAccountsOwnName(check.userName), "the system account's own name kept as a user's");
        Require(check.userName.find_first_of(u"\\@") != std::u16string::npos, "a name without a domain");
    }
    if (computer && SystemAccountsOwnName(typed))
        Require(systemAccount, "the system's own name kept as a user");
    return 0;
}
