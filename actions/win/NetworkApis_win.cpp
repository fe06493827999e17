// Sockets, names, share connections, the workstation query, ICMP echo and the ARP table.
#include <winsock2.h>
#include <windows.h>
#include <ipexport.h>
#include <iphlpapi.h>
#include <lm.h>
#include <winnetwk.h>

#include <cstring>

#include "actions/win/SystemApis.h"
#include "model/CodePage.h"
#include "platform/win/SystemFolder.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

Ipv4 FromInAddr(const void* address) {
    Ipv4 result;
    std::memcpy(result.bytes.data(), address, 4);
    return result;
}

// The one name resolution of every seam that needs it.
template <class Api>
class WithSystemResolver : public Api {
public:
    std::optional<Ipv4> ResolveHost(const std::u16string& name) override { return ResolveSystemHost(name); }
};

class SystemDatagram final : public WithSystemResolver<DatagramApi> {
public:
    bool OpenUdpSocket(std::intptr_t& handle, std::uint32_t& error) override {
        UniqueSocket s(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
        if (!s) {
            error = static_cast<std::uint32_t>(::WSAGetLastError());
            return false;
        }
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        if (::bind(s.get(), reinterpret_cast<const sockaddr*>(&any), sizeof any) == SOCKET_ERROR) {
            error = static_cast<std::uint32_t>(::WSAGetLastError());
            return false;
        }
        handle = static_cast<std::intptr_t>(s.release());
        return true;
    }
    bool EnableBroadcast(std::intptr_t handle) override {
        const BOOL on = TRUE;
        return ::setsockopt(static_cast<SOCKET>(handle), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on),
                            sizeof on) == 0;
    }
    std::optional<std::size_t> SendTo(std::intptr_t handle, const std::uint8_t* data, std::size_t size,
                                      const Ipv4& address, std::uint16_t port, int flags,
                                      std::uint32_t& error) override {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        std::memcpy(&to.sin_addr, address.bytes.data(), 4);
        const int sent = ::sendto(static_cast<SOCKET>(handle), reinterpret_cast<const char*>(data),
                                  static_cast<int>(size), flags, reinterpret_cast<const sockaddr*>(&to), sizeof to);
        if (sent == SOCKET_ERROR) {
            error = static_cast<std::uint32_t>(::WSAGetLastError());
            return std::nullopt;
        }
        return static_cast<std::size_t>(sent);
    }
    void Close(std::intptr_t handle) override { ::closesocket(static_cast<SOCKET>(handle)); }
    void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }
};

class SystemRemote final : public WithSystemResolver<RemoteApi> {
public:
    std::uint32_t CancelConnection(const std::u16string& path, std::uint32_t flags, bool force) override {
        return ::WNetCancelConnection2W(W(path), flags, force);
    }
    std::uint32_t AddConnection(const std::u16string& path, const std::u16string* password,
                                const std::u16string* user) override {
        std::u16string remote = path;
        NETRESOURCEW resource{};
        resource.dwScope = RESOURCE_GLOBALNET;
        resource.dwType = RESOURCETYPE_ANY;
        resource.dwDisplayType = RESOURCEDISPLAYTYPE_GENERIC;
        resource.dwUsage = RESOURCEUSAGE_CONNECTABLE;
        resource.lpRemoteName = W(remote);
        return ::WNetAddConnection2W(&resource, password ? W(*password) : nullptr, user ? W(*user) : nullptr, 0);
    }
    std::optional<WindowsVersion> WorkstationVersion(const std::u16string& server) override {
        std::u16string target = server;
        LPBYTE buffer = nullptr;
        const NET_API_STATUS status = ::NetWkstaGetInfo(W(target), 102, &buffer);
        std::optional<WindowsVersion> version;
        if (status == NERR_Success && buffer) {
            const auto* info = reinterpret_cast<const WKSTA_INFO_102*>(buffer);
            version = WindowsVersion{info->wki102_ver_major, info->wki102_ver_minor};
        }
        if (buffer)
            ::NetApiBufferFree(buffer);
        return version;
    }
    std::uint32_t WorkstationStatus(const std::u16string& server) override {
        std::u16string target = server;
        LPBYTE buffer = nullptr;
        const NET_API_STATUS status = ::NetWkstaGetInfo(W(target), 102, &buffer);
        if (buffer)
            ::NetApiBufferFree(buffer);
        return status;
    }
    std::uint32_t InitiateShutdown(const std::u16string& computer, const std::u16string& message,
                                   std::uint32_t timeoutSeconds, bool force, bool reboot,
                                   std::uint32_t reason) override {
        std::u16string machine = computer;
        std::u16string text = message;
        if (::InitiateSystemShutdownExW(W(machine), W(text), timeoutSeconds, force, reboot, reason))
            return 0;
        return ::GetLastError();
    }
};

