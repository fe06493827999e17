// The IP range dialog's arithmetic: which addresses a start and an end address give, and how many
// computers the list may still take.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

constexpr int kRangeLimit = 5000;
// The dialog's defaults, 192.168.1.1 and 192.168.1.255, in host order (first octet highest).
constexpr std::uint32_t kRangeDefaultStart = 0xC0A80101;
constexpr std::uint32_t kRangeDefaultEnd = 0xC0A801FF;

// The room left in a list of `listed` computers: never below 0, because adding by hand is not
// limited and a list can hold more than the limit.
int FreeRoom(std::size_t listed);

// An address in host order as four decimal octets separated by dots.
std::u16string DottedHostOrder(std::uint32_t address);

// How many addresses a range gives: the unsigned difference end − start, cut to the free room and
// to 5000. An end below the start wraps the difference; start equal to end gives none.
std::uint32_t RangeSize(std::uint32_t start, std::uint32_t end, int freeRoom);
// The addresses from `start` upwards, RangeSize of them; the end address itself is never among
// them.
std::vector<std::u16string> RangeAddresses(std::uint32_t start, std::uint32_t end, int freeRoom);

}  // namespace velmora
