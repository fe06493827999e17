// The names of the running processes, from one snapshot of the system's process list.
#include "manager/win/ProcessNames.h"

#include <windows.h>
#include <tlhelp32.h>

#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {

std::vector<std::u16string> RunningProcessNames() {
    // One snapshot gives every process's name: opening each process costs far more, and a
    // process that cannot be opened (another account's) still has its name there.
    std::vector<std::u16string> names;
    const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return names;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        names.push_back(FromWide(entry.szExeFile));
    return names;
}

}  // namespace velmora
