// The manager's application object: start-up, the scheduler service check and the main sheet.
#pragma once

#include "manager/win/TaskEditor.h"
#include "manager/win/ManagerContext.h"

namespace velmora {

class CVesperApp {
public:
    // Runs the program; its exit status.
    int Run();

private:
    ManagerContext context_;
    ManagerTaskEditor editor_{context_};
};

}  // namespace velmora
