// The task store's rules over a fake scheduler: listing with reconciliation, removal, and the order
// in which a pair is created, changed and deleted.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "scheduler/TaskStore.h"
#include "tests/support/TestSupport.h"

namespace velmora {
namespace {

using test::TempDir;

class FakeScheduler : public SchedulerCalls {
public:
    struct Item {
        WorkItemInfo info;
    };
    std::vector<std::pair<std::u16string, Item>> items;  // in enumeration order
    std::vector<std::string> calls;
    int enumerations = 0;
    bool deleteFails = false;
    bool deleteForgets = true;  // false: a deletion reports success but the work item stays

    void Add(const std::u16string& name, const std::u16string& application = u"C:\\Windows\\system32\\quenex.exe",
             std::u16string parameters = u"") {
        Item item;
        item.info.application = application;
        item.info.parameters = parameters.empty() ? name : parameters;
        items.emplace_back(name, item);
    }
    Item* Find(const std::u16string& name) {
        const std::u16string bare = name.substr(0, name.find(u'.'));
        for (auto& [n, item] : items) {
            if (n == bare)
                return &item;
        }
        return nullptr;
    }
    static std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

    HResult EnumTasks(const std::u16string& prefix, std::vector<std::u16string>& names) override {
        ++enumerations;
        for (const auto& [name, item] : items) {
            if (name.compare(0, prefix.size(), prefix) == 0)
                names.push_back(name + u".job");
        }
        return kOk;
    }
    HResult LoadInfo(const std::u16string& name, WorkItemInfo& info) override {
        Item* item = Find(name);
        if (!item)
            return kFail;
        info = item->info;
        return kOk;
    }
    HResult DeleteTask(const std::u16string& name) override {
        calls.push_back("Delete " + Narrow(name));
        if (deleteFails)
            return kFail;
        const std::u16string bare = name.substr(0, name.find(u'.'));
        if (!deleteForgets)
            return kOk;
        return std::erase_if(items, [&](const auto& entry) { return entry.first == bare; }) ? kOk : kFileNotFound;
    }
    HResult RepairTask(const std::u16string& name, const std::u16string& parameters) override {
        calls.push_back("Repair " + Narrow(name) + " " + Narrow(parameters));
        Find(name)->info.parameters = parameters;
        return kOk;
    }
    std::u16string CurrentUser() override { return u"LAB\\admin"; }
    std::u16string SystemFolder() override { return u"C:\\Windows\\system32"; }
};

class TaskStore : public ::testing::Test {
protected:
    void SaveTask(const std::u16string& name, int action, const std::u16string& comment = u"") {
        CTaskParams record;
        record.action = action;
        record.comment = comment;
        ASSERT_TRUE(record.Save(dir.Folder(), name));
    }
    // A task file whose stored action code is outside the known codes.
    void SaveUnknownAction(const std::u16string& name, int action, int unit = 113) {
        CTaskParams record;
        std::u16string text = record.Serialize();
        text[unit] = static_cast<char16_t>(7000 + action);
        // The checksum covers the changed unit: write it anew.
        std::uint32_t sum = 0;
        for (std::size_t i = 0; i + 10 < text.size(); ++i)
            sum += text[i];
        char digits[16];
        std::snprintf(digits, sizeof digits, "%010x", sum);
        for (int i = 0; i < 10; ++i)
            text[text.size() - 10 + i] = static_cast<char16_t>(digits[i]);
        EncodeRecordText(text);
        test::WriteBytes(dir.Path() / (std::string(name.begin(), name.end()) + ".dat"),
                         test::Utf16LeBytes(text + u"\n"));
    }
    std::vector<std::u16string> Names(const std::vector<ListedTask>& tasks) {
        std::vector<std::u16string> names;
        for (const ListedTask& task : tasks)
            names.push_back(task.name);
        return names;
    }

