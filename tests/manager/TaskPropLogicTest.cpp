// The task page's rules per action and task kind, the countdown check, and the account dialog's
// checks.
#include "manager/TaskPropLogic.h"

#include <gtest/gtest.h>

#include "manager/AccountLogic.h"
#include "manager/StringIds.h"
#include "model/TaskParams.h"

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

TEST(AccountDialog, ChecksInOrder) {
    struct Case {
        AccountInput input;
        bool accept;
        int messageId;
        bool flash;
        AccountField focus;
        std::u16string userName;
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
    };
    for (const Case& c : cases) {
        const AccountCheck check = CheckAccount(c.input, u"LAB-PC");
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

}  // namespace
}  // namespace velmora
