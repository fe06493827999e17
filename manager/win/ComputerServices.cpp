// The system's services behind the computer list page: the action engine per operation, threads
// that nobody waits for, Windows networking, the directory query window and the computer browser.
#include <winsock2.h>
#include <windows.h>
#include <shlobj.h>
#include <objbase.h>
#include <cmnquery.h>
#include <dsquery.h>
#include <winnetwk.h>

#include "manager/win/ComputerServices.h"

#include <system_error>
#include <thread>

#include "actions/Actions.h"
#include "actions/GetMac.h"
#include "actions/win/SystemApis.h"
#include "platform/win/Com.h"
#include "platform/win/ResourceText.h"
#include "platform/win/SystemMessage.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

// Windows Sockets for one operation; the system counts starts and stops.
class SocketsSession {
public:
    explicit SocketsSession(WORD version = MAKEWORD(2, 2)) {
        WSADATA data;
        started_ = ::WSAStartup(version, &data) == 0;
    }
    ~SocketsSession() {
        if (started_)
            ::WSACleanup();
    }
    SocketsSession(const SocketsSession&) = delete;
    SocketsSession& operator=(const SocketsSession&) = delete;

private:
    bool started_ = false;
};

CActions RemoteActions() {
    return CActions(SystemPowerApi(), RemoteSeams{&SystemRemoteApi(), &SystemWmiApi(), &SystemDatagramApi()});
}

class SystemOperations : public ComputerOperations {
public:
    std::uint32_t RemoteShutdown(const RemoteShutdownRequest& request) override {
        SocketsSession sockets;
        return RemoteActions().RemoteShutdown(request);
    }
    HResult WmiCreateProcess(const std::u16string& computer, const std::u16string& user, const std::u16string& password,
                             const std::u16string& commandLine) override {
        return RemoteActions().WmiCreateProcess(computer, user, password, commandLine);
    }
    HResult WmiShutdown(const std::u16string& computer, const std::u16string& user, const std::u16string& password,
                        std::int32_t flags) override {
        return RemoteActions().WmiShutdown(computer, user, password, flags);
    }
    bool Ping(const std::u16string& host, int attempts) override {
        SocketsSession sockets;
        const std::unique_ptr<ProbeApi> api = MakeSystemProbeApi();
        return CGetMac(*api).Ping(host, attempts);
    }
    Probe ProbeHost(const std::u16string& address, int attempts) override {
        SocketsSession sockets;
        const std::unique_ptr<ProbeApi> api = MakeSystemProbeApi();
        CGetMac probe(*api);
        Probe result;
        result.answered = probe.ProbeHost(address, attempts);
        result.hostName = probe.HostName();
        result.mac = probe.MacText();
        return result;
    }
    std::u16string GetMacByName(const std::u16string& name) override {
        SocketsSession sockets;
        const std::unique_ptr<ProbeApi> api = MakeSystemProbeApi();
        return CGetMac(*api).GetMacByName(name);
    }
    std::uint32_t WakeOnLan(const std::u16string& mac, const std::u16string& password, const std::u16string& broadcast,
                            const std::u16string& port) override {
        SocketsSession sockets;
        return RemoteActions().WakeOnLan(mac, password, broadcast, port);
    }
    CheckResult Check(const std::u16string& computer, const std::u16string& user,
                      const std::u16string& password) override {
        SocketsSession sockets;
        const std::unique_ptr<ProbeApi> probe = MakeSystemProbeApi();
        return CheckComputer({probe.get(), &SystemPortApi(), &SystemRemoteApi(), &SystemWmiApi()}, computer, user,
                             password);
    }
    CheckResult CheckWakeUp(const std::u16string& mac, const std::u16string& broadcast,
                            const std::u16string& port) override {
        SocketsSession sockets;
        const std::unique_ptr<ProbeApi> probe = MakeSystemProbeApi();
        return velmora::CheckWakeUp({probe.get(), &SystemPortApi(), nullptr, nullptr}, mac, broadcast, port);
    }
    std::u16string StringText(int id) override { return FromWide(LoadText(id)); }
    std::u16string MessageText(std::uint32_t code) override { return SystemMessageText(code); }
    void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }
};

