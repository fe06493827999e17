// The main sheet: its pages, its buttons, the Help button and the executor watcher.
#include "manager/win/VesperPS.h"

#include <shellapi.h>

#include "controls/win/Barrier.h"
#include "controls/win/SheetControls.h"
#include "manager/ProcessWatch.h"
#include "manager/ids/AboutIds.h"
#include "manager/ids/SheetIds.h"
#include "manager/win/ProcessNames.h"
#include "platform/win/SystemFolder.h"

namespace velmora {
namespace {

constexpr UINT_PTR kSubclassId = 0x5653;  // "VS"
constexpr auto kWatchInterval = std::chrono::milliseconds(500);

// The sheet being built on this thread: the sheet's callback carries no pointer of its own.
thread_local CVesperPS* building = nullptr;

}  // namespace

CAbout::CAbout(ManagerContext& context) {
    HelpOpens(context.openHelp);
}

HPROPSHEETPAGE CAbout::Create() {
    return CreatePage(IDD_ABOUT, PSP_HASHELP);
}

CVesperPS::CVesperPS(ManagerContext& context, SheetOptions options)
    : context_(context),
      options_(options),
      tasks_(std::make_unique<CTaskList>(TaskKind::kLocal, context)),
      remote_(options.remoteTab ? std::make_unique<CTaskList>(TaskKind::kRemote, context) : nullptr),
      about_(context) {
    if (!context_.openHelp) {
        context_.openHelp = [this](HWND) { OpenHelp({}); };
        context_.openHelpPage = [this](HWND, const std::u16string& page) { OpenHelp(page); };
        ownsHelp_ = true;
    }
}

CVesperPS::~CVesperPS() {
    watcher_.Stop();
    // The context outlives the sheet: no callback into a sheet that is gone.
    if (ownsHelp_) {
        context_.openHelp = nullptr;
        context_.openHelpPage = nullptr;
    }
    if (options_.modeless && hwnd_ && ::IsWindow(hwnd_))
        ::DestroyWindow(hwnd_);
}

UINT CVesperPS::ScanMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"WM_SCAN_PROC");
    return message;
}

INT_PTR CVesperPS::Show(HWND owner) {
    std::vector<HPROPSHEETPAGE> pages = {tasks_->Create()};
    if (remote_)
        pages.push_back(remote_->Create());
    pages.push_back(about_.Create());
    icon_.reset(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_VELMORA), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
    const std::wstring title = LoadText(IDS_SHEET_TITLE);
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags =
        PSH_USEHICON | PSH_HASHELP | PSH_USECALLBACK | PSH_NOCONTEXTHELP | (options_.modeless ? PSH_MODELESS : 0);
    header.hwndParent = owner;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.hIcon = icon_.get();
    header.pszCaption = title.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    header.pfnCallback = SheetCallback;
    building = this;
    const INT_PTR result = ::PropertySheetW(&header);
    building = nullptr;
    if (options_.modeless)
        hwnd_ = reinterpret_cast<HWND>(result);
    return result;
}

int CALLBACK CVesperPS::SheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED && building)
        building->OnInitialized(sheet);
    return 0;
}

void CVesperPS::OnInitialized(HWND sheet) {
    hwnd_ = sheet;
    ::SetWindowSubclass(sheet, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    ::SetWindowLongPtrW(sheet, GWL_STYLE, ::GetWindowLongPtrW(sheet, GWL_STYLE) | WS_MINIMIZEBOX);
    ::ShowWindow(::GetDlgItem(sheet, kSheetApplyButton), SW_HIDE);
    ::ShowWindow(::GetDlgItem(sheet, IDCANCEL), SW_HIDE);
    // OK takes the place of the two hidden buttons.
    const HWND ok = ::GetDlgItem(sheet, IDOK);
    RECT rect{};
    ::GetWindowRect(ok, &rect);
    ::MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&rect), 2);
    const int shift = 2 * ((rect.right - rect.left) + 6);
    ::SetWindowPos(ok, nullptr, rect.left + shift, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    StartWatcher();
}

void CVesperPS::StartWatcher() {
    const HWND sheet = hwnd_;
    watcher_.Start([sheet](WorkerThread& self) {
        ProcessWatch watch;
        do {
            // Posted, never sent: the sheet stops this thread before it goes and must not wait
            // for a thread that waits for it.
            if (watch.Look(RunningProcessNames()))
                ::PostMessageW(sheet, ScanMessage(), 0, 0);
        } while (self.WaitFor(kWatchInterval));
    });
}

LRESULT CALLBACK CVesperPS::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<CVesperPS*>(data);
    if (message == ScanMessage()) {
        return Barrier(hwnd, LRESULT{0}, [&] {
            ::SendMessageW(self->tasks_->hwnd(), message, 0, 0);
            if (self->remote_ && self->remote_->hwnd())
                ::SendMessageW(self->remote_->hwnd(), message, 0, 0);
            return LRESULT{0};
        });
    }
    if (message == WM_DESTROY)
        self->watcher_.Stop();
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        self->hwnd_ = nullptr;
    }
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}

void CVesperPS::OpenHelp(const std::u16string& page) {
    // The help file has the program's name with the ending ".chm", beside the program.
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring help = program;
    const std::size_t dot = help.find_last_of(L'.');
    const std::size_t slash = help.find_last_of(L"\\/");
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash))
        help.erase(dot);
    help += L".chm";
    if (::GetFileAttributesW(help.c_str()) == INVALID_FILE_ATTRIBUTES) {
        context_.messageBox(hwnd_, LoadFilledText(IDS_HELP_MISSING, {FromWide(help)}), MB_OK | MB_ICONINFORMATION);
        return;
    }
    // The system's help viewer by its full path, not whatever the user's ".chm" file type names.
    // A page goes as the help viewer's "file::/page" form.
    const std::wstring topic = page.empty() ? help : help + L"::/" + ToWide(page);
    StartProgramByPath(WindowsFilePath(L"hh.exe"), L"\"" + topic + L"\"");
}

}  // namespace velmora
