// Feeds arbitrary bytes to the text reader, in memory, line by line and whole: every line read
// makes progress, and the whole text holds every line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::size_t lineUnits = 0;
    {
        velmora::CTextFileRead reader(bytes);
        std::u16string line;
        std::size_t lines = 0;
        while (reader.ReadLine(line)) {
            lineUnits += line.size();
            // A text of n bytes has at most n + 1 lines.
            if (++lines > size + 1)
                std::abort();
        }
    }
    velmora::CTextFileRead whole(bytes);
    std::u16string all;
    if (!whole.ReadAll(all, u"\n") || all.size() < lineUnits)
        std::abort();
    velmora::CTextFileRead narrowReader(bytes);
    std::string narrow;
    narrowReader.ReadAll(narrow, "\n");
    return 0;
}
