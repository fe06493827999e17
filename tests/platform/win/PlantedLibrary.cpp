// A real library that sits beside platform_win_tests.exe, the first place a plain load by name
// looks: the library-loading test shows that a plain load takes it and ours never does.
extern "C" __declspec(dllexport) int VelmoraPlanted() {
    return 1;
}
