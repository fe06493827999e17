// Work items in Wine's Task Scheduler 1.0: created, read back, listed, enabled, repaired, deleted,
// reconciled and removed. Accounts, GetTriggerString and the Schedule page are not tested here:
// Wine does not keep the first and lacks the other two.
#include <windows.h>
#include <mstask.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "model/File.h"
#include "model/Utf.h"
#include "model/win/TaskFolder.h"
#include "platform/win/WideText.h"
#include "scheduler/TaskName.h"
#include "scheduler/win/ScheduledTask.h"
#include "tests/support/win/WorkItems.h"

namespace velmora {
namespace {

TASK_TRIGGER Trigger(TASK_TRIGGER_TYPE type) {
    TASK_TRIGGER t{};
    t.cbTriggerSize = sizeof t;
    t.wBeginYear = 2026;
    t.wBeginMonth = 12;
    t.wBeginDay = 7;
    t.wStartHour = 21;
    t.wStartMinute = 30;
    t.TriggerType = type;
    if (type == TASK_TIME_TRIGGER_DAILY)
        t.Type.Daily.DaysInterval = 1;
    if (type == TASK_TIME_TRIGGER_WEEKLY) {
        t.Type.Weekly.WeeksInterval = 1;
        t.Type.Weekly.rgfDaysOfTheWeek = TASK_MONDAY | TASK_FRIDAY;
    }
    if (type == TASK_TIME_TRIGGER_MONTHLYDATE) {
        t.Type.MonthlyDate.rgfDays = 1;
        t.Type.MonthlyDate.rgfMonths = 0xFFF;
    }
    if (type == TASK_TIME_TRIGGER_MONTHLYDOW) {
        t.Type.MonthlyDOW.wWhichWeek = TASK_LAST_WEEK;
        t.Type.MonthlyDOW.rgfDaysOfTheWeek = TASK_SATURDAY;
        t.Type.MonthlyDOW.rgfMonths = 0xFFF;
    }
    return t;
}

using Stored = test::StoredWorkItem;

Stored ReadStored(const std::u16string& name) {
    return test::ReadStoredWorkItem(name);
}

bool JobExists(const std::u16string& name) {
    return FileExists(JoinPath(TaskStoreFolder(), name + u".job"));
}

class ScheduledTaskTest : public ::testing::Test {
protected:
    // Creates a work item through the editor, as the wizard's Finish does.
    std::u16string Create(TaskKind kind, const WorkItemSettings& settings, const std::vector<TASK_TRIGGER>& triggers) {
        WorkItemEditor editor;
        EXPECT_HRESULT_SUCCEEDED(editor.BeginNew(kind));
        EXPECT_HRESULT_SUCCEEDED(editor.SetTriggers(triggers));
        const WorkItemSave saved = editor.FinishNew(settings);
        EXPECT_TRUE(saved.saved && (saved.result == S_OK || IsAccountError(saved.result))) << std::hex << saved.result;
        created_.push_back(editor.name());
        return editor.name();
    }
    void TearDown() override {
        CScheduledTask scheduler;
        for (const std::u16string& name : created_) {
            scheduler.DeleteTask(name);
            CTaskParams::Remove(TaskStoreFolder(), name);
        }
    }
    std::vector<std::u16string> created_;
};

TEST_F(ScheduledTaskTest, NewWorkItemReadsBackWithItsSettings) {
    WorkItemSettings settings;
    settings.action = kActionShutdown;
    const std::u16string name = Create(TaskKind::kLocal, settings, {Trigger(TASK_TIME_TRIGGER_DAILY)});
    EXPECT_EQ(0u, name.find(kLocalPrefix));
    EXPECT_LE(name.size(), kTaskNameLength);
    EXPECT_TRUE(JobExists(name));

    CScheduledTask scheduler;
    WorkItemInfo info;
    EXPECT_HRESULT_SUCCEEDED(scheduler.LoadInfo(name + u".job", info));
    EXPECT_EQ(ExecutorPath(CScheduledTask().SystemFolder()), info.application)
        << "the system folder's copy by its full path, never searched for";
    EXPECT_EQ(name, info.parameters);
    EXPECT_TRUE(info.enabled);
    EXPECT_EQ(u"SYSTEM", info.account);
    EXPECT_EQ(0, info.lastRun.year) << "a new work item has not run";
    EXPECT_EQ(u"0x0", info.resultText);
    EXPECT_EQ(0u, info.scheduleText.find(u"At ")) << std::string(info.scheduleText.begin(), info.scheduleText.end());
    EXPECT_NE(std::u16string::npos, info.scheduleText.find(u"every day"));
    EXPECT_EQ(u"Ok", [&] {
        CScheduledTask executorCopy(true);
        WorkItemInfo copy;
        executorCopy.LoadInfo(name, copy);
        return copy.resultText;
    }());

    const Stored stored = ReadStored(name);
    EXPECT_EQ(kFlagHidden | kFlagInteractive, stored.flags);
    EXPECT_EQ(kMaxRunTimeMs, stored.maxRunTime);
}

TEST_F(ScheduledTaskTest, FlagsFollowTheActionAndTheLogonOption) {
    WorkItemSettings wake;
    wake.action = kActionWakeUp;
    const std::u16string woken = Create(TaskKind::kLocal, wake, {Trigger(TASK_TIME_TRIGGER_ONCE)});
    EXPECT_EQ(kFlagHidden | kFlagInteractive | kFlagSystemRequired, ReadStored(woken).flags);

    WorkItemSettings logon;
    logon.action = kActionLock;
    logon.runOnlyIfLoggedOn = true;
    const std::u16string user = Create(TaskKind::kLocal, logon, {Trigger(TASK_TIME_TRIGGER_ONCE)});
    EXPECT_EQ(kFlagHidden | kFlagInteractive | kFlagRunOnlyIfLoggedOn, ReadStored(user).flags);
}

TEST_F(ScheduledTaskTest, StartAndLogonTriggersBecomeOneRunExceptForAPopup) {
    const std::vector<TASK_TRIGGER> triggers = {Trigger(TASK_EVENT_TRIGGER_AT_SYSTEMSTART),
                                                Trigger(TASK_EVENT_TRIGGER_AT_LOGON),
                                                Trigger(TASK_TIME_TRIGGER_WEEKLY)};
    WorkItemSettings shutdown;
    shutdown.action = kActionShutdown;
    const Stored normalised = ReadStored(Create(TaskKind::kLocal, shutdown, triggers));
    ASSERT_EQ(3u, normalised.triggers.size());
    EXPECT_EQ(TASK_TIME_TRIGGER_ONCE, normalised.triggers[0].TriggerType);
    EXPECT_EQ(TASK_TIME_TRIGGER_ONCE, normalised.triggers[1].TriggerType);
    EXPECT_EQ(TASK_TIME_TRIGGER_WEEKLY, normalised.triggers[2].TriggerType);

    WorkItemSettings popup;
    popup.action = kActionPopup;
    const Stored kept = ReadStored(Create(TaskKind::kLocal, popup, triggers));
    ASSERT_EQ(3u, kept.triggers.size());
    EXPECT_EQ(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, kept.triggers[0].TriggerType);
    EXPECT_EQ(TASK_EVENT_TRIGGER_AT_LOGON, kept.triggers[1].TriggerType);
}

TEST_F(ScheduledTaskTest, EveryTriggerKindGetsAScheduleText) {
    const TASK_TRIGGER_TYPE types[] = {TASK_TIME_TRIGGER_ONCE,
                                       TASK_TIME_TRIGGER_DAILY,
                                       TASK_TIME_TRIGGER_WEEKLY,
                                       TASK_TIME_TRIGGER_MONTHLYDATE,
                                       TASK_TIME_TRIGGER_MONTHLYDOW,
                                       TASK_EVENT_TRIGGER_ON_IDLE,
                                       TASK_EVENT_TRIGGER_AT_SYSTEMSTART,
                                       TASK_EVENT_TRIGGER_AT_LOGON};
    WorkItemSettings popup;
    popup.action = kActionPopup;
    CScheduledTask scheduler;
    for (TASK_TRIGGER_TYPE type : types) {
        const std::u16string name = Create(TaskKind::kLocal, popup, {Trigger(type)});
        WorkItemInfo info;
        scheduler.LoadInfo(name, info);
        const TriggerSpec expected = TriggerSpecOf(Trigger(type));
        EXPECT_EQ(TriggerText(expected, UserLocaleFormat()), info.scheduleText) << type;
        EXPECT_FALSE(info.scheduleText.empty());
    }
    // No trigger, no text. (Wine gives every new work item a disabled daily trigger of its own.)
    const std::u16string bare = Create(TaskKind::kLocal, popup, {});
    WorkItemInfo info;
    scheduler.LoadInfo(bare, info);
    if (ReadStored(bare).triggers.empty())
        EXPECT_EQ(u"", info.scheduleText);
    else
        EXPECT_NE(std::u16string::npos, info.scheduleText.find(u"(disabled)"));
}

TEST_F(ScheduledTaskTest, EnumerationMatchesThePrefixWithCase) {
    WorkItemSettings settings;
    const std::u16string local = Create(TaskKind::kLocal, settings, {});
    const std::u16string remote = Create(TaskKind::kRemote, settings, {});
    const std::u16string upper = u"QUENEP-0" + local.substr(8, 10);
    test::AddForeignWorkItem(upper, L"quenex");
    created_.push_back(upper);
    CScheduledTask scheduler;
    std::vector<std::u16string> names;
    EXPECT_HRESULT_SUCCEEDED(scheduler.EnumTasks(kLocalPrefix, names));
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), local + u".job"));
    EXPECT_EQ(names.end(), std::find(names.begin(), names.end(), remote + u".job"));
    EXPECT_EQ(names.end(), std::find(names.begin(), names.end(), upper + u".job"));
    names.clear();
    scheduler.EnumTasks(kRemotePrefix, names);
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), remote + u".job"));
}

