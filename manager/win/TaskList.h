// The page that lists the tasks of one kind and carries every command on them.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "controls/win/DialogBase.h"
#include "controls/win/ListCtrlEx.h"
#include "controls/win/ToolBar.h"
#include "manager/TaskListLogic.h"
#include "manager/win/ManagerContext.h"
#include "model/File.h"
#include "platform/win/Unique.h"

namespace velmora {

class CScheduledTask;

class CTaskList : public PropertyPage {
public:
    // The tool bar's press message, "UINT WM_LOCALBAR_SELECTED".
    static UINT BarMessage();
    CTaskList(TaskKind kind, ManagerContext& context);
    ~CTaskList() override;

    HPROPSHEETPAGE Create();
    TaskKind kind() const { return kind_; }
    CListCtrlEx& list() { return list_; }

    // Every row read again, as on a change in the running executors.
    void UpdateAllRows();
    void Fill(const std::u16string& nameToSelect = {});
    void SaveLayout();

    // The commands, as the tool bar, the menu and the keys reach them.
    void CreateNew();
    void Import();
    void Export();
    void Edit();
    void Delete();
    void RunOrTerminate();
    void EnableOrDisable();
    void CreateShortcut();
    void SystemDialog();

private:
    void OnInitDialog() override;
    // Reads one task into row `index`: inserted or replacing the row there. A task whose work item
    // is gone loses its row instead (false).
    bool UpdateRow(CScheduledTask& scheduler, const std::u16string& name, int index, bool insert);
    // The Task column: the action's name, or that the task file could not be read, or that someone
    // we do not trust made the task.
    std::u16string TaskText(const CTaskParams* record, bool foreign) const;
    // The row of a task, or -1.
    int FindRow(const std::u16string& name) const;
    bool IsCurrentPage() const;
    void ShowRow(const TaskRow& row, int index, bool insert);
    void AddNewRow(const std::optional<std::u16string>& name);
    void SortRows();
    void OnColumnClick(int controlColumn);
    void OnKey(WORD key);
    void ShowContextMenu(POINT screen);
    std::u16string SelectedName() const;
    std::u16string SelectedOwnName();
    void RestoreLayout();
    void FocusList() { ::SetFocus(list_.hwnd()); }

    TaskKind kind_;
    ManagerContext& context_;
    CListCtrlEx list_;
    ToolBar bar_;
    UniqueImageList images_;
    LocalePictures locale_;
    bool filled_ = false;
    std::unique_ptr<CScheduledTask> refreshScheduler_;
    // The stamps of each row's work item and task file when the row was last read whole.
    struct PairStamps {
        std::optional<FileStamp> workItem;
        std::optional<FileStamp> taskFile;
        bool operator==(const PairStamps&) const = default;
    };
    PairStamps StampsOf(const std::u16string& name) const;
    std::map<std::u16string, PairStamps> readStamps_;
};

}  // namespace velmora
