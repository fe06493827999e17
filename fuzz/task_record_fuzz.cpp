// Feeds arbitrary units to the task record parser; a record it accepts must survive a round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/TaskParams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    velmora::CTaskParams record;
    if (!record.Parse(text, true))
        return 0;
    // What was accepted must be written in a form that reads back the same.
    std::u16string again = record.Serialize();
    velmora::EncodeRecordText(again);
    velmora::CTaskParams reread;
    if (!reread.Parse(again, true) || reread.Serialize() != record.Serialize())
        std::abort();
    return 0;
}
