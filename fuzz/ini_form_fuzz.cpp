// Feeds arbitrary bytes as an INI file a user imports: the task read from it, exported into the
// same file and imported again, is the same task, and a second export writes the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/IniFile.h"
#include "model/TaskParams.h"

namespace {

constexpr int kComputerLimit = 64;

std::string Exported(const velmora::CTaskParams& task, std::string_view into) {
    velmora::IniFile ini;
    ini.LoadBytes(into);
    task.IntoIni(ini);
    return ini.Bytes();
}

velmora::CTaskParams Imported(std::string_view bytes) {
    velmora::IniFile ini;
    ini.LoadBytes(bytes);
    velmora::CTaskParams task;
    task.FromIni(ini, kComputerLimit);
    return task;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const velmora::CTaskParams task = Imported(bytes);
    if (task.computers.size() > static_cast<std::size_t>(kComputerLimit))
        std::abort();
    const std::string once = Exported(task, bytes);
    const velmora::CTaskParams again = Imported(once);
    if (again.Serialize() != task.Serialize())
        std::abort();
    if (Exported(again, once) != once)
        std::abort();
    return 0;
}