    TempDir dir;
    FakeScheduler scheduler;
};

TEST_F(TaskStore, ListsValidTasksWithTheirRecords) {
    SaveTask(u"quenep-0a", kActionShutdown, u"night");
    SaveTask(u"quenep-0b", kActionWakeUp);
    scheduler.Add(u"quenep-0a");
    scheduler.Add(u"quenep-0b", u"QUENEX");
    const auto tasks = ListTasks(scheduler, dir.Folder(), kLocalPrefix);
    EXPECT_EQ((std::vector<std::u16string>{u"quenep-0a", u"quenep-0b"}), Names(tasks));
    EXPECT_EQ(u"night", tasks[0].record.comment);
    EXPECT_EQ(kActionWakeUp, tasks[1].record.action);
    EXPECT_TRUE(scheduler.calls.empty());
}

TEST_F(TaskStore, ForeignWorkItemsAndOtherPrefixesStayUntouchedAndUnlisted) {
    SaveTask(u"quenep-0f", kActionShutdown);
    scheduler.Add(u"quenep-0f", u"notepad", u"changed");
    scheduler.Add(u"QUENEP-0x");
    scheduler.Add(u"quenep-1r");
    SaveTask(u"QUENEP-0x", kActionShutdown);
    SaveTask(u"quenep-1r", kActionShutdown);
    EXPECT_TRUE(ListTasks(scheduler, dir.Folder(), kLocalPrefix).empty());
    EXPECT_TRUE(scheduler.calls.empty());
    EXPECT_EQ((std::vector<std::u16string>{u"quenep-1r"}), Names(ListTasks(scheduler, dir.Folder(), kRemotePrefix)));
}

TEST_F(TaskStore, HandChangedParametersAreRepaired) {
    SaveTask(u"quenep-0p", kActionLock);
    scheduler.Add(u"quenep-0p", u"quenex", u"quenep-0other");
    const auto tasks = ListTasks(scheduler, dir.Folder(), kLocalPrefix);
    EXPECT_EQ((std::vector<std::string>{"Repair quenep-0p.job quenep-0p"}), scheduler.calls)
        << "the parameters only: the account is never changed without the administrator's word";
    ASSERT_EQ(1u, tasks.size());
    EXPECT_EQ(u"quenep-0p", tasks[0].info.parameters);
    EXPECT_EQ(kActionLock, tasks[0].record.action);
}

TEST_F(TaskStore, UnknownActionDeletesTheWorkItemKeepsItsFileAndListsAgain) {
    SaveTask(u"quenep-0a", kActionShutdown);
    SaveUnknownAction(u"quenep-0b", 12);
    SaveUnknownAction(u"quenep-0c", -3);
    scheduler.Add(u"quenep-0a");
    scheduler.Add(u"quenep-0b");
    scheduler.Add(u"quenep-0c");
    const auto tasks = ListTasks(scheduler, dir.Folder(), kLocalPrefix);
    EXPECT_EQ((std::vector<std::u16string>{u"quenep-0a"}), Names(tasks));
    EXPECT_EQ((std::vector<std::string>{"Delete quenep-0b.job", "Delete quenep-0c.job"}), scheduler.calls);
    EXPECT_EQ(3, scheduler.enumerations);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "quenep-0b.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "quenep-0c.dat"));
}

TEST_F(TaskStore, UnknownActionThatCannotBeDeletedIsStillNotListed) {
    SaveUnknownAction(u"quenep-0b", 99);
    scheduler.Add(u"quenep-0b");
    scheduler.deleteFails = true;
    EXPECT_TRUE(ListTasks(scheduler, dir.Folder(), kLocalPrefix).empty());
    EXPECT_EQ(1, scheduler.enumerations);
}

TEST_F(TaskStore, SchedulerThatNeverForgetsADeletedItemStillGetsTheValidTasksListed) {
    SaveTask(u"quenep-0a", kActionShutdown);
    SaveUnknownAction(u"quenep-0b", 12);
    SaveTask(u"quenep-0c", kActionLock);
    scheduler.Add(u"quenep-0a");
    scheduler.Add(u"quenep-0b");
    scheduler.Add(u"quenep-0c");
    scheduler.deleteForgets = false;
    EXPECT_EQ((std::vector<std::u16string>{u"quenep-0a", u"quenep-0c"}),
              Names(ListTasks(scheduler, dir.Folder(), kLocalPrefix)));
    EXPECT_EQ(100, scheduler.enumerations) << "the listing gives up restarting, not listing";
}

// A task whose file cannot be read still has a work item that fires: it is listed, marked, and
// never deleted for it. A file that exists is read again a few times first (the executor may be
// replacing it); a missing one is not waited for.
TEST_F(TaskStore, UnreadableTaskFileIsListedAsSuchAfterRetriesAndNothingIsDeleted) {
    SaveTask(u"quenep-0a", kActionShutdown);
    scheduler.Add(u"quenep-0a");
    scheduler.Add(u"quenep-0m");  // no task file
    scheduler.Add(u"quenep-0x");
    test::WriteBytes(dir.Path() / "quenep-0x.dat", "broken");
    scheduler.Add(u"quenep-0g");
    SaveUnknownAction(u"quenep-0g", 2, 114);  // a force flag of 2, under a valid checksum
    int pauses = 0;
    const auto tasks = ListTasks(scheduler, dir.Folder(), kLocalPrefix, {[&] { ++pauses; }});
    EXPECT_EQ((std::vector<std::u16string>{u"quenep-0a", u"quenep-0m", u"quenep-0x", u"quenep-0g"}), Names(tasks));
    const std::vector<bool> readable = {tasks[0].fileReadable, tasks[1].fileReadable, tasks[2].fileReadable,
                                        tasks[3].fileReadable};
    EXPECT_EQ((std::vector<bool>{true, false, false, false}), readable);
    EXPECT_EQ(3, pauses) << "three tries for the broken file, none for the missing one";
    EXPECT_TRUE(scheduler.calls.empty());
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "quenep-0x.dat"));
}

