// Row texts, packed row data and the order of the task lists.
#include "manager/TaskListLogic.h"

#include <cstdlib>

#include "manager/ids/AccountTextIds.h"
#include "manager/ids/ActionTextIds.h"
#include "manager/ids/TaskListIds.h"

namespace velmora {

const std::array<TaskColumnSpec, kTaskColumnCount> kTaskColumns = {{
    {IDS_COL_TASK, false, 80, false, true},
    {IDS_COL_SCHEDULE, false, 160, true, true},
    {IDS_COL_NEXT_RUN, false, 100, true, true},
    {IDS_COL_LAST_RUN, false, 100, true, true},
    {IDS_COL_USER, false, 50, true, true},
    {IDS_COL_COMMENT, false, 50, true, false},
    {IDS_COL_RESULT, true, 25, true, false},
}};

int ActionNameStringId(int action) {
    switch (ClampAction(action)) {
        case kActionShutdown:
            return IDS_ACT_SHUTDOWN;
        case kActionHibernate:
            return IDS_ACT_HIBERNATE;
        case kActionStandby:
            return IDS_ACT_STANDBY;
        case kActionRestart:
            return IDS_ACT_REBOOT;
        case kActionPowerOff:
            return IDS_ACT_POWER_OFF;
        case kActionLock:
            return IDS_ACT_LOCK;
        case kActionLogOff:
            return IDS_ACT_LOG_OFF;
        case kActionMonitorOff:
            return IDS_ACT_PING;
        case kActionMonitorOn:
            return IDS_ACT_MONITOR_ON;
        case kActionPopup:
            return IDS_ACT_POPUP;
        default:
            return IDS_ACT_WAKEUP;
    }
}

TaskRow MakeTaskRow(const std::u16string& bareName, const WorkItemInfo& info, const CTaskParams* record,
                    const std::u16string& actionName, const LocalePictures& locale) {
    TaskRow row;
    row.name = bareName;
    row.enabled = info.enabled;
    row.texts[kColumnTask] = actionName;
    if (record)
        row.texts[kColumnComment] = record->comment;
    row.texts[kColumnSchedule] = info.scheduleText;
    row.texts[kColumnUser] = info.account;
    for (std::u16string& text : row.texts) {
        if (text.empty())
            text.assign(1, u' ');
    }
    return WithRunState(std::move(row), info, locale);
}

TaskRow WithRunState(TaskRow row, const WorkItemInfo& runState, const LocalePictures& locale) {
    row.enabled = runState.enabled;
    row.texts[kColumnNextRun] = FormatRunTime(runState.nextRun, locale);
    row.texts[kColumnLastRun] = FormatRunTime(runState.lastRun, locale);
    row.texts[kColumnResult] = runState.status == kTaskRunning ? std::u16string(u"running") : runState.resultText;
    for (const int column : {kColumnNextRun, kColumnLastRun, kColumnResult}) {
        if (row.texts[column].empty())
            row.texts[column].assign(1, u' ');
    }
    return row;
}

TaskRow UnpackRowData(const std::u16string& data, bool enabled) {
    TaskRow row;
    row.name = RowDataText(data, 0);
    row.enabled = enabled;
    for (int column = 0; column < kTaskColumnCount; ++column)
        row.texts[column] = RowDataText(data, column + 1);
    return row;
}

std::u16string PackRowData(const TaskRow& row) {
    std::u16string data = row.name;
    data.push_back(u'\0');
    for (const std::u16string& text : row.texts) {
        data += text;
        data.push_back(u'\0');
    }
    return data;
}

std::u16string RowDataText(const std::u16string& data, int index) {
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        const std::size_t end = data.find(u'\0', start);
        if (end == std::u16string::npos)
            return {};
        start = end + 1;
    }
    if (start >= data.size())
        return {};
    const std::size_t end = data.find(u'\0', start);
    return data.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
}

int CompareRows(const std::u16string& a, const std::u16string& b, int sortKey) {
    const int key = std::abs(sortKey);
    if (key < 1 || key > kTaskColumnCount)
        return 0;
    const int result = RowDataText(a, key).compare(RowDataText(b, key));
    const int sign = result < 0 ? -1 : (result > 0 ? 1 : 0);
    return sortKey < 0 ? -sign : sign;
}

std::optional<int> SelectionAfterDelete(int index, int countBefore) {
    if (index < 0 || index >= countBefore - 1)
        return std::nullopt;
    return index;
}

}  // namespace velmora
