// Drawing task names.
#include "scheduler/TaskName.h"

namespace velmora {

std::u16string DrawTaskName(TaskKind kind, CrtRandom& random) {
    std::u16string name = kind == TaskKind::kLocal ? kLocalPrefix : kRemotePrefix;
    static const char16_t kDigits[] = u"0123456789abcdef";
    for (int chunk = 0; chunk < 6; ++chunk) {
        std::uint32_t value = static_cast<std::uint32_t>(random.Next() / 789) * 175140001u;
        std::u16string hex;
        do {
            hex.insert(hex.begin(), kDigits[value & 0xF]);
            value >>= 4;
        } while (value != 0);
        name += hex;
    }
    if (name.size() > kTaskNameLength)
        name.resize(kTaskNameLength);
    return name;
}

std::u16string MakeTaskName(TaskKind kind, std::uint32_t start,
                            const std::function<bool(const std::u16string&)>& taken) {
    CrtRandom random(start);
    std::u16string name = DrawTaskName(kind, random);
    // The names are drawn from a small set (42 values a chunk), so give up only after very many.
    for (int attempt = 0; attempt < 100000 && taken && taken(name); ++attempt)
        name = DrawTaskName(kind, random);
    return name;
}

}  // namespace velmora
