// The socket probes of a computer's check: a TCP connection with a short wait and a datagram's
// route, each socket closed before the call returns.
#include <winsock2.h>
#include <windows.h>

#include <cstring>

#include "actions/win/SystemApis.h"
#include "platform/win/Unique.h"

namespace velmora {
namespace {

sockaddr_in SocketAddress(const Ipv4& address, std::uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = ::htons(port);
    std::memcpy(&to.sin_addr, address.bytes.data(), 4);
    return to;
}

std::uint32_t LastSocketError() {
    const int error = ::WSAGetLastError();
    return error != 0 ? static_cast<std::uint32_t>(error) : static_cast<std::uint32_t>(WSAEINVAL);
}

class SystemPorts final : public PortApi {
public:
    std::uint32_t ConnectPort(const Ipv4& address, std::uint16_t port, unsigned waitMs) override {
        UniqueSocket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (!s)
            return LastSocketError();
        // Without blocking, so the wait is ours and not the system's connection time-out.
        u_long nonBlocking = 1;
        if (::ioctlsocket(s.get(), FIONBIO, &nonBlocking) != 0)
            return LastSocketError();
        const sockaddr_in to = SocketAddress(address, port);
        if (::connect(s.get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0)
            return 0;  // a loopback connection may be made at once
        if (::WSAGetLastError() != WSAEWOULDBLOCK)
            return LastSocketError();  // a loopback refusal may come at once, too
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s.get(), &writable);
        FD_SET(s.get(), &failed);
        timeval wait{static_cast<long>(waitMs / 1000), static_cast<long>(waitMs % 1000) * 1000};
        const int ready = ::select(0, nullptr, &writable, &failed, &wait);
        if (ready == SOCKET_ERROR)
            return LastSocketError();
        if (ready == 0)
            return WSAETIMEDOUT;
        // A refusal shows as a failed set on Windows and as a writable one with its error elsewhere.
        int error = 0;
        int size = sizeof error;
        if (::getsockopt(s.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) != 0)
            return LastSocketError();
        if (error == 0 && FD_ISSET(s.get(), &failed))
            return WSAECONNREFUSED;
        return static_cast<std::uint32_t>(error);
    }
    std::uint32_t CanSendTo(const Ipv4& address, std::uint16_t port) override {
        UniqueSocket s(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
        if (!s)
            return LastSocketError();
        const BOOL on = TRUE;
        if (::setsockopt(s.get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on) != 0)
            return LastSocketError();
        // Connecting a datagram socket only picks its route: nothing goes on the wire.
        const sockaddr_in to = SocketAddress(address, port);
        if (::connect(s.get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0)
            return LastSocketError();
        return 0;
    }
};

}  // namespace

PortApi& SystemPortApi() {
    static SystemPorts api;
    return api;
}

}  // namespace velmora
