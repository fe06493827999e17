// Where a task of the system account shows its countdown, from the sessions the system reports.
#include <gtest/gtest.h>

#include "executor/DialogPlace.h"

namespace velmora {
namespace {

TEST(DialogPlace, ByTheConsolesSessionAndItsUser) {
    constexpr auto kOn = ConsoleUser::kLoggedOn;
    constexpr auto kNone = ConsoleUser::kNone;
    constexpr auto kUnknown = ConsoleUser::kUnknown;
    struct Case {
        const char* system;
        SessionFacts facts;
        DialogPlace place;
        std::uint32_t session;
    };
    const Case cases[] = {
        // console, services, own, user at the console
        {"Windows XP, first user at the console", {0, 0, 0, kOn}, DialogPlace::kService, 0},
        {"Windows 2000: no session calls, user unknown", {0, 0, 0, kUnknown}, DialogPlace::kService, 0},
        {"Wine: services share the user's session", {1, 1, 1, kOn}, DialogPlace::kService, 0},
        {"Windows Vista and later, user in session 1", {1, 0, 0, kOn}, DialogPlace::kUserSession, 1},
        {"fast user switching: another user at the console", {2, 0, 0, kOn}, DialogPlace::kUserSession, 2},
        {"Vista, started by hand on the console's desktop", {1, 0, 1, kUnknown}, DialogPlace::kHere, 0},
        {"Vista, started by hand over remote desktop", {1, 0, 3, kUnknown}, DialogPlace::kUserSession, 1},
        {"Vista, nobody logged on", {1, 0, 0, kNone}, DialogPlace::kUnseen, 0},
        {"XP at the logon screen", {0, 0, 0, kNone}, DialogPlace::kUnseen, 0},
        {"no session attached to the console", {std::nullopt, 0, 0, kUnknown}, DialogPlace::kUnseen, 0},
    };
    for (const Case& c : cases) {
        const DialogPlaceChoice choice = ChooseDialogPlace(c.facts);
        EXPECT_EQ(c.place, choice.place) << c.system;
        EXPECT_EQ(c.session, choice.session) << c.system;
    }
}

}  // namespace
}  // namespace velmora
