// Feeds arbitrary bytes to the INI reader, in memory, then edits the content and rereads what it
// would write: a value set reads back as set, a deleted section is gone, and a file written once
// is written again byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    velmora::IniFile ini;
    ini.LoadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    ini.GetString(u"settings", u"action");
    ini.GetInt(u"settings", u"force", 0);
    ini.GetString(u"list", u"0");
    ini.SetString(u"settings", u"comment", u" fuzz \"value\" ");
    ini.DeleteSection(u"list");
    const std::string written = ini.Bytes();
    velmora::IniFile back;
    back.LoadBytes(written);
    if (back.GetString(u"settings", u"comment") != u" fuzz \"value\" " || back.GetString(u"list", u"0").has_value())
        std::abort();
    if (back.Bytes() != written)
        std::abort();
    return 0;
}
