// Drawing task names.
#include "scheduler/TaskName.h"

namespace velmora {

std::u16string DrawTaskName(TaskKind kind, const RandomSource& random) {
    std::u16string name = kind == TaskKind::kLocal ? kLocalPrefix : kRemotePrefix;
    static const char16_t kDigits[] = u"0123456789abcdef";
    while (name.size() < kTaskNameLength) {
        std::uint32_t value = random();
        for (int digit = 0; digit < 8 && name.size() < kTaskNameLength; ++digit, value >>= 4)
            name += kDigits[value & 0xF];
    }
    return name;
}

std::u16string MakeTaskName(TaskKind kind, const RandomSource& random,
                            const std::function<bool(const std::u16string&)>& taken) {
    std::u16string name = DrawTaskName(kind, random);
    // 104 random bits make a taken name all but impossible; a broken generator must not loop.
    for (int attempt = 0; attempt < 1000 && taken && taken(name); ++attempt)
        name = DrawTaskName(kind, random);
    return name;
}

}  // namespace velmora
