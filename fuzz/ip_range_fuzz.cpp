// Feeds the IP range dialog's start and end addresses (32-bit, host order), the number of computers
// already listed (16-bit), then an address text as typed for a computer or a broadcast address.
// The range gives the unsigned difference end − start of addresses, cut to the free room and to
// 5000 and never beyond either; the addresses go up one by one from the start (past
// 255.255.255.255 comes 0.0.0.0), never reach the end, and each is written so that the address
// reader reads it back. An address text that is read holds four numbers and three dots only, and
// is the dotted text of what was read but for leading zeros.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "actions/Network.h"
#include "manager/IpRange.h"
#include "model/TaskParams.h"

namespace {
void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

std::uint32_t HostOrder(const velmora::Ipv4& address) {
    const auto& b = address.bytes;
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

// The text without the leading zeros of its numbers.
std::u16string WithoutLeadingZeros(const std::u16string& text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool numberStart = i == 0 || text[i - 1] == u'.';
        if (numberStart) {
            while (text[i] == u'0' && i + 1 < text.size() && text[i + 1] != u'.')
                ++i;
        }
        out += text[i];
    }
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    if (size < 10 || size > 10 + 256)
        return 0;  // the address fields hold at most 45 characters
    const auto word = [&](std::size_t at) {
        return std::uint32_t{data[at]} << 24 | std::uint32_t{data[at + 1]} << 16 | std::uint32_t{data[at + 2]} << 8 |
               data[at + 3];
    };
    const std::uint32_t start = word(0);
    const std::uint32_t end = word(4);
    const std::size_t listed = (data[8] | data[9] << 8) % 12001u;

    const int room = FreeRoom(listed);
    Require(
        room >= 0 && (room == 0 || listed + static_cast<std::size_t>(room) == static_cast<std::size_t>(kComputerLimit)),
        "free room");
    const std::uint32_t count = RangeSize(start, end, room);
    Require(count <= static_cast<std::uint32_t>(room) && count <= 5000 && count <= end - start, "range beyond a cut");
    Require(count == static_cast<std::uint32_t>(room) || count == 5000 || count == end - start, "range cut short");
    // Every address of a range is checked when the range is short; a long one costs milliseconds.
    if (count <= 64) {
        const auto addresses = RangeAddresses(start, end, room);
        Require(addresses.size() == count, "range size");
        for (std::uint32_t k = 0; k < count; ++k) {
            const auto read = ParseDottedIpv4(addresses[k]);
            Require(read && HostOrder(*read) == start + k, "range address");
            Require(start + k != end, "the end address in the range");
        }
    }

    const std::u16string text(data + 10, data + size);
    if (const auto read = ParseDottedIpv4(text)) {
        Require(
            std::count(text.begin(), text.end(), u'.') == 3 &&
                std::all_of(text.begin(), text.end(), [](char16_t c) { return c == u'.' || (c >= u'0' && c <= u'9'); }),
            "address text of other characters");
        Require(WithoutLeadingZeros(text) == DottedText(*read), "address text read as another address");
    }
    return 0;
}
