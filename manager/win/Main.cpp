// Velmora.exe: the manager of the scheduled power tasks.
#include <windows.h>

#include "manager/win/VesperApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        velmora::CVesperApp app;
        return app.Run();
    } catch (...) {
        return 1;
    }
}