TEST_F(TaskStore, TaskFileBeingReplacedIsReadOnTheNextTry) {
    scheduler.Add(u"quenep-0r");
    test::WriteBytes(dir.Path() / "quenep-0r.dat", "half");
    const auto tasks = ListTasks(scheduler, dir.Folder(), kLocalPrefix, {[&] { SaveTask(u"quenep-0r", kActionLock); }});
    ASSERT_EQ(1u, tasks.size());
    EXPECT_TRUE(tasks[0].fileReadable);
    EXPECT_EQ(kActionLock, tasks[0].record.action);
}

// A work item or task file that someone else owns may have been planted: such a pair is listed as
// foreign, and nothing repairs, deletes or reads it, whatever its parameters or action say.
TEST_F(TaskStore, PairsSomeoneElseOwnsAreListedAsForeignAndNeverTouched) {
    struct Case {
        const char* what;
        std::u16string name;
        std::u16string parameters;  // the work item's, when they differ from its name
        std::string foreignFile;    // the file that someone else owns
    };
    const Case cases[] = {
        {"planted work item", u"quenep-0w", u"", "quenep-0w.job"},
        {"planted task file", u"quenep-0f", u"", "quenep-0f.dat"},
        {"changed parameters towards a planted file", u"quenep-0p", u"quenep-0z", "quenep-0z.dat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scheduler = FakeScheduler();
        SaveUnknownAction(c.name, 12);  // an action that would delete a trusted work item
        scheduler.Add(c.name, u"quenex", c.parameters);
        ListingSteps steps;
        steps.owner = [&](const std::u16string& path) {
            return path.ends_with(std::u16string(c.foreignFile.begin(), c.foreignFile.end())) ? FileOwner::kForeign
                                                                                              : FileOwner::kTrusted;
        };
        const auto tasks = ListTasks(scheduler, dir.Folder(), kLocalPrefix, steps);
        ASSERT_EQ(1u, tasks.size());
        EXPECT_TRUE(tasks[0].foreign);
        EXPECT_FALSE(tasks[0].fileReadable);
        EXPECT_TRUE(scheduler.calls.empty()) << "no repair, no deletion";
    }
}

// A file put at a new task's name before the task is made is not taken over: it could give its
// maker the new task's passwords. The new file is the system's and the administrators' alone.
TEST_F(TaskStore, NewPairTakesNoFileThatWasThereFirst) {
    test::WriteBytes(dir.Path() / "quenep-0s.dat", "squatted");
    CTaskParams record;
    record.comment = u"secret";
    const auto saved = [] { return WorkItemSave{kOk, true}; };
    int removals = 0;
    const auto remove = [&] { return ++removals, kOk; };
    EXPECT_FALSE(CreateTaskPair(saved, remove, record, dir.Folder(), u"quenep-0s").stored());
    EXPECT_EQ(1, removals) << "the work item does not stay without its own file";
    EXPECT_EQ("squatted", test::ReadBytes(dir.Path() / "quenep-0s.dat"));
    EXPECT_TRUE(CreateTaskPair(saved, remove, record, dir.Folder(), u"quenep-0n").stored());
#ifndef _WIN32
    // (On Windows the file's access list says the same; the Wine tests read it.)
    EXPECT_EQ(std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
              std::filesystem::status(dir.Path() / "quenep-0n.dat").permissions());
#endif
}

#ifndef _WIN32
// As the super-user a test can hand a file to another user, as a standard user's planted file
// would be: it is neither read as a task nor replaced.
TEST_F(TaskStore, TaskFileOfAnotherUserIsNeitherReadNorReplaced) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs the super-user to give a file away";
    SaveTask(u"quenep-0o", kActionShutdown, u"planted");
    const std::string path = (dir.Path() / "quenep-0o.dat").string();
    ASSERT_EQ(0, ::chown(path.c_str(), 4321, 4321));
    CTaskParams record;
    EXPECT_FALSE(record.Load(dir.Folder(), u"quenep-0o", true));
    record.comment = u"ours";
    EXPECT_FALSE(record.Save(dir.Folder(), u"quenep-0o"));
    EXPECT_EQ(FileOwner::kForeign, CheckFileOwner(dir.File("quenep-0o.dat")));
}
#endif

