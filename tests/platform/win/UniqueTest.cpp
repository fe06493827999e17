// The handle owners: each kind is closed by its own function, exactly once, and closing leaves the
// thread's last error as the failed call set it.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/win/Unique.h"
#include "tests/support/win/Winsock.h"

namespace velmora {
namespace {

VELMORA_TEST_USES_WINSOCK;

// Counts its closes and, like many close functions, overwrites the last error.
struct CountingTraits {
    using Type = int;
    static inline int closes = 0;
    static Type Invalid() { return 0; }
    static void Close(Type) {
        ++closes;
        ::SetLastError(ERROR_INVALID_HANDLE);
    }
};
using UniqueCounted = Unique<CountingTraits>;

TEST(Unique, ClosingKeepsTheLastErrorOnEveryPath) {
    const std::pair<const char*, std::function<void()>> paths[] = {
        {"reset", [] { UniqueCounted(7).reset(); }},
        {"reset to another", [] { UniqueCounted(7).reset(8); }},
        {"destructor", [] { UniqueCounted owner(7); }},
        {"move assignment",
         [] {
             UniqueCounted owner(7);
             owner = UniqueCounted(8);
         }},
        {"put",
         [] {
             UniqueCounted owner(7);
             *owner.put() = 8;
         }},
    };
    for (const auto& [name, path] : paths) {
        CountingTraits::closes = 0;
        ::SetLastError(ERROR_ACCESS_DENIED);
        path();
        EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), ::GetLastError()) << name;
        EXPECT_LE(1, CountingTraits::closes) << name;
    }
}

TEST(Unique, EachValueIsClosedOnceWhateverItsOwnerDoes) {
    CountingTraits::closes = 0;
    {
        UniqueCounted first(7);
        UniqueCounted second(std::move(first));
        EXPECT_FALSE(first);
        first = std::move(second);
        EXPECT_EQ(0, CountingTraits::closes);
        UniqueCounted empty;
        empty.reset();
        EXPECT_EQ(0, CountingTraits::closes);
        UniqueCounted released(9);
        EXPECT_EQ(9, released.release());
    }
    EXPECT_EQ(1, CountingTraits::closes);  // the 7 alone: the 9 was released
}

// One object of each kind, which the system knows until its owner closes it.
template <class Owner>
void ExpectClosedByItsOwner(const char* kind, Owner owner, const std::function<bool(typename Owner::Type)>& alive) {
    ASSERT_TRUE(owner) << kind;
    const typename Owner::Type value = owner.get();
    EXPECT_TRUE(alive(value)) << kind;
    owner.reset();
    EXPECT_FALSE(owner) << kind;
    EXPECT_FALSE(alive(value)) << kind << " is still open";
}

TEST(Unique, EveryKindIsClosedByItsOwnFunction) {
    ExpectClosedByItsOwner("event", UniqueHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), [](HANDLE h) {
        DWORD flags = 0;
        return ::GetHandleInformation(h, &flags) != FALSE;
    });
    ExpectClosedByItsOwner("module", UniqueModule(::LoadLibraryW(L"icmp.dll")),
                           [](HMODULE) { return ::GetModuleHandleW(L"icmp.dll") != nullptr; });
    ExpectClosedByItsOwner("service manager", UniqueService(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)),
                           [](SC_HANDLE h) {
                               const SC_HANDLE service = ::OpenServiceW(h, L"Schedule", SERVICE_QUERY_STATUS);
                               const bool known = service != nullptr || ::GetLastError() != ERROR_INVALID_HANDLE;
                               if (service)
                                   ::CloseServiceHandle(service);
                               return known;
                           });
    ExpectClosedByItsOwner("socket", UniqueSocket(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)), [](SOCKET s) {
        int type = 0;
        int size = sizeof type;
        return ::getsockopt(s, SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &size) == 0;
    });
    ExpectClosedByItsOwner("local memory", UniqueLocal(::LocalAlloc(LMEM_MOVEABLE, 16)),
                           [](HLOCAL h) { return ::LocalFlags(h) != LMEM_INVALID_HANDLE; });
    ExpectClosedByItsOwner("global memory", UniqueGlobal(::GlobalAlloc(GMEM_MOVEABLE, 16)),
                           [](HGLOBAL h) { return ::GlobalFlags(h) != GMEM_INVALID_HANDLE; });
    HKEY software = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &software));
    ExpectClosedByItsOwner("registry key", UniqueRegKey(software), [](HKEY h) {
        DWORD subkeys = 0;
        return ::RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr) == ERROR_SUCCESS;
    });
    ExpectClosedByItsOwner("menu", UniqueMenu(::CreatePopupMenu()), [](HMENU h) { return ::IsMenu(h) != FALSE; });
    ExpectClosedByItsOwner("image list", UniqueImageList(::ImageList_Create(16, 16, ILC_COLOR32, 1, 1)),
                           [](HIMAGELIST h) {
                               int width = 0, height = 0;
                               return ::ImageList_GetIconSize(h, &width, &height) != FALSE;
                           });
    ExpectClosedByItsOwner("brush", UniqueGdi<HBRUSH>(::CreateSolidBrush(RGB(1, 2, 3))),
                           [](HBRUSH h) { return ::GetObjectType(h) == OBJ_BRUSH; });
    ExpectClosedByItsOwner("memory device context", UniqueMemoryDc(::CreateCompatibleDC(nullptr)),
                           [](HDC h) { return ::GetObjectType(h) == OBJ_MEMDC; });
    ExpectClosedByItsOwner("icon", UniqueIcon(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION))), [](HICON h) {
        ICONINFO info{};
        if (!::GetIconInfo(h, &info))
            return false;
        UniqueGdi<HBITMAP> mask(info.hbmMask), colour(info.hbmColor);
        return true;
    });
}

TEST(Unique, StartedProcessHandlesAreClosedTogether) {
    PROCESS_INFORMATION started{};
    started.hProcess = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    started.hThread = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(started.hProcess && started.hThread);
    { const ProcessHandles owner(started); }
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(started.hProcess, &flags));
    EXPECT_FALSE(::GetHandleInformation(started.hThread, &flags));
}

}  // namespace
}  // namespace velmora
