// Start-up of quenex.exe.
#include "executor/win/KvApp.h"

#include <windows.h>
#include <commctrl.h>
#include <winsock2.h>

#include <cstdio>

#include "actions/PowerApi.h"
#include "executor/CommandLine.h"
#include "executor/Executor.h"
#include "executor/win/SystemExecutorPlatform.h"
#include "executor/win/TemporaryService.h"
#include "model/win/TaskFolder.h"
#include "platform/win/SystemFolder.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora {

CKvApp::CKvApp() {
    // The session part speaks to the process that started it through its standard handles, which
    // a console must not take over.
    if (Argument() == kSessionPartArgument)
        return;
    // AttachConsole exists from Windows XP (5.1) on; it is looked up so older systems still start.
    const WindowsVersion version = SystemPowerApi().Version();
    if (version.major * 256 + version.minor < 0x501)
        return;
    UniqueModule kernel(LoadSystemLibrary(L"Kernel32.dll"));
    if (!kernel)
        return;
    using AttachConsoleFn = BOOL(WINAPI*)(DWORD);
    auto attach =
        reinterpret_cast<AttachConsoleFn>(reinterpret_cast<void*>(::GetProcAddress(kernel.get(), "AttachConsole")));
    if (attach && attach(ATTACH_PARENT_PROCESS)) {
        FILE* ignored = nullptr;
        ::freopen_s(&ignored, "CONOUT$", "wt", stdout);
    }
}

std::u16string CKvApp::ProgramName() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::u16string name = FromWide(path, length);
    name = name.substr(name.find_last_of(u"\\/") + 1);
    if (name.size() > 4 && ::lstrcmpiW(W(name) + name.size() - 4, L".exe") == 0)
        name.resize(name.size() - 4);
    return name;
}

std::optional<std::u16string> CKvApp::Argument() {
    return FirstArgument(FromWide(::GetCommandLineW()), ProgramName());
}

int CKvApp::Run() {
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    ::InitCommonControlsEx(&controls);
    WSADATA sockets;
    if (::WSAStartup(MAKEWORD(2, 2), &sockets) != 0)
        return kExitNormal;

    const std::optional<std::u16string> argument = Argument();
    int status = kExitNormal;
    switch (ChooseMode(argument)) {
        case ExecutorMode::kRemoval: {
            CScheduledTask scheduler(true);
            scheduler.KeepSchedulerOpen();
            RemoveAllTasks(scheduler, TaskStoreFolder());
            break;
        }
        case ExecutorMode::kService:
            status = RunServiceMode();
            break;
        case ExecutorMode::kSessionPart:
            status = RunSessionPartMode();
            break;
        default: {
            SystemExecutorPlatform platform;
            Executor executor(platform);
            status = executor.Start(argument);
            break;
        }
    }
    ::WSACleanup();
    return status;
}

}  // namespace velmora
