// The Task Scheduler's own service, "Schedule", as the manager checks it at start-up.
#pragma once

#include "scheduler/TaskStore.h"

namespace velmora {

class SchedulerServiceCalls : public ServiceCalls {
public:
    std::optional<ServiceState> QuerySchedulerService() override;
    bool StartSchedulerService() override;
};

}  // namespace velmora