class DetachedLauncher : public WorkerLauncher {
public:
    // The C++ runtime keeps no system code for a thread that did not start; on Windows that is a
    // thread whose stack could not be had.
    std::uint32_t Launch(std::function<void()> job) override {
        try {
            std::thread(std::move(job)).detach();
            return 0;
        } catch (const std::system_error&) {
            return kErrorNotEnoughMemory;
        }
    }
};

constexpr wchar_t kWindowsNetwork[] = L"Microsoft Windows Network";

class SystemNetwork : public NetworkBrowser {
public:
    std::intptr_t Open(const std::u16string& container) override {
        std::wstring name = ToWide(container);
        std::wstring provider = kWindowsNetwork;
        NETRESOURCEW resource{};
        resource.dwScope = RESOURCE_GLOBALNET;
        resource.dwType = RESOURCETYPE_ANY;
        resource.dwDisplayType = RESOURCEDISPLAYTYPE_DOMAIN;
        resource.dwUsage = RESOURCEUSAGE_CONTAINER;
        resource.lpRemoteName = container.empty() ? nullptr : name.data();
        resource.lpProvider = provider.data();
        HANDLE enumeration = nullptr;
        if (::WNetOpenEnumW(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEUSAGE_CONTAINER, &resource, &enumeration) !=
            NO_ERROR)
            return 0;
        return reinterpret_cast<std::intptr_t>(enumeration);
    }
    EnumRead Read(std::intptr_t enumeration, std::vector<NetResource>& items) override {
        std::vector<unsigned char> buffer(16384);
        for (;;) {
            DWORD count = 0xFFFFFFFF;
            DWORD size = static_cast<DWORD>(buffer.size());
            const DWORD status =
                ::WNetEnumResourceW(reinterpret_cast<HANDLE>(enumeration), &count, buffer.data(), &size);
            if (status == ERROR_NO_MORE_ITEMS)
                return EnumRead::kNoMore;
            if (status == ERROR_MORE_DATA && size > buffer.size()) {
                buffer.resize(size);  // not even one resource fitted
                continue;
            }
            if (status != NO_ERROR)
                return EnumRead::kFailed;
            const auto* resources = reinterpret_cast<const NETRESOURCEW*>(buffer.data());
            for (DWORD i = 0; i < count; ++i) {
                NetResource item;
                item.usage = resources[i].dwUsage;
                item.type = resources[i].dwType;
                if (resources[i].lpRemoteName)
                    item.remoteName = FromWide(resources[i].lpRemoteName);
                items.push_back(std::move(item));
            }
            return EnumRead::kItems;
        }
    }
    void Close(std::intptr_t enumeration) override { ::WNetCloseEnum(reinterpret_cast<HANDLE>(enumeration)); }
    std::u16string OwnName() override {
        wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
        if (!::GetComputerNameW(name, &size))
            return {};
        return FromWide(name, size);
    }
    std::optional<std::u16string> AddressOf(const std::u16string& name) override {
        SocketsSession sockets(MAKEWORD(1, 1));
        const std::optional<Ipv4> address = ResolveSystemHost(name);
        if (!address)
            return std::nullopt;
        return DottedText(*address);
    }
    std::u16string MacByArpRequest(const std::u16string& address) override {
        SocketsSession sockets;
        const std::unique_ptr<ProbeApi> api = MakeSystemProbeApi();
        return GetMacByArpRequest(*api, address);
    }
};

// The identifiers of the directory's query window, as the directory service defines them.
constexpr CLSID kCommonQuery = {0x83bc5ec0, 0x6f2a, 0x11d0, {0xa1, 0xc4, 0x00, 0xaa, 0x00, 0xc1, 0x6e, 0x65}};
constexpr IID kICommonQuery = {0xab50dec0, 0x6f1d, 0x11d0, {0xa1, 0xc4, 0x00, 0xaa, 0x00, 0xc1, 0x6e, 0x65}};
constexpr CLSID kDsQuery = {0x8a23e65e, 0x31c2, 0x11d0, {0x89, 0x1c, 0x00, 0xa0, 0x24, 0xab, 0x2d, 0xbb}};
constexpr CLSID kDsFindComputer = {0x16006700, 0x87ad, 0x11d0, {0x91, 0x40, 0x00, 0xaa, 0x00, 0xc1, 0x6e, 0x65}};

