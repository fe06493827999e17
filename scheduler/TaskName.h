// Task names: a prefix for the task kind and random lowercase hexadecimal digits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "scheduler/WorkItem.h"

namespace velmora {

constexpr std::size_t kTaskNameLength = 34;

// A source of random 32-bit values; the real one is the system's cryptographic generator, so no
// one can tell the next name in advance and put a file there first.
using RandomSource = std::function<std::uint32_t()>;

// One name: the prefix, then hexadecimal digits up to 34 characters, eight from each value drawn.
std::u16string DrawTaskName(TaskKind kind, const RandomSource& random);

// A name that `taken` does not know yet.
std::u16string MakeTaskName(TaskKind kind, const RandomSource& random,
                            const std::function<bool(const std::u16string&)>& taken);

}  // namespace velmora