TEST_F(ScheduledTaskTest, EnableDisableRepairDelete) {
    WorkItemSettings settings;
    const std::u16string name = Create(TaskKind::kLocal, settings, {Trigger(TASK_TIME_TRIGGER_DAILY)});
    CScheduledTask scheduler;
    WorkItemInfo info;
    EXPECT_HRESULT_SUCCEEDED(scheduler.SetEnabled(name + u".job", false));
    scheduler.LoadInfo(name, info);
    EXPECT_FALSE(info.enabled);
    EXPECT_TRUE(ReadStored(name).flags & kFlagDisabled);
    EXPECT_HRESULT_SUCCEEDED(scheduler.SetEnabled(name, true));
    scheduler.LoadInfo(name, info);
    EXPECT_TRUE(info.enabled);

    const DWORD flags = ReadStored(name).flags;
    EXPECT_HRESULT_SUCCEEDED(scheduler.RepairTask(name, u"quenep-0fixed"));
    scheduler.LoadInfo(name, info);
    EXPECT_EQ(u"quenep-0fixed", info.parameters);
    EXPECT_EQ(flags, ReadStored(name).flags) << "a repair changes the parameters only";

    EXPECT_HRESULT_SUCCEEDED(scheduler.DeleteTask(name + u".job"));
    EXPECT_FALSE(JobExists(name));
    EXPECT_HRESULT_FAILED(scheduler.LoadInfo(name, info));
    EXPECT_EQ(u"", info.application);
    EXPECT_EQ(E_FAIL, scheduler.DeleteTask(u""));
}

