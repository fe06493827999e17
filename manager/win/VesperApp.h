// The manager's application object: start-up, the scheduler service check and the main sheet.
#pragma once

#include "manager/win/TaskEditor.h"
#include "manager/win/ManagerContext.h"

#include <exception>
#include <string>

namespace velmora {

// What the user is told of an operation stopped by an exception.
std::wstring FailureText(const std::exception* failure);

class CVesperApp {
public:
    // Runs the program; its exit status.
    int Run();

private:
    ManagerContext context_;
    ManagerTaskEditor editor_{context_};
};

}  // namespace velmora
