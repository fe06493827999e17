// A stand-in for the Task Scheduler's own Schedule page, which Windows gives through
// IProvideTaskPage and Wine does not. It behaves as the system's page does towards the sheet: it
// never sets the wizard's buttons, it writes its triggers into the work item only when PSN_APPLY
// reaches it, and it can refuse the apply.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "scheduler/win/ScheduledTask.h"

namespace velmora::test {

class ScheduleStandIn {
public:
    ScheduleStandIn() {
        TASK_TRIGGER weekly{};
        weekly.cbTriggerSize = sizeof weekly;
        weekly.wBeginYear = 2030;
        weekly.wBeginMonth = 3;
        weekly.wBeginDay = 4;
        weekly.wStartHour = 22;
        weekly.wStartMinute = 15;
        weekly.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
        weekly.Type.Weekly.WeeksInterval = 1;
        weekly.Type.Weekly.rgfDaysOfTheWeek = TASK_FRIDAY;
        triggers = {weekly};
        BuildTemplate();
    }

    // The page for the editor's work item; the editor's provider seam calls it.
    HPROPSHEETPAGE Create(WorkItemEditor& editor) {
        editor_ = &editor;
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
        page.hInstance = ::GetModuleHandleW(nullptr);
        page.pResource = reinterpret_cast<LPCDLGTEMPLATEW>(template_.data());
        page.pszTitle = L"Schedule";
        page.pfnDlgProc = Procedure;
        page.lParam = reinterpret_cast<LPARAM>(this);
        return ::CreatePropertySheetPageW(&page);
    }

    // The triggers the page writes at apply.
    std::vector<TASK_TRIGGER> triggers;
    // Refuses every apply (PSNRET_INVALID_NOCHANGEPAGE), as the system's page does with a schedule
    // it cannot store.
    std::atomic<bool> refuse{false};
    std::atomic<int> applies{0};

    // The property sheet notifications it heard, in order.
    std::vector<UINT> Heard() {
        std::lock_guard<std::mutex> lock(mutex_);
        return heard_;
    }

private:
    static INT_PTR CALLBACK Procedure(HWND page, UINT message, WPARAM, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            ::SetWindowLongPtrW(page, DWLP_USER, reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
            return TRUE;
        }
        auto* self = reinterpret_cast<ScheduleStandIn*>(::GetWindowLongPtrW(page, DWLP_USER));
        if (!self || message != WM_NOTIFY)
            return FALSE;
        const UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
        {
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->heard_.push_back(code);
        }
        if (code != PSN_APPLY)
            return FALSE;  // every other notification: the sheet's default, and no buttons touched
        ++self->applies;
        LRESULT result = PSNRET_INVALID_NOCHANGEPAGE;
        if (!self->refuse && SUCCEEDED(self->editor_->SetTriggers(self->triggers)))
            result = PSNRET_NOERROR;
        ::SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
        return TRUE;
    }

    // A page with one line of text, built in memory: the system's page comes from another module's
    // resources, not from ours.
    void BuildTemplate() {
        const auto add = [this](const void* data, std::size_t bytes) {
            const auto* units = static_cast<const WORD*>(data);
            template_.insert(template_.end(), units, units + bytes / sizeof(WORD));
        };
        DLGTEMPLATE dialog{};
        dialog.style = WS_CHILD | WS_DISABLED | WS_CAPTION | DS_SETFONT;
        dialog.cdit = 1;
        dialog.cx = 200;
        dialog.cy = 60;
        add(&dialog, sizeof dialog);
        const WORD noMenuClassTitle[] = {0, 0, 0};
        add(noMenuClassTitle, sizeof noMenuClassTitle);
        const WORD pointSize = 8;
        add(&pointSize, sizeof pointSize);
        const wchar_t font[] = L"MS Shell Dlg";
        add(font, sizeof font);
        if (template_.size() % 2)
            template_.push_back(0);  // items start on a DWORD
        DLGITEMTEMPLATE item{};
        item.style = WS_CHILD | WS_VISIBLE | SS_LEFT;
        item.x = 7;
        item.y = 7;
        item.cx = 186;
        item.cy = 20;
        item.id = 0xFFFF;
        add(&item, sizeof item);
        const WORD staticClass[] = {0xFFFF, 0x0082};
        add(staticClass, sizeof staticClass);
        const wchar_t text[] = L"The Task Scheduler's Schedule page (stand-in)";
        add(text, sizeof text);
        const WORD noCreationData = 0;
        add(&noCreationData, sizeof noCreationData);
    }

    WorkItemEditor* editor_ = nullptr;
    std::vector<WORD> template_;
    std::mutex mutex_;
    std::vector<UINT> heard_;
};

}  // namespace velmora::test