// The files of this test are our own: trusted, as a file the system or the administrators made.
TEST(FileOwners, OwnFilesAreTrustedAndTheRuleKnowsItsAccounts) {
    TempDir dir;
    test::WriteBytes(dir.Path() / "own.dat", "x");
    EXPECT_EQ(FileOwner::kTrusted, CheckFileOwner(dir.File("own.dat")));
    EXPECT_EQ(FileOwner::kMissing, CheckFileOwner(dir.File("missing.dat")));
#ifndef _WIN32
    // Something is there, but its owner cannot be read: not trusted.
    std::filesystem::create_symlink("loop.dat", dir.Path() / "loop.dat");
    EXPECT_EQ(FileOwner::kForeign, CheckFileOwner(dir.File("loop.dat")));
#endif
    const std::u16string self = u"S-1-5-21-1-2-3-1001";
    const std::pair<std::u16string, bool> owners[] = {
        {u"S-1-5-18", true},      {u"S-1-5-32-544", true}, {self, true}, {u"S-1-5-21-1-2-3-1002", false},
        {u"S-1-5-32-545", false}, {u"S-1-1-0", false},     {u"", false},
    };
    for (const auto& [owner, trusted] : owners)
        EXPECT_EQ(trusted, IsTrustedOwner(owner, self)) << std::string(owner.begin(), owner.end());
    EXPECT_FALSE(IsTrustedOwner(u"", u"")) << "an unknown owner is never oneself";
}

