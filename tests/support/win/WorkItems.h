// Work items of other programs, made straight through the Task Scheduler for the tests that must
// see them left alone.
#pragma once

#include <windows.h>
#include <mstask.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/Com.h"
#include "platform/win/WideText.h"

namespace velmora::test {

inline void AddForeignWorkItem(const std::u16string& name, const wchar_t* application) {
    ComInit com;
    ComPtr<ITaskScheduler> scheduler;
    ComPtr<ITask> task;
    ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                                scheduler.put_void()));
    ASSERT_HRESULT_SUCCEEDED(
        scheduler->NewWorkItem(W(name), CLSID_CTask, IID_ITask, reinterpret_cast<IUnknown**>(task.put())));
    task->SetApplicationName(application);
    task->SetParameters(W(name));
    ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(task->QueryInterface(IID_IPersistFile, file.put_void()));
    ASSERT_HRESULT_SUCCEEDED(file->Save(nullptr, TRUE));
}

// A stored work item, read straight from the scheduler; empty when it cannot be activated.
struct StoredWorkItem {
    std::wstring application, parameters;
    DWORD flags = 0;
    DWORD maxRunTime = 0;
    std::vector<TASK_TRIGGER> triggers;
};

inline StoredWorkItem ReadStoredWorkItem(const std::u16string& bareName) {
    StoredWorkItem stored;
    ComInit com;
    ComPtr<ITaskScheduler> scheduler;
    ComPtr<ITask> task;
    EXPECT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                                scheduler.put_void()));
    if (scheduler) {
        EXPECT_HRESULT_SUCCEEDED(scheduler->Activate(W(bareName), IID_ITask, reinterpret_cast<IUnknown**>(task.put())));
    }
    if (!task)
        return stored;
    CoTaskMemString application, parameters;
    if (SUCCEEDED(task->GetApplicationName(application.put())))
        stored.application = ToWide(application.str());
    if (SUCCEEDED(task->GetParameters(parameters.put())))
        stored.parameters = ToWide(parameters.str());
    task->GetFlags(&stored.flags);
    task->GetMaxRunTime(&stored.maxRunTime);
    WORD count = 0;
    task->GetTriggerCount(&count);
    for (WORD i = 0; i < count; ++i) {
        ComPtr<ITaskTrigger> trigger;
        TASK_TRIGGER t{};
        t.cbTriggerSize = sizeof t;
        if (SUCCEEDED(task->GetTrigger(i, trigger.put())) && SUCCEEDED(trigger->GetTrigger(&t)))
            stored.triggers.push_back(t);
    }
    return stored;
}

}  // namespace velmora::test
