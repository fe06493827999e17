// The task page's rules per action and task kind, the countdown check, and the account dialog's
// checks.
#include "manager/ShellLogic.h"
#include "manager/TaskPropLogic.h"

#include <gtest/gtest.h>

#include <new>

#include "manager/AccountLogic.h"
#include "manager/ids/AccountIds.h"
#include "manager/ids/TaskEditorIds.h"
#include "model/TaskParams.h"
#include "model/Text.h"

namespace velmora {
namespace {

// The controls that rules hide, in one order, for compact expectations: N no show, F force,
// C allow cancel, M message and its label, D countdown with spin and labels, G the "Dialog" group,
// L "Log file..".
std::string Shown(const TaskPageView& view) {
    std::string out;
    const std::pair<char, int> controls[] = {{'N', kCtlNoShow},  {'F', kCtlForce}, {'C', kCtlAllowCancel},
                                             {'M', kCtlMessage}, {'D', kCtlDelay}, {'G', kCtlDialogGroup},
                                             {'L', kCtlLogFile}};
    for (const auto& [letter, control] : controls)
        out += view.Visible(control) ? letter : '-';
    // Labels and the spin always go with their fields.
    EXPECT_EQ(view.Visible(kCtlMessage), view.Visible(kCtlMessageLabel));
    for (const int control : {kCtlDelaySpin, kCtlDelayLabel, kCtlSecondsLabel})
        EXPECT_EQ(view.Visible(kCtlDelay), view.Visible(control));
    return out;
}

TEST(TaskPage, ControlsPerActionKindAndWizard) {
    struct Case {
        int action;
        TaskKind kind;
        bool wizard, noShow, force;
        std::string shown;
        bool noShowAfter, forceAfter;
    };
    const TaskKind L = TaskKind::kLocal, R = TaskKind::kRemote;
    const Case cases[] = {
        {kActionShutdown, L, true, false, true, "NFCMDG-", false, true},
        {kActionShutdown, L, false, true, true, "NF----L", true, true},      // no dialog: its controls go
        {kActionShutdown, R, false, false, false, "NF-MDGL", false, false},  // remote: never Allow cancel
        {kActionPopup, L, false, true, true, "---M-GL", false, false},
        {kActionPopup, L, true, false, false, "---M-G-", false, false},
        {kActionLock, L, false, false, true, "N-CMDGL", false, false},
        {kActionLock, L, true, true, true, "N------", true, false},
        {kActionWakeUp, L, false, true, true, "------L", false, false},
        {kActionWakeOnLan, R, true, true, true, "-------", false, false},
        {kActionMonitorOn, L, false, false, true, "------L", false, false},
        {kActionRestart, R, false, true, false, "NF----L", true, false},
    };
    for (const Case& c : cases) {
        const TaskPageView view = ApplyTaskPageRules({c.action, c.kind, c.wizard, c.noShow, c.force});
        SCOPED_TRACE(testing::Message() << "action " << c.action << " remote " << (c.kind == R) << " wizard "
                                        << c.wizard << " noshow " << c.noShow);
        EXPECT_EQ(c.shown, Shown(view));
        EXPECT_EQ(c.noShowAfter, view.noShow);
        EXPECT_EQ(c.forceAfter, view.force);
    }
}

TEST(TaskPage, ActionsOfferedPerKind) {
    std::vector<int> local, remote;
    for (const ActionChoice& c : ActionChoices(TaskKind::kLocal))
        local.push_back(c.action);
    for (const ActionChoice& c : ActionChoices(TaskKind::kRemote))
        remote.push_back(c.action);
    EXPECT_EQ((std::vector<int>{0, 3, 1, 2, 6, 5, 11, 9}), local);
    EXPECT_EQ((std::vector<int>{0, 3, 10}), remote);
}

TEST(TaskPage, CountdownTakesDigitsUpToTenYears) {
    const std::pair<std::u16string, std::optional<long long>> cases[] = {
        {u"0", 0},
        {u"20", 20},
        {u"65536", 65536},
        {u"315360000", 315360000},
        {u"315360001", {}},
        {u"99999999999", {}},
        {u"", {}},
        {u"-5", {}},
        {u"1e3", {}},
        {u" 20", {}},
        {u"000000000020", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(expected, CheckDelay(text)) << std::string(text.begin(), text.end());
}

TEST(TaskPage, KindComesFromTheNamesPrefix) {
    EXPECT_EQ(TaskKind::kLocal, TaskKindOfName(u"quenep-0abc"));
    EXPECT_EQ(TaskKind::kRemote, TaskKindOfName(u"quenep-1abc"));
    EXPECT_EQ(std::nullopt, TaskKindOfName(u"Quenep-0abc"));
}

TEST(TaskPage, OnlyAFieldTheUserSeesIsRefused) {
    const std::u16string unstorable = u"a\u1E46b";  // the task file's marker of the log file
    struct Case {
        int action;
        bool noShow;
        std::u16string comment, message, delay;
        int refused;
    };
    const Case cases[] = {
        {kActionShutdown, false, u"ok", u"ok", u"20", 0},
        {kActionShutdown, false, unstorable, u"ok", u"20", kCtlComment},
        {kActionShutdown, false, u"ok", unstorable, u"20", kCtlMessage},
        {kActionShutdown, false, u"ok", u"ok", u"x", kCtlDelay},
        {kActionShutdown, true, u"ok", unstorable, u"x", 0},          // no dialog: message and countdown hidden
        {kActionWakeUp, false, u"ok", unstorable, u"", 0},            // the action shows no dialog
        {kActionPopup, false, u"ok", unstorable, u"x", kCtlMessage},  // a popup shows its message only
        {kActionPopup, false, u"ok", u"ok", u"x", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "action " << c.action << " noshow " << c.noShow);
        const TaskPageView view = ApplyTaskPageRules({c.action, TaskKind::kLocal, false, c.noShow, false});
        EXPECT_EQ(c.refused, RefusedTaskField(view, c.comment, c.message, c.delay));
    }
}

TEST(TaskPage, AnotherActionTicksRunOnlyIfLogonOnlyForARemoteTaskWithoutAnAccount) {
    const TaskKind L = TaskKind::kLocal, R = TaskKind::kRemote;
    struct Case {
        ActionChangeAccount account;
        bool ticks;
    };
    const Case cases[] = {
        {{R, kActionRestart, false, true, false}, true},  // a new task without a password
        {{R, kActionRestart, false, false, false}, true},
        {{R, kActionRestart, false, true, true}, false},  // the account dialog gave one
        {{R, kActionWakeOnLan, false, false, false}, false},
        {{L, kActionRestart, false, false, false}, false},
        {{R, kActionRestart, true, true, false}, false},  // properties: the stored account stays
        {{R, kActionShutdown, true, false, false}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "action " << c.account.action << " stored " << c.account.accountStored);
        EXPECT_EQ(c.ticks, TicksRunOnlyIfLoggedOn(c.account));
    }
}

TEST(TaskPage, HibernationIsTurnedOnByAnAdministratorAndAPageWithoutItStays) {
    struct Case {
        int action;
        TaskKind kind;
        bool administrator, allowedBefore;
        bool leaves, enabled;
    };
    const TaskKind L = TaskKind::kLocal, R = TaskKind::kRemote;
    const Case cases[] = {
        {kActionHibernate, L, true, false, true, true},     // turned on, then allowed
        {kActionHibernate, L, false, false, false, false},  // only an administrator may turn it on
        {kActionHibernate, L, false, true, true, false},
        {kActionShutdown, L, true, false, true, false},     // other actions never ask
        {kActionHibernate, R, true, false, true, false},    // not offered remotely: nothing to ask
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "action " << c.action << " admin " << c.administrator);
        bool on = c.allowedBefore;
        bool enabled = false;
        const bool leaves = HibernationLetsPageGo(
            c.action, c.kind, {[&] { return c.administrator; }, [&] { return on; }, [&] { on = enabled = true; }});
        EXPECT_EQ(c.leaves, leaves);
        EXPECT_EQ(c.enabled, enabled);
    }
}

TEST(TaskPage, StoredValuesThePageDoesNotKnowAndWhatFinishStores) {
    EXPECT_EQ(kActionWakeOnLan, KnownAction(kActionWakeOnLan));
    EXPECT_EQ(kActionWakeUp, KnownAction(kActionWakeOnLan + 1));
    EXPECT_EQ(kActionWakeUp, KnownAction(-1));
    EXPECT_EQ(kActionWakeUp, KnownAction(1LL << 40)) << "a list item's data is wider than an int";
    EXPECT_EQ(u"20", DelayShown(u"")) << "a new task counts down 20 s";
    EXPECT_EQ(u"0", DelayShown(u"0"));

    EXPECT_TRUE(AsksForAccount(TaskKind::kRemote, kActionRestart, false));
    EXPECT_FALSE(AsksForAccount(TaskKind::kRemote, kActionWakeOnLan, false)) << "wake-up runs as the system";
    EXPECT_FALSE(AsksForAccount(TaskKind::kRemote, kActionRestart, true));
    EXPECT_FALSE(AsksForAccount(TaskKind::kLocal, kActionRestart, false));
    WorkItemSettings own;
    EXPECT_TRUE(HasOwnAccount(own, u"LAB\\ADMIN"));
    EXPECT_FALSE(HasOwnAccount(own, u"SYSTEM"));
    EXPECT_FALSE(HasOwnAccount(own, u""));
    own.runOnlyIfLoggedOn = true;
    EXPECT_FALSE(HasOwnAccount(own, u"LAB\\ADMIN"));

    EditorState state;
    state.kind = TaskKind::kRemote;
    state.action = kActionRestart;
    state.record.action = kActionShutdown;
    state.record.computers.resize(2);
    EXPECT_TRUE(ImportFitsKind(state.record, TaskKind::kRemote));
    EXPECT_FALSE(ImportFitsKind(state.record, TaskKind::kLocal));
    EXPECT_FALSE(ImportFitsKind(CTaskParams{}, TaskKind::kRemote));
    for (ComputerEntry& computer : state.record.computers) {
        computer[kTextName] = u"pc";
        computer[kTextRangeAddress] = u"10.0.0.1-10.0.0.9";
        computer[kTextState] = u"not reply";
    }
    state.userName = u"LAB\\ADMIN";
    state.runOnlyIfLoggedOn = false;
    const WorkItemSettings settings = PrepareToStore(state);
    EXPECT_EQ(kActionRestart, state.record.action);
    EXPECT_EQ(0, state.record.local);
    for (const ComputerEntry& computer : state.record.computers) {
        EXPECT_EQ(u"pc", computer[kTextName]);
        EXPECT_TRUE(computer[kTextRangeAddress].empty() && computer[kTextState].empty());
    }
    EXPECT_EQ(TaskKind::kRemote, settings.kind);
    EXPECT_EQ(kActionRestart, settings.action);
    EXPECT_FALSE(settings.runOnlyIfLoggedOn);
    EXPECT_EQ(u"LAB\\ADMIN", settings.userName);
}

// The wizard as the sheet keeps its buttons: each page of ours sets them at its moments, the
// system's Schedule page never does. Walked through every Next and Back, each page must show
// exactly the buttons that lead on from it.
TEST(Wizard, ButtonsAreRightOnEveryPageWhenTheSchedulePageSetsNone) {
    enum Page { kTask, kComputers, kSchedule, kFinish };
    for (const bool remote : {false, true}) {
        SCOPED_TRACE(remote ? "remote" : "local");
        std::vector<Page> pages = {kTask, kSchedule, kFinish};
        if (remote)
            pages.insert(pages.begin() + 1, kComputers);
        const auto wanted = [](Page page) {
            return page == kTask     ? kWizardNext
                   : page == kFinish ? kWizardBack | kWizardFinish
                                     : kWizardBack | kWizardNext;
        };
        unsigned buttons = 0;
        // The sheet's page change: the page left has its say, then the page shown.
        const auto show = [&](std::size_t from, std::size_t to) {
            const bool forward = to > from;
            if (forward && pages[from] == kTask)
                buttons = WizardButtonsAt(WizardMoment::kTaskLeft);
            if (!forward && pages[from] == kFinish)
                buttons = WizardButtonsAt(WizardMoment::kFinishLeftBack);
            if (pages[to] == kTask)
                buttons = WizardButtonsAt(WizardMoment::kTaskShown);
            if (pages[to] == kComputers)
                buttons = WizardButtonsAt(WizardMoment::kComputersShown);
            if (pages[to] == kFinish)
                buttons = WizardButtonsAt(WizardMoment::kFinishShown);
        };
        show(0, 0);
        std::size_t at = 0;
        // Forward to the end and back to the start, twice, with a step back at every page.
        const std::string walk = "NBNNBNNBNBBBBNNN";
        for (const char step : walk) {
            const std::size_t to = step == 'N' ? std::min(at + 1, pages.size() - 1) : (at == 0 ? 0 : at - 1);
            if (to == at)
                continue;
            show(at, to);
            at = to;
            EXPECT_EQ(wanted(pages[at]), buttons) << "on page " << at << " after " << step;
        }
    }
}

TEST(Wizard, FinishTellsWhatWasNotStoredAndWhere) {
    const auto systemText = [](HResult code) { return code == kAccessDenied ? u"Access denied." : u"Failed."; };
    struct Case {
        NewTaskPair pair;
        int stringId;
        std::vector<std::u16string> fillIns;
    };
    NewTaskPair stored{kOk, true, false, true, kOk};
    NewTaskPair warned{kAccountNameNotFound, true, true, true, kOk};
    NewTaskPair notSaved{kAccessDenied, false, false, false, kOk};
    NewTaskPair removed{kOk, true, false, false, kOk};
    NewTaskPair left{kOk, true, false, false, kAccessDenied};
    const Case cases[] = {
        {stored, 0, {}},
        {warned, IDS_ACCOUNT_WARNING, {}},
        {notSaved, IDS_TASK_NOT_STORED, {u"Access denied."}},
        {removed, IDS_TASK_FILE_UNWRITABLE, {u"C:\\T\\q.dat"}},
        {left, IDS_WORK_ITEM_LEFT, {u"C:\\T\\q.dat", u"C:\\T\\q.job", u"Access denied."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stringId);
        const EditorMessage message = NewTaskMessage(c.pair, u"C:\\T\\q.dat", u"C:\\T\\q.job", systemText);
        EXPECT_EQ(c.stringId, message.stringId);
        EXPECT_EQ(c.fillIns, message.fillIns);
    }
    EXPECT_EQ(u"file a, item b (c): left", FillIn(u"file %s, item %s (%s): left", {u"a", u"b", u"c"}));
    EXPECT_EQ(u"a %s c b", FillIn(u"%s %s b", {u"a %s", u"c"})) << "a fill-in's own %s stays";
}

TEST(AccountDialog, ChecksInOrder) {
    struct Case {
        AccountInput input;
        bool accept;
        int messageId;
        bool flash;
        AccountField focus;
        std::u16string userName;
        bool noComputerName = false;
    };
    const Case cases[] = {
        {{u"bob", u"  \t", u"  \t"}, false, IDS_BLANK_PASSWORD, false, kAccountPassword, u""},
        {{u"", u"", u"x"}, false, IDS_BLANK_PASSWORD, false, kAccountPassword, u""},
        {{u"bob", u"pw ", u"pw"}, false, IDS_PASSWORDS_DIFFER, false, kAccountConfirmation, u""},
        {{u"   ", u"pw", u"pw"}, false, 0, true, kAccountUserName, u""},
        {{u" bob ", u" pw ", u" pw "}, true, 0, false, kAccountUserName, u"LAB-PC\\BOB"},
        {{u"corp\\Alice Smith", u"pw", u"pw"}, true, 0, false, kAccountUserName, u"CORP\\ALICE SMITH"},
        {{u"alice@corp.example", u"pw", u"pw"}, true, 0, false, kAccountUserName, u"ALICE@CORP.EXAMPLE"},
        {{u"nt authority\\system", u"pw", u"pw"}, true, 0, false, kAccountUserName, u""},
        {{u"\\SyStEm", u"pw", u"pw"}, true, 0, false, kAccountUserName, u""},
        {{u"system", u"pw", u"pw"}, true, 0, false, kAccountUserName, u""},
        {{u"CORP\\SYSTEMSADMIN", u"pw", u"pw"}, true, 0, false, kAccountUserName, u"CORP\\SYSTEMSADMIN"},
        // The computer's name could not be read: only a name with its domain is taken.
        {{u"bob", u"pw", u"pw"}, false, IDS_COMPUTER_NAME_UNKNOWN, false, kAccountUserName, u"", true},
        {{u"corp\\bob", u"pw", u"pw"}, true, 0, false, kAccountUserName, u"CORP\\BOB", true},
    };
    for (const Case& c : cases) {
        const AccountCheck check =
            CheckAccount(c.input, c.noComputerName ? std::nullopt : std::optional<std::u16string>(u"LAB-PC"));
        SCOPED_TRACE(std::string(c.input.userName.begin(), c.input.userName.end()));
        EXPECT_EQ(c.accept, check.accept);
        EXPECT_EQ(c.messageId, check.messageId);
        EXPECT_EQ(c.flash, check.flash);
        if (!c.accept) {
            EXPECT_EQ(c.focus, check.focus);
        }
        EXPECT_EQ(c.userName, check.userName);
    }
}

// A password leaves nothing behind: not in the object's own short buffer, not in one it moved out of.
TEST(AccountDialog, SecretTextsAreWipedWhenTheyGo) {
    const std::u16string password = u"pw1";  // short enough to live inside the object
    const auto holds = [&](const void* memory, std::size_t bytes) {
        const std::u16string_view units(static_cast<const char16_t*>(memory), bytes / sizeof(char16_t));
        return units.find(password) != std::u16string_view::npos;
    };
    alignas(SecretText) unsigned char storage[sizeof(SecretText)];
    auto* secret = new (storage) SecretText(password);
    ASSERT_TRUE(holds(storage, sizeof storage));
    secret->~SecretText();
    EXPECT_FALSE(holds(storage, sizeof storage));

    alignas(SecretText) unsigned char movedFrom[sizeof(SecretText)];
    auto* source = new (movedFrom) SecretText(password);
    const SecretText taken(std::move(*source));
    EXPECT_EQ(password, taken.view());
    EXPECT_FALSE(holds(movedFrom, sizeof movedFrom));
    source->~SecretText();

    SecretText read;
    char16_t* buffer = read.Buffer(16);
    std::copy(password.begin(), password.end(), buffer);
    read.Resize(password.size());
    EXPECT_EQ(password, read.view());

    std::u16string block = u"a longer secret than any short buffer";
    WipingAllocator<char16_t>().deallocate(WipingAllocator<char16_t>().allocate(1), 1);
    WipeMemory(block.data(), block.size() * sizeof(char16_t));
    EXPECT_EQ(std::u16string(block.size(), u'\0'), block);
}

}  // namespace
}  // namespace velmora
