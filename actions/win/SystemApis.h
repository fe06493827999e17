// The real calls behind the action engine's seams, on Windows.
#pragma once

#include <memory>

#include "actions/ComputerCheck.h"
#include "actions/GetMac.h"
#include "actions/RemoteApi.h"
#include "actions/WakeOnLan.h"
#include "actions/Wmi.h"

namespace velmora {

// Stateless, shared by every thread.
RemoteApi& SystemRemoteApi();
WmiApi& SystemWmiApi();
DatagramApi& SystemDatagramApi();
PortApi& SystemPortApi();
// gethostbyname: the first IPv4 address of a host name, which goes to the resolver in the ANSI code
// page; what every seam's ResolveHost answers.
std::optional<Ipv4> ResolveSystemHost(const std::u16string& name);
// The probe holds its library and echo handle during an operation: one per CGetMac.
std::unique_ptr<ProbeApi> MakeSystemProbeApi();

}  // namespace velmora
