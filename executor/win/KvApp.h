// The executor's application object: console, start-up and the choice of mode.
#pragma once

#include <optional>
#include <string>

namespace velmora {

class CKvApp {
public:
    // Attaches to the console of the parent process, so the usage text reaches it.
    CKvApp();
    // The whole life of the process; returns the exit status.
    int Run();

    // The program's own name without path and ".exe".
    static std::u16string ProgramName();
    static std::optional<std::u16string> Argument();
};

}  // namespace velmora
