// Process enumeration with the module name, and the snapshot's name where modules are closed.
#include "manager/win/ProcessNames.h"

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <map>

#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

std::vector<DWORD> ProcessIds() {
    // Grown until the answer no longer fills the buffer: a full buffer may have cut the list.
    std::vector<DWORD> ids(1024);
    for (;;) {
        DWORD bytes = 0;
        if (!::EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
            return {};
        if (bytes < ids.size() * sizeof(DWORD)) {
            ids.resize(bytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

std::map<DWORD, std::u16string> SnapshotNames() {
    std::map<DWORD, std::u16string> names;
    const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return names;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        names[entry.th32ProcessID] = FromWide(entry.szExeFile);
    return names;
}

}  // namespace

std::vector<std::u16string> RunningProcessNames() {
    std::vector<std::u16string> names;
    std::map<DWORD, std::u16string> snapshot;
    bool snapshotTaken = false;
    for (const DWORD id : ProcessIds()) {
        std::u16string name;
        if (const UniqueHandle process(
                ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, id));
            process) {
            HMODULE module = nullptr;
            DWORD needed = 0;
            wchar_t base[MAX_PATH] = {};
            if (::EnumProcessModules(process.get(), &module, sizeof module, &needed) &&
                ::GetModuleBaseNameW(process.get(), module, base, MAX_PATH))
                name = FromWide(base);
        }
        if (name.empty()) {
            if (!snapshotTaken) {
                snapshot = SnapshotNames();
                snapshotTaken = true;
            }
            const auto found = snapshot.find(id);
            name = found != snapshot.end() ? found->second : u"<unknown>";
        }
        names.push_back(std::move(name));
    }
    return names;
}

}  // namespace velmora
