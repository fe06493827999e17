// Programs that do nothing: the baselines for the executor's start-up cost. The graphical one loads
// the window manager's library, as every program with a window does; the plain one does not.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
#ifdef TRIVIAL_WITH_USER32
    ::GetSystemMetrics(SM_CXSCREEN);
#endif
    return 0;
}
