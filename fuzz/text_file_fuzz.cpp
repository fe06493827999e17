// Feeds arbitrary bytes to the text reader through a real file, line by line and whole.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "model/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/velmora-fuzz-" + std::to_string(::getpid()) + ".txt";
    static const int cleanup = std::atexit([] { std::remove(path.c_str()); });
    (void)cleanup;
    static const std::u16string widePath(path.begin(), path.end());
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::size_t lineUnits = 0;
    {
        velmora::CTextFileRead reader(widePath);
        std::u16string line;
        int lines = 0;
        while (reader.ReadLine(line)) {
            lineUnits += line.size();
            // Every call either makes progress or ends; a file of n bytes has at most n + 1 lines.
            if (++lines > static_cast<int>(size) + 1)
                std::abort();
        }
    }
    velmora::CTextFileRead whole(widePath);
    std::u16string all;
    std::string narrow;
    if (!whole.ReadAll(all, u"\n") || all.size() < lineUnits)
        std::abort();
    velmora::CTextFileRead narrowReader(widePath);
    narrowReader.ReadAll(narrow, "\n");
    return 0;
}