// icmp.dll, iphlpapi.dll and their entries are looked up by name, so a system without them only
// fails the operation.
class SystemProbe final : public WithSystemResolver<ProbeApi> {
public:
    ~SystemProbe() override {
        CloseEcho();
        UnloadEchoLibrary();
    }
    bool LoadEchoLibrary() override {
        if (!icmp_)
            icmp_.reset(LoadSystemLibrary(L"icmp.dll"));
        return static_cast<bool>(icmp_);
    }
    void UnloadEchoLibrary() override { icmp_.reset(); }
    bool OpenEcho() override {
        if (!icmp_)
            return false;
        create_ = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(::GetProcAddress(icmp_.get(), "IcmpCreateFile")));
        send_ = reinterpret_cast<SendFn>(reinterpret_cast<void*>(::GetProcAddress(icmp_.get(), "IcmpSendEcho")));
        close_ = reinterpret_cast<CloseFn>(reinterpret_cast<void*>(::GetProcAddress(icmp_.get(), "IcmpCloseHandle")));
        if (!create_ || !send_ || !close_)
            return false;
        echo_ = create_();
        if (echo_ == INVALID_HANDLE_VALUE)
            return false;
        buffer_.reset(::GlobalAlloc(GMEM_ZEROINIT, kReplySize));
        if (!buffer_) {
            close_(echo_);
            echo_ = INVALID_HANDLE_VALUE;
            return false;
        }
        return true;
    }
    std::uint32_t SendEcho(const Ipv4& target, unsigned waitMs) override {
        char payload[32];
        std::memset(payload, 'V', sizeof payload);
        IPAddr address;
        std::memcpy(&address, target.bytes.data(), 4);
        const DWORD replies =
            send_(echo_, address, payload, sizeof payload, nullptr, buffer_.get(), kReplySize, waitMs);
        if (replies == 0) {
            // No reply record was written: the buffer may still read as success.
            const DWORD error = ::GetLastError();
            return error != 0 ? error : kIpRequestTimedOut;
        }
        return static_cast<const ICMP_ECHO_REPLY*>(buffer_.get())->Status;
    }
    void CloseEcho() override {
        if (echo_ != INVALID_HANDLE_VALUE && close_)
            close_(echo_);
        echo_ = INVALID_HANDLE_VALUE;
        UnloadEchoLibrary();
        buffer_.reset();
    }
    Ipv4 ConvertAddress(const std::u16string& text) override {
        const std::string narrow = WideToCodePage(text, kSystemCodePage, '?', nullptr);
        const unsigned long address = ::inet_addr(narrow.c_str());
        return FromInAddr(&address);
    }
    std::optional<std::u16string> HostNameOf(const Ipv4& address) override {
        const hostent* host = ::gethostbyaddr(reinterpret_cast<const char*>(address.bytes.data()), 4, AF_INET);
        if (!host || !host->h_name)
            return std::nullopt;
        return CodePageToWide(host->h_name, kSystemCodePage);
    }
    std::optional<std::vector<ArpRow>> ReadArpTable() override {
        UniqueModule library(LoadSystemLibrary(L"Iphlpapi.dll"));
        if (!library)
            return std::nullopt;
        using TableFn = DWORD(WINAPI*)(PMIB_IPNETTABLE, PULONG, BOOL);
        auto read =
            reinterpret_cast<TableFn>(reinterpret_cast<void*>(::GetProcAddress(library.get(), "GetIpNetTable")));
        if (!read)
            return std::nullopt;
        // Room for the entry count and 100 rows; a larger table cannot be read.
        alignas(MIB_IPNETTABLE) std::uint8_t buffer[kArpTableBytes] = {};
        ULONG size = sizeof buffer;
        auto* table = reinterpret_cast<MIB_IPNETTABLE*>(buffer);
        if (read(table, &size, FALSE) != NO_ERROR)
            return std::nullopt;
        std::vector<ArpRow> rows;
        const DWORD count =
            std::min<DWORD>(table->dwNumEntries, (sizeof buffer - sizeof(DWORD)) / sizeof(MIB_IPNETROW));
        for (DWORD i = 0; i < count; ++i) {
            const MIB_IPNETROW& row = table->table[i];
            ArpRow entry{FromInAddr(&row.dwAddr), {}};
            entry.physical.assign(row.bPhysAddr, row.bPhysAddr + std::min<DWORD>(row.dwPhysAddrLen, 8));
            rows.push_back(std::move(entry));
        }
        return rows;
    }
    std::vector<std::uint8_t> SendArp(const Ipv4& target) override {
        UniqueModule library(LoadSystemLibrary(L"Iphlpapi.dll"));
        if (!library)
            return {};
        using ArpFn = DWORD(WINAPI*)(IPAddr, IPAddr, PVOID, PULONG);
        auto request = reinterpret_cast<ArpFn>(reinterpret_cast<void*>(::GetProcAddress(library.get(), "SendARP")));
        if (!request)
            return {};
        std::uint8_t mac[8];
        std::memset(mac, 0xFF, sizeof mac);
        ULONG length = 6;
        IPAddr address;
        std::memcpy(&address, target.bytes.data(), 4);
        if (request(address, 0, mac, &length) != NO_ERROR || length == 0)
            return {};
        return std::vector<std::uint8_t>(mac, mac + std::min<ULONG>(length, sizeof mac));
    }

