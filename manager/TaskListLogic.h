// What the task lists show and decide: the row texts of a task, their sort order, and the row
// selected after a delete.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "manager/DatePicture.h"
#include "model/TaskParams.h"
#include "scheduler/WorkItem.h"

namespace velmora {

enum TaskColumn : int {
    kColumnTask = 0,
    kColumnSchedule,
    kColumnNextRun,
    kColumnLastRun,
    kColumnUser,
    kColumnComment,
    kColumnResult,
    kTaskColumnCount,
};

struct TaskColumnSpec {
    int stringId;
    bool rightAligned;
    int width;
    bool hideable;
    bool visibleByDefault;
};
extern const std::array<TaskColumnSpec, kTaskColumnCount> kTaskColumns;

// The string of the action's name in the Task column.
int ActionNameStringId(int action);

// A row: the bare task name and the seven column texts. An empty value is kept as one blank, so
// the texts never vanish from the row's packed form and a blank sorts before any visible text.
struct TaskRow {
    std::u16string name;
    std::array<std::u16string, kTaskColumnCount> texts;
    bool enabled = true;
};

// The row of a task. `actionName` is the text of ActionNameStringId, or for a task whose file could
// not be read (no record) the text that says so; the record's other texts then stay blank, never
// another row's.
TaskRow MakeTaskRow(const std::u16string& bareName, const WorkItemInfo& info, const CTaskParams* record,
                    const std::u16string& actionName, const LocalePictures& locale);

// A shown row after a refresh: only what a run changes (next and last run, the result, enabled)
// comes from `runState`; the texts only an edit changes stay as they are.
TaskRow WithRunState(TaskRow row, const WorkItemInfo& runState, const LocalePictures& locale);

// The row's data as kept with the list item: eight texts, each ended by a NUL.
std::u16string PackRowData(const TaskRow& row);
// The row whose data that is; `enabled` is not in the data.
TaskRow UnpackRowData(const std::u16string& data, bool enabled);
// Text `index` (0 the bare name, 1 to 7 the columns) of packed row data; empty when missing.
std::u16string RowDataText(const std::u16string& data, int index);

// Rows compared by the texts that the sort key selects (1 to 7: the columns 0 to 6), by plain
// character codes; a negative key reverses the order. 0 for a key of 0 or out of range.
int CompareRows(const std::u16string& a, const std::u16string& b, int sortKey);

// After deleting row `index` of `countBefore` rows: the row that moved into its place, or none
// when the last row went.
std::optional<int> SelectionAfterDelete(int index, int countBefore);

}  // namespace velmora
