// Where the task files live on Windows: the Windows directory's "Tasks" folder, beside the Task
// Scheduler's work items.
#pragma once

#include <string>

namespace velmora {

std::u16string TaskStoreFolder();

}  // namespace velmora
