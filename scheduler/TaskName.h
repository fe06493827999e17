// Task names: a prefix for the task kind and random lowercase hexadecimal digits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "scheduler/WorkItem.h"

namespace velmora {

constexpr std::size_t kTaskNameLength = 34;

// The C runtime's random generator, so names keep the form they always had on every platform.
class CrtRandom {
public:
    explicit CrtRandom(std::uint32_t start) : state_(start) {}
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    std::uint32_t state_;
};

// One name drawn from `random`: six chunks of (r / 789) * 175140001 (32-bit) in hexadecimal after
// the prefix, cut to 34 characters.
std::u16string DrawTaskName(TaskKind kind, CrtRandom& random);

// A name that `taken` does not know yet. Names drawn in the same second would repeat if the
// generator were seeded anew for each; this one draws on until a name is free.
std::u16string MakeTaskName(TaskKind kind, std::uint32_t start,
                            const std::function<bool(const std::u16string&)>& taken);

}  // namespace velmora
