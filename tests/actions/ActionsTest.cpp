// The local power actions: exact calls, flags and fall-backs, over a fake of the Windows calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/Actions.h"

namespace velmora {
namespace {

std::string Narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

class FakePower : public PowerApi {
public:
    std::vector<std::string> calls;
    bool privilegeWorks = true;
    bool callsSucceed = true;
    bool hibernateAllowed = true;
    bool suspendAllowed = true;
    WindowsVersion version{6, 1};

    bool EnableTokenPrivilege(const std::u16string& name) override {
        calls.push_back("EnablePrivilege " + Narrow(name));
        return privilegeWorks;
    }
    WindowsVersion Version() override { return version; }
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
        calls.push_back("ExitWindowsEx " + Hex(flags) + " " + Hex(reason));
        return callsSucceed;
    }
    bool InitiateSystemShutdownEx(std::uint32_t timeout, bool force, bool reboot, std::uint32_t reason) override {
        calls.push_back("InitiateSystemShutdownEx timeout=" + std::to_string(timeout) +
                        " force=" + std::to_string(force) + " reboot=" + std::to_string(reboot) + " " + Hex(reason));
        return callsSucceed;
    }
    bool IsPwrHibernateAllowed() override {
        calls.push_back("IsPwrHibernateAllowed");
        return hibernateAllowed;
    }
    bool IsPwrSuspendAllowed() override {
        calls.push_back("IsPwrSuspendAllowed");
        return suspendAllowed;
    }
    bool SetSuspendState(bool hibernate, bool forceCritical, bool disableWake) override {
        calls.push_back("SetSuspendState hibernate=" + std::to_string(hibernate) +
                        " force=" + std::to_string(forceCritical) + " disableWake=" + std::to_string(disableWake));
        return callsSucceed;
    }
    bool LockWorkStation() override {
        calls.push_back("LockWorkStation");
        return callsSucceed;
    }
    void SendMonitorPower(std::intptr_t argument) override {
        calls.push_back("MonitorPower " + std::to_string(argument));
    }

    static std::string Hex(std::uint32_t value) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", value);
        return text;
    }
};

using Calls = std::vector<std::string>;
const std::string kPrivilege = "EnablePrivilege SeShutdownPrivilege";

TEST(LocalActions, ShutdownAsksForAnImmediateLocalShutdown) {
    for (bool force : {false, true}) {
        FakePower power;
        EXPECT_TRUE(CActions(power).Shutdown(force));
        EXPECT_EQ((Calls{kPrivilege,
                         "InitiateSystemShutdownEx timeout=0 force=" + std::to_string(force) + " reboot=0 0x80000000"}),
                  power.calls);
    }
}

TEST(LocalActions, ShutdownOnWindows2000PowersOffThroughExitWindows) {
    FakePower power;
    power.version = {5, 0};
    EXPECT_TRUE(CActions(power).Shutdown(true));
    EXPECT_EQ((Calls{kPrivilege, "ExitWindowsEx 0x18 0x80000000"}), power.calls);
    power.calls.clear();
    EXPECT_TRUE(CActions(power).Shutdown(false));
    EXPECT_EQ((Calls{kPrivilege, "ExitWindowsEx 0x8 0x80000000"}), power.calls);
    // Windows XP (5.1) takes the shutdown request like every later version.
    power.version = {5, 1};
    power.calls.clear();
    CActions(power).Shutdown(false);
    EXPECT_EQ("InitiateSystemShutdownEx timeout=0 force=0 reboot=0 0x80000000", power.calls.back());
}

TEST(LocalActions, RestartUsesTheShutdownRequestOnEveryVersion) {
    for (unsigned minor : {0u, 1u}) {
        FakePower power;
        power.version = {5, minor};
        EXPECT_TRUE(CActions(power).Restart(true));
        EXPECT_EQ((Calls{kPrivilege, "InitiateSystemShutdownEx timeout=0 force=1 reboot=1 0x80000000"}), power.calls);
    }
}

TEST(LocalActions, ForceAddsOnlyForceIfHung) {
    FakePower power;
    CActions actions(power);
    actions.PowerOff(true);
    actions.PowerOff(false);
    actions.LogOff(true);
    actions.LogOff(false);
    EXPECT_EQ((Calls{kPrivilege, "ExitWindowsEx 0x18 0x80000000", kPrivilege, "ExitWindowsEx 0x8 0x80000000",
                     "ExitWindowsEx 0x10 0x80000000", "ExitWindowsEx 0x0 0x80000000"}),
              power.calls);
}

TEST(LocalActions, FailedPrivilegeStepStopsEveryPowerCall) {
    FakePower power;
    power.privilegeWorks = false;
    CActions actions(power);
    EXPECT_FALSE(actions.Shutdown(true));
    EXPECT_FALSE(actions.Restart(true));
    EXPECT_FALSE(actions.PowerOff(true));
    EXPECT_FALSE(actions.Hibernate(true));
    EXPECT_FALSE(actions.Standby(true));
    for (const std::string& call : power.calls) {
        EXPECT_TRUE(call == kPrivilege || call == "IsPwrHibernateAllowed" || call == "IsPwrSuspendAllowed")
            << "called without the privilege: " << call;
    }
}

TEST(LocalActions, LogOffLockAndMonitorNeedNoPrivilege) {
    FakePower power;
    power.privilegeWorks = false;
    CActions actions(power);
    EXPECT_TRUE(actions.LogOff(false));
    EXPECT_TRUE(actions.Lock());
    EXPECT_FALSE(actions.MonitorPower(true));  // always false, even when the monitor changed
    EXPECT_FALSE(actions.MonitorPower(false));
    EXPECT_EQ((Calls{"ExitWindowsEx 0x0 0x80000000", "LockWorkStation", "MonitorPower -1", "MonitorPower 2"}),
              power.calls);
}

TEST(LocalActions, SuspensionWhereAllowed) {
    FakePower power;
    CActions actions(power);
    EXPECT_TRUE(actions.Hibernate(true));
    EXPECT_TRUE(actions.Standby(false));
    EXPECT_EQ((Calls{"IsPwrHibernateAllowed", kPrivilege, "SetSuspendState hibernate=1 force=1 disableWake=0",
                     "IsPwrSuspendAllowed", kPrivilege, "SetSuspendState hibernate=0 force=0 disableWake=0"}),
              power.calls);
}

TEST(LocalActions, SuspensionNotAllowedShutsDownAndReportsFalse) {
    FakePower power;
    power.hibernateAllowed = false;
    power.suspendAllowed = false;
    CActions actions(power);
    EXPECT_FALSE(actions.Hibernate(true));
    EXPECT_EQ(
        (Calls{"IsPwrHibernateAllowed", kPrivilege, "InitiateSystemShutdownEx timeout=0 force=1 reboot=0 0x80000000"}),
        power.calls);
    power.calls.clear();
    EXPECT_FALSE(actions.Standby(false));
    EXPECT_EQ(
        (Calls{"IsPwrSuspendAllowed", kPrivilege, "InitiateSystemShutdownEx timeout=0 force=0 reboot=0 0x80000000"}),
        power.calls);
}

TEST(LocalActions, FailedCallsReportFalse) {
    FakePower power;
    power.callsSucceed = false;
    CActions actions(power);
    EXPECT_FALSE(actions.Shutdown(false));
    EXPECT_FALSE(actions.Restart(false));
    EXPECT_FALSE(actions.PowerOff(false));
    EXPECT_FALSE(actions.Hibernate(false));
    EXPECT_FALSE(actions.LogOff(false));
    EXPECT_FALSE(actions.Lock());
}

}  // namespace
}  // namespace velmora
