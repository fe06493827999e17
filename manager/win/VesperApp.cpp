// Start-up of the manager, in order: sockets, the settings' registry root, the scheduler service,
// the sheet.
#include "manager/win/VesperApp.h"

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <powrprof.h>

#include <new>

#include "controls/win/Barrier.h"
#include "model/Utf.h"
#include "manager/ids/SheetIds.h"
#include "manager/win/Shell.h"
#include "manager/win/VesperPS.h"
#include "model/win/TaskFolder.h"
#include "platform/win/Com.h"
#include "platform/win/SystemFolder.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"
#include "scheduler/win/SchedulerService.h"

namespace velmora {
namespace {

// "powercfg /h on" from the system folder, hidden; waits for it, at most about ten seconds.
void EnableHibernation() {
    std::wstring command = L"\"" + SystemFilePath(L"powercfg.exe") + L"\" /h on";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &process))
        return;
    const ProcessHandles started(process);
    ::WaitForSingleObject(started.process.get(), 10000);
}

}  // namespace

std::wstring FailureText(const std::exception* failure) {
    std::u16string why;
    if (dynamic_cast<const std::bad_alloc*>(failure))
        why = FromWide(LoadText(IDS_OUT_OF_MEMORY));
    else if (failure && *failure->what())
        why = Utf8ToUtf16(failure->what());
    else
        why = FromWide(LoadText(IDS_UNEXPECTED_ERROR));
    return LoadFilledText(IDS_OPERATION_FAILED, {why});
}

int CVesperApp::Run() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    context_.messageBox = [](HWND owner, const std::wstring& text, UINT flags) {
        return ::MessageBoxW(owner, text.c_str(), kProgramTitle, flags);
    };
    SetFailureTeller([this](HWND window, const std::exception* failure) {
        context_.messageBox(window ? ::GetAncestor(window, GA_ROOT) : nullptr, FailureText(failure),
                            MB_OK | MB_ICONERROR);
    });

    WSADATA sockets;
    if (::WSAStartup(MAKEWORD(2, 2), &sockets) != 0) {
        context_.messageBox(nullptr, LoadText(IDS_SOCKETS_FAILED), MB_OK | MB_ICONERROR);
        return 0;
    }
    // One single-threaded apartment for the whole run: every window and every scheduler call is
    // on this thread, and the scheduler's own brackets nest inside it.
    const ComInit com;

    context_.profile = Profile(L"Corvane", L"Velmora");
    context_.taskFolder = TaskStoreFolder();
    context_.editor = &editor_;
    context_.isAdministrator = [] { return ::IsUserAnAdmin() != FALSE; };
    context_.hibernationAllowed = [] { return ::IsPwrHibernateAllowed() != FALSE; };
    context_.enableHibernation = [] { EnableHibernation(); };
    ViewedFiles viewed(SystemViewerPlatform().TempFolder());
    context_.showLog = [this, &viewed](HWND owner, const std::u16string& text) {
        const ShowTextOutcome shown = ShowTaskLog(owner, text, context_.messageBox);
        if (shown.written)
            viewed.Add(shown.path);
    };

    SchedulerServiceCalls services;
    CheckSchedulerService(
        services,
        [this] {
            return context_.messageBox(nullptr, LoadText(IDS_SERVICE_QUESTION), MB_YESNO | MB_ICONQUESTION) == IDYES;
        },
        [this] { context_.messageBox(nullptr, LoadText(IDS_SERVICE_START_FAILED), MB_OK | MB_ICONERROR); });

    {
        CVesperPS sheet(context_, SheetOptions{::IsUserAnAdmin() != FALSE, false});
        sheet.Show();
    }
    context_.showLog = nullptr;  // the viewed files go with this frame
    ::WSACleanup();
    return 0;
}

}  // namespace velmora
