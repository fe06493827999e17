// Our own Schedule page over a work item's triggers, for systems whose Task Scheduler does not
// provide its page, and the choice between the two.
#pragma once

#include <windows.h>
#include <prsht.h>

#include <functional>
#include <memory>

#include "controls/win/DialogBase.h"
#include "manager/ScheduleLogic.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora {

class CSchedulePage : public PropertyPage {
public:
    using Clock = std::function<LocalMinute()>;

    // A new task starts with the default trigger: the triggers a new work item holds are the
    // scheduler's own (Wine gives it a disabled daily one), not the user's.
    CSchedulePage(WorkItemEditor& editor, bool newTask, Clock clock = LocalClock);

    HPROPSHEETPAGE Create();
    // The result of writing the triggers into the work item on the last apply.
    HRESULT applyResult() const { return applyResult_; }

    static LocalMinute LocalClock();

private:
    void OnInitDialog() override;
    LRESULT OnSetActive();
    LRESULT OnKillActive();
    LRESULT OnApply();

    void FillList();
    void ShowSelected();
    void ShowFields(TriggerType type, bool editable);
    // The notes beside the dates that could not be shown.
    void ShowDateNotes();
    TriggerSpec ReadForm() const;
    // The fields into the selected trigger, and its text into the list.
    void CommitForm();
    void Edited();
    void KindChanged();
    void EndDateClicked();
    void RepeatClicked();
    void NewClicked();
    void DeleteClicked();
    void SelectionChanged();
    // Shows the refused trigger with the focus on its field and flashes the sheet; false when
    // nothing is refused.
    bool Refuse(const TriggerRefusal& refusal);
    // The sheet's title bar flashes once, as every page refuses.

    WorkItemEditor& editor_;
    bool newTask_;
    Clock clock_;
    ScheduleLogic logic_{std::vector<TriggerSpec>{}};
    LocaleFormat locale_;
    bool readFailed_ = false;  // the work item's triggers are left as they are
    bool loading_ = false;     // the page is filling its fields: no edit of the user's
    // The selected trigger's values that its pickers could not show, kept as stored.
    bool beginDateKept_ = false;
    bool startTimeKept_ = false;
    bool endDateKept_ = false;
    HRESULT applyResult_ = S_OK;
};

// The scheduler's own Schedule page where it provides one (through `systemPage` when given); ours,
// kept in `ownPage`, otherwise. `ownPage` must outlive the sheet.
HPROPSHEETPAGE CreateSchedulePage(WorkItemEditor& editor, bool newTask, std::unique_ptr<CSchedulePage>& ownPage,
                                  const std::function<HPROPSHEETPAGE(WorkItemEditor&)>& systemPage = {});

}  // namespace velmora
