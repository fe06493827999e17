// The names of the running processes, from one query of the system's process list.
#include "manager/win/ProcessNames.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstddef>

namespace velmora {

std::vector<std::u16string> RunningProcessNames() {
    // One query gives every process's name: opening each process costs far more, and a process
    // that cannot be opened (another account's) still has its name there. The watcher asks twice
    // a second, so this is the cheapest whole list the system offers (a tool-help snapshot makes
    // and maps a copy of the same list each time).
    constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
    static thread_local std::vector<std::byte> buffer(256 * 1024);
    std::vector<std::u16string> names;
    for (int attempt = 0; attempt < 4; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status = ::NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                                           static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 64 * 1024));
            continue;
        }
        if (status < 0)
            return names;
        for (std::size_t offset = 0;;) {
            const auto* process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
            names.emplace_back(reinterpret_cast<const char16_t*>(process->ImageName.Buffer),
                               process->ImageName.Buffer ? process->ImageName.Length / sizeof(wchar_t) : 0);
            if (process->NextEntryOffset == 0)
                break;
            offset += process->NextEntryOffset;
        }
        return names;
    }
    return names;
}

}  // namespace velmora
