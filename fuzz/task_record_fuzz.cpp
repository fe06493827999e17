// Feeds arbitrary bytes to the task file reader, in memory. A record it accepts must be written in
// a form that reads back with every field as it was, but for the units the format cannot carry,
// which come back as U+FFFD.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/TaskParams.h"

namespace {

std::u16string AsStored(std::u16string text) {
    for (char16_t& unit : text)
        if (!velmora::IsStorableText(std::u16string_view(&unit, 1)))
            unit = u'\uFFFD';
    return text;
}

bool ComesBackAsStored(const velmora::CTaskParams& a, const velmora::CTaskParams& b) {
    if (a.computers.size() != b.computers.size())
        return false;
    for (std::size_t i = 0; i < a.computers.size(); ++i)
        for (std::size_t k = 0; k < a.computers[i].size(); ++k)
            if (AsStored(a.computers[i][k]) != b.computers[i][k])
                return false;
    return a.action == b.action && AsStored(a.comment) == b.comment && a.local == b.local && a.force == b.force &&
           a.noshow == b.noshow && a.cancel == b.cancel && AsStored(a.delay) == b.delay &&
           AsStored(a.message) == b.message && AsStored(a.history) == b.history && AsStored(a.logFile) == b.logFile;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    velmora::CTaskParams record;
    if (!record.ParseFileBytes(bytes, true))
        return 0;
    velmora::CTaskParams reread;
    if (!reread.ParseFileBytes(record.FileBytes(), true) || !ComesBackAsStored(record, reread))
        std::abort();
    // The short read the task list makes takes the same flags and comment.
    velmora::CTaskParams flagsOnly;
    if (!flagsOnly.ParseFileBytes(bytes, false) || flagsOnly.comment != record.comment ||
        flagsOnly.action != record.action)
        std::abort();
    return 0;
}
