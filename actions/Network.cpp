// The dotted form of IPv4 addresses.
#include "actions/Network.h"

namespace velmora {

std::optional<Ipv4> ParseDottedIpv4(std::u16string_view text) {
    Ipv4 address;
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != u'.')
                return std::nullopt;
            ++at;
        }
        int value = 0;
        std::size_t digits = 0;
        while (at < text.size() && text[at] >= u'0' && text[at] <= u'9' && digits < 3) {
            value = value * 10 + (text[at] - u'0');
            ++at;
            ++digits;
        }
        if (digits == 0 || value > 255)
            return std::nullopt;
        address.bytes[part] = static_cast<std::uint8_t>(value);
    }
    if (at != text.size())
        return std::nullopt;
    return address;
}

std::u16string DottedText(const Ipv4& address) {
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += (i ? "." : "") + std::to_string(address.bytes[i]);
    return std::u16string(text.begin(), text.end());
}

}  // namespace velmora