TEST_F(TaskStore, RemoveAllTakesOnlyTheExecutorsWorkItemsAndTheirFiles) {
    for (const char16_t* name : {u"quenep-0a", u"quenep-1b", u"quenep-0c"})
        SaveTask(name, kActionShutdown);
    scheduler.Add(u"quenep-0a");
    scheduler.Add(u"quenep-1b");
    scheduler.Add(u"quenep-0c", u"cmd");
    scheduler.Add(u"other");
    RemoveAllTasks(scheduler, dir.Folder());
    EXPECT_EQ((std::vector<std::string>{"Delete quenep-0a.job", "Delete quenep-1b.job"}), scheduler.calls);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "quenep-0a.dat"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "quenep-1b.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "quenep-0c.dat"));
    EXPECT_EQ(2u, scheduler.items.size());
}

TEST_F(TaskStore, ExecutorTasksAreTheExecutorsWorkItemsUnderEitherPrefixAlone) {
    scheduler.Add(u"quenep-0a");                            // the system folder's executor
    scheduler.Add(u"quenep-1b", u"quenex");                 // a task of an earlier version
    scheduler.Add(u"quenep-0c", u"C:\\Tools\\other.exe");   // another program's item with our prefix
    scheduler.Add(u"quenep-1d", u"C:\\Tools\\quenex.exe");  // a program of that name elsewhere
    scheduler.Add(u"other", u"quenex");                     // no prefix of ours
    EXPECT_EQ((std::vector<std::u16string>{u"quenep-0a.job", u"quenep-1b.job"}), ExecutorTasks(scheduler));
    EXPECT_TRUE(scheduler.calls.empty()) << "counting deletes nothing";

    // What "quenex -r" leaves is what the uninstallers count: another program's item is never a
    // reason to stay installed, and stays itself.
    RemoveAllTasks(scheduler, dir.Folder());
    EXPECT_TRUE(ExecutorTasks(scheduler).empty());
    EXPECT_EQ(3u, scheduler.items.size());
    scheduler.deleteFails = true;
    scheduler.Add(u"quenep-0e");
    RemoveAllTasks(scheduler, dir.Folder());
    EXPECT_EQ(std::vector<std::u16string>{u"quenep-0e.job"}, ExecutorTasks(scheduler));
}

TEST_F(TaskStore, NewPairStoresTheWorkItemFirstAndTheFileWhenItWasStored) {
    CTaskParams record;
    record.comment = u"new";
    bool fileExistedDuringSave = true;
    const auto save = [&](HResult result) {
        return [&, result] {
            fileExistedDuringSave = std::filesystem::exists(dir.Path() / "quenep-0n.dat");
            return WorkItemSave{result, true};
        };
    };
    const auto noRemoval = [] { return kFail; };
    NewTaskPair pair = CreateTaskPair(save(kOk), noRemoval, record, dir.Folder(), u"quenep-0n");
    EXPECT_EQ(kOk, pair.result);
    EXPECT_TRUE(pair.stored());
    EXPECT_FALSE(fileExistedDuringSave);
    EXPECT_FALSE(pair.accountWarning);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "quenep-0n.dat"));

    pair = CreateTaskPair(save(kAccountNameNotFound), noRemoval, record, dir.Folder(), u"quenep-0w");
    EXPECT_EQ(kAccountNameNotFound, pair.result);
    EXPECT_TRUE(pair.accountWarning);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "quenep-0w.dat"));

    pair = CreateTaskPair(save(kFail), noRemoval, record, dir.Folder(), u"quenep-0f");
    EXPECT_EQ(kFail, pair.result);
    EXPECT_FALSE(pair.accountWarning);
    EXPECT_FALSE(pair.stored());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "quenep-0f.dat"));
}

