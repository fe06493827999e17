// Address ranges for the IP range dialog.
#include "manager/IpRange.h"

#include <algorithm>
#include <string>

#include "model/TaskParams.h"

namespace velmora {

int FreeRoom(std::size_t listed) {
    return listed >= static_cast<std::size_t>(kComputerLimit) ? 0 : kComputerLimit - static_cast<int>(listed);
}

std::u16string DottedHostOrder(std::uint32_t address) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text += std::to_string((address >> shift) & 0xFF) + (shift ? "." : "");
    return std::u16string(text.begin(), text.end());
}

std::uint32_t RangeSize(std::uint32_t start, std::uint32_t end, int freeRoom) {
    std::uint32_t count = end - start;  // unsigned: an end below the start wraps
    count = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(std::max(freeRoom, 0)));
    return std::min<std::uint32_t>(count, kRangeLimit);
}

std::vector<std::u16string> RangeAddresses(std::uint32_t start, std::uint32_t end, int freeRoom) {
    const std::uint32_t count = RangeSize(start, end, freeRoom);
    std::vector<std::u16string> addresses;
    addresses.reserve(count);
    for (std::uint32_t k = 0; k < count; ++k)
        addresses.push_back(DottedHostOrder(start + k));
    return addresses;
}

}  // namespace velmora
