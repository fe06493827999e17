// The fixture of the task editor's Wine tests: an owner window for the wizard and the properties
// sheet, the manager's context over the real task store, which is emptied before and after each
// test, and the thread that drives the sheet while the test's thread runs it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "manager/win/ManagerContext.h"
#include "model/win/TaskFolder.h"
#include "platform/win/Com.h"
#include "scheduler/TaskStore.h"
#include "scheduler/win/ScheduledTask.h"
#include "tests/support/win/OwnTasks.h"
#include "tests/support/win/SheetDriver.h"

namespace velmora::test {

class EditorTest : public ::testing::Test {
protected:
    // The tests' own prefix holds no task when a test starts; a test removes only what it made.
    test::OwnTasks own;
    void SetUp() override {
        owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        context.taskFolder = TaskStoreFolder();
        context.messageBox = [this](HWND, const std::wstring& text, UINT) {
            messages.push_back(text);
            return IDOK;
        };
        context.isAdministrator = [] { return true; };
        context.hibernationAllowed = [this] { return hibernation; };
        context.enableHibernation = [] {};
        context.showLog = [this](HWND, const std::u16string& text) { shownLog = text; };
        ASSERT_TRUE(own.before().empty()) << "the Task Scheduler holds tasks no test made: run the tests in their own prefix";
    }
    void TearDown() override {
        driver.Join();
        own.RemoveMade();
        ::DestroyWindow(owner);
    }
    void Drive(std::function<void(HWND sheet)> steps) { driver.Drive(owner, std::move(steps)); }

    ComInit com;
    HWND owner = nullptr;
    ManagerContext context;
    std::vector<std::wstring> messages;  // the message boxes' texts, answered with OK
    bool hibernation = true;
    std::u16string shownLog;
    SheetDriver driver;
};

}  // namespace velmora::test
