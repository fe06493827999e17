// The Windows calls behind a remote shutdown: the administrative share connection, the workstation
// query, name resolution and the shutdown request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "actions/Network.h"
#include "actions/PowerApi.h"

namespace velmora {

constexpr std::uint32_t kConnectUpdateProfile = 1;

class RemoteApi : public HostResolver {
public:
    virtual ~RemoteApi() = default;
    // WNetCancelConnection2W.
    virtual std::uint32_t CancelConnection(const std::u16string& path, std::uint32_t flags, bool force) = 0;
    // WNetAddConnection2W to a global, connectable resource of any type, no local name, flags 0.
    // Absent user and password (nullptr) mean the current logon's credentials.
    virtual std::uint32_t AddConnection(const std::u16string& path, const std::u16string* password,
                                        const std::u16string* user) = 0;
    // NetWkstaGetInfo at level 102: the remote system's version when the query succeeds.
    virtual std::optional<WindowsVersion> WorkstationVersion(const std::u16string& server) = 0;
    // The same query's own status: 0 when it answered, else the system's code.
    virtual std::uint32_t WorkstationStatus(const std::u16string& server) = 0;
    // InitiateSystemShutdownExW to a remote computer: 0, or the error of the request.
    virtual std::uint32_t InitiateShutdown(const std::u16string& computer, const std::u16string& message,
                                           std::uint32_t timeoutSeconds, bool force, bool reboot,
                                           std::uint32_t reason) = 0;
};

}  // namespace velmora