TEST_F(ScheduledTaskTest, EditingAnExistingWorkItem) {
    WorkItemSettings settings;
    settings.action = kActionShutdown;
    const std::u16string name = Create(TaskKind::kLocal, settings, {Trigger(TASK_TIME_TRIGGER_ONCE)});
    WorkItemEditor editor;
    WorkItemSettings read;
    ASSERT_HRESULT_SUCCEEDED(editor.BeginExisting(name + u".job", read));
    EXPECT_FALSE(read.runOnlyIfLoggedOn);
    EXPECT_FALSE(read.userName.empty()) << "the current user stands in for an account that cannot be read";
    read.action = kActionWakeUp;
    read.runOnlyIfLoggedOn = true;
    const HRESULT saved = editor.FinishExisting(read);
    EXPECT_TRUE(saved == S_OK || IsAccountError(saved));
    EXPECT_EQ(kFlagHidden | kFlagInteractive | kFlagSystemRequired | kFlagRunOnlyIfLoggedOn, ReadStored(name).flags);
    EXPECT_EQ(TASK_TIME_TRIGGER_ONCE, ReadStored(name).triggers.at(0).TriggerType);

    WorkItemEditor again;
    ASSERT_HRESULT_SUCCEEDED(again.BeginExisting(name, read));
    EXPECT_TRUE(read.runOnlyIfLoggedOn);
    read.runOnlyIfLoggedOn = false;
    read.action = kActionShutdown;
    again.FinishExisting(read);
    EXPECT_EQ(kFlagHidden | kFlagInteractive, ReadStored(name).flags);
}

