// Work items of other programs, made straight through the Task Scheduler for the tests that must
// see them left alone.
#pragma once

#include <windows.h>
#include <mstask.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win/Com.h"

namespace velmora::test {

inline void AddForeignWorkItem(const std::u16string& name, const wchar_t* application) {
    ComInit com;
    ComPtr<ITaskScheduler> scheduler;
    ComPtr<ITask> task;
    const auto* wide = reinterpret_cast<const wchar_t*>(name.c_str());
    ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                                scheduler.put_void()));
    ASSERT_HRESULT_SUCCEEDED(
        scheduler->NewWorkItem(wide, CLSID_CTask, IID_ITask, reinterpret_cast<IUnknown**>(task.put())));
    task->SetApplicationName(application);
    task->SetParameters(wide);
    ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(task->QueryInterface(IID_IPersistFile, file.put_void()));
    ASSERT_HRESULT_SUCCEEDED(file->Save(nullptr, TRUE));
}

}  // namespace velmora::test
