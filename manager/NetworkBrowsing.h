// Computers from the network: the workgroups and domains that the network provider shows, and the
// names that the directory's query window returns. The provider is a seam.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "manager/CompListLogic.h"
#include "model/TaskParams.h"

namespace velmora {

// One resource as the network provider describes it.
struct NetResource {
    std::uint32_t usage = 0;
    std::uint32_t type = 0;
    std::optional<std::u16string> remoteName;
};
constexpr std::uint32_t kResourceUsageContainer = 2;
constexpr std::uint32_t kResourceTypeAny = 0;

enum class EnumRead { kItems, kNoMore, kFailed };

class NetworkBrowser {
public:
    virtual ~NetworkBrowser() = default;
    // An enumeration of the global network below the workgroup or domain `container`, or of the
    // workgroups and domains themselves when it is empty; 0 when none opens.
    virtual std::intptr_t Open(const std::u16string& container) = 0;
    // The next items of an open enumeration, as many as one read gives.
    virtual EnumRead Read(std::intptr_t enumeration, std::vector<NetResource>& items) = 0;
    virtual void Close(std::intptr_t enumeration) = 0;
    // The local computer's NetBIOS name; empty when unknown.
    virtual std::u16string OwnName() = 0;
    // The first IPv4 address of a name in dotted form; nothing when it does not resolve.
    virtual std::optional<std::u16string> AddressOf(const std::u16string& name) = 0;
    virtual std::u16string MacByArpRequest(const std::u16string& address) = 0;
};

// Every item of one enumeration, read until the provider has no more (one read holds only about
// fifteen items); what came before a failed read is kept.
std::vector<NetResource> ReadEnumeration(NetworkBrowser& browser, const std::u16string& container);

// The computers of every workgroup that the list does not hold yet (`listed`, which takes them).
// One free room counts for the whole command; in each workgroup the resources are counted by their
// position, skipped ones too, up to the room left when the workgroup starts. The local computer is
// left out; for a wakeup task a name that does not resolve is left out and the MAC comes from an
// ARP request.
std::vector<ComputerEntry> BrowseWorkgroups(NetworkBrowser& browser, bool wakeup, int freeRoom, NameSet& listed);

// The computer's name in a directory path: the text between the first "=" and the next ",", or
// the rest of the text when no "," follows.
std::u16string NameOfDirectoryPath(std::u16string_view path);
// The names of the query's result that the list does not hold yet, in order, until the list of
// `listedCount` computers holds 10000.
std::vector<std::u16string> NewDirectoryNames(const std::vector<std::u16string>& paths, NameSet& listed,
                                              int listedCount);

}  // namespace velmora