TEST_F(ScheduledTaskTest, ListingReconcilesTheRealStore) {
    const std::u16string folder = TaskStoreFolder();
    WorkItemSettings settings;
    const std::u16string good = Create(TaskKind::kLocal, settings, {});
    const std::u16string changed = Create(TaskKind::kLocal, settings, {});
    const std::u16string unknown = Create(TaskKind::kLocal, settings, {});
    const std::u16string foreign = u"quenep-0" + good.substr(8, 8) + u"f";
    test::AddForeignWorkItem(foreign, L"notepad");
    created_.push_back(foreign);
    CTaskParams record;
    for (const std::u16string& name : {good, changed, foreign})
        ASSERT_TRUE(record.Save(folder, name));
    // A task file whose action unit reads 12.
    std::u16string text = record.Serialize();
    text[113] = 7012;
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 10 < text.size(); ++i)
        sum += text[i];
    for (int i = 0; i < 10; ++i)
        text[text.size() - 1 - i] = u"0123456789abcdef"[(static_cast<std::uint64_t>(sum) >> (4 * i)) & 0xF];
    EncodeRecordText(text);
    {
        File file = File::CreateTruncate(TaskFilePath(folder, unknown));
        const std::u16string line = text + u"\n";
        ASSERT_TRUE(file.Write(line.data(), line.size() * 2));
    }
    CScheduledTask scheduler;
    ASSERT_HRESULT_SUCCEEDED(scheduler.RepairTask(changed, u"by hand"));

    const std::vector<ListedTask> tasks = ListTasks(scheduler, folder, kLocalPrefix);
    const auto listed = [&](const std::u16string& name) {
        return std::any_of(tasks.begin(), tasks.end(), [&](const ListedTask& t) { return t.name == name; });
    };
    EXPECT_TRUE(listed(good));
    EXPECT_TRUE(listed(changed));
    EXPECT_FALSE(listed(unknown));
    EXPECT_FALSE(listed(foreign));
    WorkItemInfo info;
    scheduler.LoadInfo(changed, info);
    EXPECT_EQ(changed, info.parameters);
    EXPECT_FALSE(JobExists(unknown)) << "the work item of an unknown action is deleted";
    EXPECT_TRUE(FileExists(TaskFilePath(folder, unknown))) << "its task file stays";
    EXPECT_TRUE(JobExists(foreign));
    scheduler.LoadInfo(foreign, info);
    EXPECT_EQ(u"notepad", info.application);
}

// A new task's file is made where no file is, and no one but the system, the administrators and
// its maker may read it; our own files count as trusted. (Wine keeps no owner of our choosing, so
// a foreign owner is shown only by the native tests.)
TEST_F(ScheduledTaskTest, NewTaskFileIsProtectedAndMadeOnlyWhereNoFileIs) {
    const std::u16string folder = TaskStoreFolder();
    WorkItemEditor editor;
    ASSERT_HRESULT_SUCCEEDED(editor.BeginNew(TaskKind::kLocal));
    const std::u16string name = editor.name();
    created_.push_back(name);
    const NewTaskPair made = CreateTaskPair([&] { return editor.FinishNew(WorkItemSettings{}); },
                                            [] { return kOk; }, CTaskParams(), folder, name);
    ASSERT_TRUE(made.stored()) << std::hex << made.result;
    ASSERT_TRUE(FileExists(TaskFilePath(folder, name)));
    EXPECT_EQ(FileOwner::kTrusted, CheckFileOwner(TaskFilePath(folder, name)));
    EXPECT_EQ(FileOwner::kTrusted, CheckFileOwner(folder + u"\\" + name + u".job"));
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::GetNamedSecurityInfoW(W(TaskFilePath(folder, name)), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                      nullptr, &dacl, nullptr, &descriptor));
    wchar_t* text = nullptr;
    ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                                       DACL_SECURITY_INFORMATION, &text, nullptr));
    const std::wstring sddl = text;
    ::LocalFree(text);
    ::LocalFree(descriptor);
    EXPECT_EQ(std::wstring::npos, sddl.find(L";WD)")) << Utf16ToUtf8(FromWide(sddl)) << ": everyone may read it";
    EXPECT_EQ(std::wstring::npos, sddl.find(L";BU)")) << Utf16ToUtf8(FromWide(sddl)) << ": the users may read it";
    EXPECT_FALSE(File::CreateNewProtected(TaskFilePath(folder, name)).IsOpen());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), ::GetLastError());
}

TEST_F(ScheduledTaskTest, NamesAreNeverReused) {
    WorkItemSettings settings;
    std::vector<std::u16string> names;
    for (int i = 0; i < 5; ++i)
        names.push_back(Create(TaskKind::kRemote, settings, {}));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names.end(), std::adjacent_find(names.begin(), names.end()));
}

}  // namespace
}  // namespace velmora

#include "scheduler/win/SchedulerService.h"

namespace velmora {
namespace {

TEST(SchedulerServiceCheck, FindsTheScheduleServiceAndStartsItWhenAsked) {
    SchedulerServiceCalls services;
    // Creating the scheduler object starts the service in Wine; before that it may be stopped.
    std::optional<ServiceState> state = services.QuerySchedulerService();
    ASSERT_TRUE(state.has_value()) << "the Schedule service cannot be queried";
    int questions = 0;
    CheckSchedulerService(
        services,
        [&] {
            ++questions;
            return true;
        },
        [] { ADD_FAILURE() << "the service did not start"; });
    EXPECT_EQ(*state == ServiceState::kStopped ? 1 : 0, questions);
    for (int i = 0; i < 100 && services.QuerySchedulerService() != ServiceState::kRunning; ++i)
        ::Sleep(20);
    EXPECT_EQ(ServiceState::kRunning, services.QuerySchedulerService());
}

}  // namespace
}  // namespace velmora
