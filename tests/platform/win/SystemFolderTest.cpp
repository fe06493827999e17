// Libraries and programs come from the system folder by full path, whatever lies beside the test.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win/SystemFolder.h"
#include "platform/win/Unique.h"

namespace velmora {
namespace {

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

TEST(SystemFolder, LibrariesByNameComeFromTheSystemFolderOnly) {
    const std::wstring folder = SystemFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder + L"\\powercfg.cpl", SystemFilePath(L"powercfg.cpl"));
    // A real library beside the program (built there), the first place a plain load looks, is
    // never taken.
    {
        const UniqueModule plain(::LoadLibraryW(L"velmora-planted.dll"));
        ASSERT_TRUE(plain) << "a plain load takes the planted library: " << ::GetLastError();
        EXPECT_NE(nullptr, ::GetProcAddress(plain.get(), "VelmoraPlanted"));
    }
    const HMODULE bySystemSearch = LoadSystemLibrary(L"velmora-planted.dll");
    const DWORD searchError = ::GetLastError();
    EXPECT_EQ(nullptr, bySystemSearch) << "loaded from " << (bySystemSearch ? ModulePath(bySystemSearch) : L"");
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), searchError);
    const UniqueModule icmp(LoadSystemLibrary(L"icmp.dll"));
    ASSERT_TRUE(icmp);
    const std::wstring loaded = ModulePath(icmp.get());
    EXPECT_EQ(0, ::CompareStringOrdinal(loaded.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                                        static_cast<int>(folder.size()), TRUE) -
                     CSTR_EQUAL)
        << "loaded from " << loaded << ", not " << folder;
}

// A program is started from its full path alone: a bare name is not looked for along the search
// path, and the Windows folder's programs are named by theirs.
TEST(SystemFolder, ProgramsStartByTheirFullPathAlone) {
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(WindowsFilePath(L"hh.exe").c_str()));
    EXPECT_TRUE(StartProgramByPath(SystemFilePath(L"cmd.exe"), L"/c exit"));
    EXPECT_FALSE(StartProgramByPath(L"cmd.exe", L"/c exit")) << "the search path was used";
    EXPECT_FALSE(StartProgramByPath(SystemFilePath(L"velmora-nowhere.exe"), L""));
}

}  // namespace
}  // namespace velmora