// A work item whose task file cannot be written is removed again, and what the removal gave is
// kept for the message.
TEST_F(TaskStore, NewWorkItemWhoseFileCannotBeWrittenIsRemovedAndItsRemovalChecked) {
    std::filesystem::create_directory(dir.Path() / "quenep-0x.dat");
    const std::pair<HResult, HResult> cases[] = {{kOk, kOk}, {kAccessDenied, kAccessDenied}, {kFileNotFound, kOk}};
    for (const auto& c : cases) {
        const HResult removal = c.first;
        SCOPED_TRACE(removal);
        int removals = 0;
        const NewTaskPair pair = CreateTaskPair(
            [] {
                return WorkItemSave{kOk, true};
            },
            [&] {
                ++removals;
                return removal;
            },
            CTaskParams(), dir.Folder(), u"quenep-0x");
        EXPECT_TRUE(pair.workItemStored);
        EXPECT_FALSE(pair.fileWritten);
        EXPECT_EQ(1, removals);
        EXPECT_EQ(c.second, pair.removal);
    }
}

// A work item's triggers are replaced whole or not at all.
TEST(Triggers, AReplacementThatFailsMidwayLeavesTheFormerTriggers) {
    struct Case {
        std::size_t failingStep;  // 0 for none; counted over the removals and additions
        std::vector<std::string> after;
    };
    const std::vector<std::string> former = {"daily", "weekly"}, wanted = {"once", "monthly", "logon"};
    const Case cases[] = {
        {0, wanted}, {1, former},  // the first removal
        {2, former},               // the second removal, with one former trigger gone
        {3, former},               // the first addition
        {5, former},               // the last addition
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failingStep);
        std::vector<std::string> item = former;
        std::size_t steps = 0;
        const auto fails = [&] { return ++steps == c.failingStep; };
        TriggerCalls calls;
        calls.remove = [&](std::size_t index) {
            if (fails() || index >= item.size())
                return kFail;
            item.erase(item.begin() + static_cast<std::ptrdiff_t>(index));
            return kOk;
        };
        calls.addNew = [&](std::size_t which) {
            if (fails())
                return kFail;
            item.push_back(wanted[which]);
            return kOk;
        };
        calls.addFormer = [&](std::size_t which) {
            item.push_back(former[which]);
            return kOk;
        };
        EXPECT_EQ(c.failingStep ? kFail : kOk, ReplaceTriggers(calls, former.size(), wanted.size()));
        EXPECT_EQ(c.after, item);
    }
}

TEST_F(TaskStore, AChangeWhoseFileCannotBeWrittenLeavesTheWorkItem) {
    std::filesystem::create_directory(dir.Path() / "quenep-0x.dat");
    bool updated = false;
    bool warning = true;
    EXPECT_EQ(kFail, ChangeTaskPair(
                         CTaskParams(), dir.Folder(), u"quenep-0x",
                         [&] {
                             updated = true;
                             return kOk;
                         },
                         warning));
    EXPECT_FALSE(updated);
    EXPECT_FALSE(warning);
}

// Setting the account can fail with the same codes that the save gives for a work item stored
// without valid credentials; then nothing was stored, and no task file may stand alone.
TEST_F(TaskStore, WorkItemNeverSavedGetsNoTaskFile) {
    for (HResult result : {kAccessDenied, kAccountNameNotFound, kAccountInformationNotSet, kFail}) {
        SCOPED_TRACE(result);
        const NewTaskPair pair = CreateTaskPair(
            [result] {
                return WorkItemSave{result, false};
            },
            [] { return kFail; }, CTaskParams(), dir.Folder(), u"quenep-0u");
        EXPECT_EQ(result, pair.result);
        EXPECT_FALSE(pair.accountWarning);
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "quenep-0u.dat"));
    }
}

TEST_F(TaskStore, ChangedPairWritesTheFileBeforeTheWorkItem) {
    SaveTask(u"quenep-0c", kActionShutdown, u"old");
    CTaskParams record;
    record.comment = u"new";
    bool warning = false;
    std::u16string commentDuringUpdate;
    EXPECT_EQ(kAccessDenied, ChangeTaskPair(
                                 record, dir.Folder(), u"quenep-0c",
                                 [&] {
                                     CTaskParams onDisk;
                                     onDisk.Load(dir.Folder(), u"quenep-0c", false);
                                     commentDuringUpdate = onDisk.comment;
                                     return kAccessDenied;
                                 },
                                 warning));
    EXPECT_EQ(u"new", commentDuringUpdate);
    EXPECT_TRUE(warning);
}

