// The computer list page of a remote task: the list with its drag-ordered rows, the tool bar, the
// context and add menus, the add and edit dialogs, network browsing, and the batches' timers.
#pragma once

#include <string>
#include <vector>

#include "controls/win/DialogBase.h"
#include "controls/win/MListCtrl.h"
#include "controls/win/ToolBar.h"
#include "manager/CompListLogic.h"
#include "manager/win/ComputerServices.h"
#include "manager/win/ManagerContext.h"
#include "model/TaskParams.h"
#include "platform/win/Unique.h"

namespace velmora {

// The page's tool bar: Create New (with the add menu on its arrow), Run, Edit and Delete.
class CCompBar : public ToolBar {
public:
    HWND Create(HWND page, const RECT& area);
    static UINT Message();
};

class CCompList : public PropertyPage {
public:
    // The page edits the record's computers and reads the current action whenever it decides.
    CCompList(CTaskParams& record, const int& action, bool wizard, ManagerContext& context,
              ComputerServices services = SystemComputerServices());

    HPROPSHEETPAGE Create();
    CompListLogic& logic() { return logic_; }
    HWND list() const { return list_.hwnd(); }

    // The commands, as the bar, the menus and the keys reach them.
    void Add();
    void Edit();
    void Delete();
    void Run() { StartBatch(BatchKind::kRun); }
    void Ping() { StartBatch(BatchKind::kPing); }
    void GetMac() { StartBatch(BatchKind::kGetMac); }
    // Over the selected rows, or all of them when none is selected.
    void Check() { StartBatch(BatchKind::kCheck); }
    // The Help button and F1: the page on why a remote shutdown fails while a checked row is
    // selected, else the help's first page.
    void Help();
    void RangeOfIp();
    // The range dialog's addresses taken into the list, and the Scan started when asked.
    void AddRange(const std::vector<std::u16string>& addresses, bool autoScan);
    void Workgroups();
    void AdSearch();
    // One timer tick, as the window's timers deliver them.
    void OnBatchTimer(int timer);

private:
    void OnInitDialog() override;
    bool wakeup() const { return action_ == kActionWakeOnLan; }
    TaskValues CurrentTask() const;
    std::vector<int> SelectedRows() const;
    void SelectOnly(const std::vector<int>& rows);
    // The rows shown again after the logic changed them.
    void ShowRows(bool keepScroll);
    void Fill();
    void AppendRow(ComputerEntry texts);
    void UpdateCounter();
    void SetStateColumn();
    void StartBatch(BatchKind kind);
    void OnColumnClick(int column);
    // Tab, Insert (Add), Shift+Insert (the add menu), Delete, Ctrl+K (Check) and F1 (Help); Enter
    // comes as NM_RETURN and the context-menu keys as WM_CONTEXTMENU.
    void OnKey(WORD key);
    void OnDragStep(int current, int target);
    void ShowContextMenu(POINT screen, bool byKey);
    void ShowAddMenu();
    LRESULT OnGetDisplayInfo(NMLVDISPINFOW& info);
    // A checked row's State text in full, with the step and the code.
    LRESULT OnGetInfoTip(NMLVGETINFOTIPW& tip);
    LRESULT OnWizardNext();
    // OK or Finish while a Scan runs: true when the list may be stored now. The user chooses to
    // wait (the sheet then closes by itself when the Scan has ended) or to stop the Scan, keeping
    // only the addresses checked so far; a sheet nobody sees stops it without asking.
    bool SettleScan();
    void StopScan();
    HWND Owner() const;

    CTaskParams& record_;
    const int& action_;
    bool wizard_;
    ManagerContext& context_;
    ComputerServices services_;
    CompListLogic logic_;
    CMListCtrl list_;
    CCompBar bar_;
    UniqueImageList images_;
    bool closeWhenScanEnds_ = false;
};

}  // namespace velmora