private:
    using CreateFn = HANDLE(WINAPI*)();
    using SendFn = DWORD(WINAPI*)(HANDLE, IPAddr, LPVOID, WORD, PIP_OPTION_INFORMATION, LPVOID, DWORD, DWORD);
    using CloseFn = BOOL(WINAPI*)(HANDLE);
    // One reply record (40 bytes on x64, 28 on x86), the 32 echoed bytes, and room for an ICMP error.
    static constexpr DWORD kReplySize = sizeof(ICMP_ECHO_REPLY) + 32 + 8 + 16;
    static constexpr std::size_t kArpTableBytes = 2404;

    UniqueModule icmp_;
    HANDLE echo_ = INVALID_HANDLE_VALUE;
    UniqueGlobal buffer_;
    CreateFn create_ = nullptr;
    SendFn send_ = nullptr;
    CloseFn close_ = nullptr;
};

}  // namespace

std::optional<Ipv4> ResolveSystemHost(const std::u16string& name) {
    const std::string narrow = WideToCodePage(name, kSystemCodePage, '?', nullptr);
    const hostent* host = ::gethostbyname(narrow.c_str());
    if (!host || host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0])
        return std::nullopt;
    return FromInAddr(host->h_addr_list[0]);
}

RemoteApi& SystemRemoteApi() {
    static SystemRemote api;
    return api;
}

DatagramApi& SystemDatagramApi() {
    static SystemDatagram api;
    return api;
}

std::unique_ptr<ProbeApi> MakeSystemProbeApi() {
    return std::make_unique<SystemProbe>();
}

}  // namespace velmora
