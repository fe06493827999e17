// Feeds arbitrary bytes to the INI reader through a real file, then edits and rereads the result.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "model/IniFile.h"

namespace {
const std::string& ScratchPath() {
    static const std::string path = [] {
        std::string p = "/tmp/velmora-fuzz-" + std::to_string(::getpid()) + ".ini";
        std::atexit([] { std::remove(ScratchPath().c_str()); });
        return p;
    }();
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::u16string input(ScratchPath().begin(), ScratchPath().end());
    {
        std::ofstream out(ScratchPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    velmora::IniFile ini;
    ini.Load(input);
    ini.GetString(u"settings", u"action");
    ini.GetInt(u"settings", u"force", 0);
    ini.GetString(u"list", u"0");
    // A value we set must read back as set, whatever else the file held.
    ini.SetString(u"settings", u"comment", u" fuzz \"value\" ");
    ini.DeleteSection(u"list");
    if (!ini.Save(input))
        std::abort();
    velmora::IniFile back;
    if (!back.Load(input) || back.GetString(u"settings", u"comment") != u" fuzz \"value\" " ||
        back.GetString(u"list", u"0").has_value())
        std::abort();
    return 0;
}