// The "DsObjectNames" clipboard format's block.
struct DirectoryObject {
    DWORD flags;
    DWORD providerFlags;
    DWORD nameOffset;
    DWORD classOffset;
};
struct DirectoryObjectNames {
    CLSID nameSpace;
    UINT count;
    DirectoryObject objects[1];
};

std::vector<std::u16string> PickFromDirectory(HWND owner) {
    std::vector<std::u16string> paths;
    ComPtr<ICommonQuery> query;
    if (FAILED(::CoCreateInstance(kCommonQuery, nullptr, CLSCTX_INPROC_SERVER, kICommonQuery, query.put_void())))
        return paths;
    // The sizes are this platform's own, not those of 32-bit Windows.
    DSQUERYINITPARAMS handlerParameters{};
    handlerParameters.cbStruct = sizeof handlerParameters;
    OPENQUERYWINDOW window{};
    window.cbStruct = sizeof window;
    window.dwFlags = OQWF_OKCANCEL | OQWF_DEFAULTFORM | OQWF_REMOVEFORMS | OQWF_HIDEMENUS;
    window.clsidHandler = kDsQuery;
    window.pHandlerParameters = &handlerParameters;
    window.clsidDefaultForm = kDsFindComputer;
    ComPtr<IDataObject> data;
    if (query->OpenQueryWindow(owner, &window, data.put()) != S_OK || !data)
        return paths;
    FORMATETC format{};
    format.cfFormat = static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"DsObjectNames"));
    format.dwAspect = DVASPECT_CONTENT;
    format.lindex = -1;
    format.tymed = TYMED_HGLOBAL;
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&format, &medium)))
        return paths;
    const SIZE_T size = ::GlobalSize(medium.hGlobal);
    if (const auto* names = static_cast<const DirectoryObjectNames*>(::GlobalLock(medium.hGlobal))) {
        const auto* base = reinterpret_cast<const unsigned char*>(names);
        for (UINT i = 0; i < names->count; ++i) {
            const std::size_t entry = offsetof(DirectoryObjectNames, objects) + (i + 1) * sizeof(DirectoryObject);
            if (entry > size)
                break;
            const DWORD offset = names->objects[i].nameOffset;
            if (offset >= size)
                continue;
            // The path ends at its NUL or at the end of the block.
            const auto* path = reinterpret_cast<const char16_t*>(base + offset);
            const std::size_t room = (size - offset) / sizeof(char16_t);
            std::size_t length = 0;
            while (length < room && path[length])
                ++length;
            paths.emplace_back(path, length);
        }
        ::GlobalUnlock(medium.hGlobal);
    }
    ::ReleaseStgMedium(&medium);
    return paths;
}

std::u16string BrowseForComputer(HWND owner) {
    // Item lists of the shell go back to the shell's allocator, COM's task allocator.
    UniqueCoTaskMem<PIDLIST_ABSOLUTE> root;
    if (FAILED(::SHGetSpecialFolderLocation(owner, CSIDL_NETWORK, root.put())))
        return {};
    wchar_t name[MAX_PATH] = {};
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pidlRoot = root.get();
    browse.pszDisplayName = name;
    browse.ulFlags = BIF_BROWSEFORCOMPUTER;
    const UniqueCoTaskMem<PIDLIST_ABSOLUTE> chosen(::SHBrowseForFolderW(&browse));
    return chosen ? FromWide(name) : std::u16string();
}

}  // namespace

bool ProfileChoice::Read() {
    return profile_.ReadNumber(L"Settings", entry_).value_or(0) != 0;
}

void ProfileChoice::Write(bool on) {
    profile_.WriteNumber(L"Settings", entry_, on ? 1 : 0);
}

ComputerServices SystemComputerServices() {
    ComputerServices services;
    services.operations = std::make_shared<SystemOperations>();
    services.launcher = std::make_shared<DetachedLauncher>();
    services.network = std::make_shared<SystemNetwork>();
    services.pickFromDirectory = PickFromDirectory;
    services.browseForComputer = BrowseForComputer;
    services.fastChecks = std::make_shared<ProfileChoice>(Profile(L"Corvane", L"Velmora"), kFastChecksEntry);
    return services;
}

}  // namespace velmora
