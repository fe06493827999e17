// What the pages of one task sheet (the new-task wizard or a task's properties) share while it is
// open. The record is the editor's own: the task lists never read into it.
#pragma once

#include <string>

#include "model/SecretText.h"
#include "model/TaskParams.h"
#include "scheduler/WorkItem.h"

namespace velmora {

struct EditorState {
    CTaskParams record;
    int action = kActionShutdown;
    TaskKind kind = TaskKind::kLocal;
    bool wizard = false;
    // The account under which a remote task runs.
    bool runOnlyIfLoggedOn = true;
    std::u16string userName;
    SecretText password;
    bool accountChanged = false;
    // The properties of a task that runs under its stored account ("Run only if logon" clear).
    bool accountStored = false;
};

}  // namespace velmora
