// Puts example tasks into the Task Scheduler: "velmora-examples" the local and remote examples for
// lists that have no task yet; "velmora-examples N" adds N popup tasks whatever exists.
#include <windows.h>

#include <cstdio>
#include <string>

#include "examples/ExampleTasks.h"
#include "platform/win/Com.h"

int wmain(int argc, wchar_t** argv) {
    const velmora::ComInit com;
    if (argc > 1)
        return velmora::MakePopupTasks(_wtoi(argv[1])) ? 0 : 1;
    std::string report;
    const bool made = velmora::MakeExampleTasks(report);
    std::fputs(report.c_str(), stdout);
    return made ? 0 : 1;
}
