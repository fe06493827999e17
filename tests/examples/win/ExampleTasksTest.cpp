// The example tasks of the run command under Wine with the real Task Scheduler: both lists get
// tasks, the remote ones with their computers, and a second run adds nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "examples/ExampleTasks.h"
#include "model/TaskParams.h"
#include "model/win/TaskFolder.h"
#include "platform/win/Com.h"
#include "scheduler/TaskStore.h"
#include "scheduler/win/ScheduledTask.h"
#include "tests/support/win/OwnTasks.h"

namespace velmora {
namespace {

std::vector<CTaskParams> StoredTasks(const std::u16string& prefix) {
    std::vector<std::u16string> names;
    EXPECT_HRESULT_SUCCEEDED(CScheduledTask().EnumTasks(prefix, names));
    std::vector<CTaskParams> records;
    for (const std::u16string& name : names) {
        CTaskParams record;
        EXPECT_TRUE(record.Load(TaskStoreFolder(), name.substr(0, name.find(u'.')), true));
        records.push_back(record);
    }
    return records;
}

TEST(ExampleTasks, BothListsGetTasksAndTheRemoteOnesTheirComputers) {
    const ComInit com;
    // The tests' own prefix holds no task when the test starts; it removes only what it made.
    const test::OwnTasks own;
    ASSERT_TRUE(own.before().empty()) << "the Task Scheduler holds tasks no test made: run the tests in their own prefix";

    std::string report;
    ASSERT_TRUE(MakeExampleTasks(report)) << report;
    EXPECT_EQ(4u, StoredTasks(kLocalPrefix).size());
    const std::vector<CTaskParams> remote = StoredTasks(kRemotePrefix);
    ASSERT_FALSE(remote.empty()) << "the Remote page would be empty";
    for (const CTaskParams& task : remote) {
        EXPECT_EQ(0, task.local);
        EXPECT_TRUE(task.action == kActionWakeOnLan || task.action == kActionShutdown) << task.action;
        EXPECT_GE(task.computers.size(), 2u);
        for (const ComputerEntry& computer : task.computers) {
            EXPECT_FALSE(computer[kTextName].empty());
            if (task.action == kActionWakeOnLan) {
                EXPECT_EQ(12u, computer[kTextMac].size());
            }
        }
    }
    EXPECT_TRUE(std::any_of(remote.begin(), remote.end(),
                            [](const CTaskParams& task) { return task.action == kActionWakeOnLan; }));

    // The command is run again on a prefix that has its examples: nothing is added.
    report.clear();
    ASSERT_TRUE(MakeExampleTasks(report)) << report;
    EXPECT_EQ(4u, StoredTasks(kLocalPrefix).size());
    EXPECT_EQ(remote.size(), StoredTasks(kRemotePrefix).size());
}

}  // namespace
}  // namespace velmora