// The work item refusing its change leaves the task file as it was before, byte for byte; an
// account the scheduler would not take still stores both (the caller warns).
TEST_F(TaskStore, ChangeThatTheWorkItemRefusesPutsTheOldTaskFileBack) {
    struct Case {
        HResult update;
        bool restored;
    };
    for (const Case& c : {Case{kFail, true}, Case{kFileNotFound, true}, Case{kAccessDenied, false}, Case{kOk, false}}) {
        SCOPED_TRACE(c.update);
        SaveTask(u"quenep-0c", kActionShutdown, u"old");
        const std::string before = test::ReadBytes(dir.Path() / "quenep-0c.dat");
        CTaskParams record;
        record.comment = u"new";
        bool warning = false, restored = !c.restored;
        EXPECT_EQ(c.update, ChangeTaskPair(
                                record, dir.Folder(), u"quenep-0c", [&] { return c.update; }, warning, &restored));
        EXPECT_EQ(c.restored, restored);
        CTaskParams onDisk;
        ASSERT_TRUE(onDisk.Load(dir.Folder(), u"quenep-0c", false));
        EXPECT_EQ(c.restored ? u"old" : u"new", onDisk.comment);
        if (c.restored) {
            EXPECT_EQ(before, test::ReadBytes(dir.Path() / "quenep-0c.dat"));
        }
    }
}

TEST_F(TaskStore, AWorkItemThatStaysKeepsItsTaskFile) {
    SaveTask(u"quenep-0d", kActionShutdown);
    scheduler.Add(u"quenep-0d");
    scheduler.deleteFails = true;
    EXPECT_EQ(kFail, DeleteTaskPair(scheduler, dir.Folder(), u"quenep-0d"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "quenep-0d.dat"));
    EXPECT_EQ((std::vector<std::string>{"Delete quenep-0d.job"}), scheduler.calls);

    // A work item that is already gone takes its file with it.
    SaveTask(u"quenep-0e", kActionShutdown);
    scheduler.deleteFails = false;
    EXPECT_EQ(kOk, DeleteTaskPair(scheduler, dir.Folder(), u"quenep-0e"));
    EXPECT_EQ("Delete quenep-0e.job", scheduler.calls.back());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "quenep-0e.dat"));
}

class FakeServices : public ServiceCalls {
public:
    std::optional<ServiceState> state;
    bool startWorks = true;
    int starts = 0;
    std::optional<ServiceState> QuerySchedulerService() override { return state; }
    bool StartSchedulerService() override {
        ++starts;
        return startWorks;
    }
};

TEST(SchedulerService, AsksOnlyWhenStoppedAndStartsOnYes) {
    struct Case {
        std::optional<ServiceState> state;
        bool answer;
        bool startWorks;
        int questions, starts, failures;
    };
    const Case cases[] = {
        {ServiceState::kRunning, true, true, 0, 0, 0}, {ServiceState::kOther, true, true, 0, 0, 0},
        {std::nullopt, true, true, 0, 0, 0},           {ServiceState::kStopped, false, true, 1, 0, 0},
        {ServiceState::kStopped, true, true, 1, 1, 0}, {ServiceState::kStopped, true, false, 1, 1, 1}};
    for (const Case& c : cases) {
        FakeServices services;
        services.state = c.state;
        services.startWorks = c.startWorks;
        int questions = 0;
        int failures = 0;
        CheckSchedulerService(
            services,
            [&] {
                ++questions;
                return c.answer;
            },
            [&] { ++failures; });
        EXPECT_EQ(c.questions, questions);
        EXPECT_EQ(c.starts, services.starts);
        EXPECT_EQ(c.failures, failures);
    }
}

}  // namespace
}  // namespace velmora
