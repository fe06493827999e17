// quenex.exe: runs one task, then ends. No main window.
#include <windows.h>

#include "executor/win/KvApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    velmora::CKvApp app;
    return app.Run();
}
