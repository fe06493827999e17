// The main window: a property sheet with the task lists and the About page, which follows the
// running executors and refreshes the lists when their number changes.
#pragma once

#include <windows.h>

#include <memory>

#include "controls/WorkerThread.h"
#include "controls/win/DialogBase.h"
#include "manager/win/ManagerContext.h"
#include "manager/win/TaskList.h"
#include "platform/win/Unique.h"

namespace velmora {

class CAbout : public PropertyPage {
public:
    explicit CAbout(ManagerContext& context);
    HPROPSHEETPAGE Create();
};

struct SheetOptions {
    bool remoteTab = false;  // for administrators
    bool modeless = false;   // for tests: the caller runs the message loop
};

class CVesperPS {
public:
    CVesperPS(ManagerContext& context, SheetOptions options);
    ~CVesperPS();
    CVesperPS(const CVesperPS&) = delete;
    CVesperPS& operator=(const CVesperPS&) = delete;

    // Shows the sheet; modal, it returns when the sheet closed. Modeless, it returns the window.
    INT_PTR Show(HWND owner = nullptr);
    HWND hwnd() const { return hwnd_; }
    CTaskList& tasks() { return *tasks_; }
    CTaskList* remote() { return remote_.get(); }
    // The registered "WM_SCAN_PROC".
    static UINT ScanMessage();
    // Opens the help file beside the program; says so when it is missing.
    // The help file, at one of its pages when one is named.
    void OpenHelp(const std::u16string& page);

private:
    static int CALLBACK SheetCallback(HWND, UINT, LPARAM);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void OnInitialized(HWND sheet);
    void StartWatcher();

    ManagerContext& context_;
    SheetOptions options_;
    bool ownsHelp_ = false;  // the context's Help callback is this sheet's
    std::unique_ptr<CTaskList> tasks_;
    std::unique_ptr<CTaskList> remote_;
    CAbout about_;
    HWND hwnd_ = nullptr;
    UniqueIcon icon_;
    WorkerThread watcher_;
};

}  // namespace velmora
