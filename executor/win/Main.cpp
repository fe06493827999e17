// quenex.exe: runs one task, then ends. No main window.
#include <windows.h>

#include "executor/win/KvApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Nothing may end the executor with a crash report on the user's desktop; the exit status is
    // never examined for the action's result anyway.
    try {
        velmora::CKvApp app;
        return app.Run();
    } catch (...) {
        return 0;
    }
}
