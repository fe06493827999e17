// Workgroups and the directory search over the network provider's seam.
#include "manager/NetworkBrowsing.h"

#include "model/Text.h"

namespace velmora {

std::vector<NetResource> ReadEnumeration(NetworkBrowser& browser, const std::u16string& container) {
    std::vector<NetResource> items;
    const std::intptr_t enumeration = browser.Open(container);
    if (!enumeration)
        return items;
    for (;;) {
        std::vector<NetResource> read;
        const EnumRead status = browser.Read(enumeration, read);
        items.insert(items.end(), read.begin(), read.end());
        if (status != EnumRead::kItems || read.empty())
            break;
    }
    browser.Close(enumeration);
    return items;
}

namespace {

bool IsContainer(const NetResource& resource) {
    return resource.remoteName && resource.usage == kResourceUsageContainer && resource.type == kResourceTypeAny;
}

}  // namespace

std::vector<ComputerEntry> BrowseWorkgroups(NetworkBrowser& browser, bool wakeup, int freeRoom, NameSet& listed) {
    std::vector<ComputerEntry> found;
    int room = freeRoom > 0 ? freeRoom : 0;
    if (room == 0)
        return found;
    const std::u16string own = FoldedCase(browser.OwnName());
    for (const NetResource& workgroup : ReadEnumeration(browser, u"")) {
        if (room == 0)
            break;
        if (!IsContainer(workgroup))
            continue;
        const int limit = room;
        const std::vector<NetResource> resources = ReadEnumeration(browser, *workgroup.remoteName);
        for (std::size_t position = 0; position < resources.size(); ++position) {
            const NetResource& resource = resources[position];
            if (!IsContainer(resource))
                continue;
            if (position >= static_cast<std::size_t>(limit))
                break;
            std::u16string name = *resource.remoteName;
            if (name.starts_with(u"\\\\"))
                name.erase(0, 2);
            if (name.empty() || (!own.empty() && FoldedCase(name) == own) || listed.Contains(name))
                continue;
            ComputerEntry entry;
            entry[kTextName] = name;
            if (wakeup) {
                const std::optional<std::u16string> address = browser.AddressOf(name);
                if (!address)
                    continue;
                entry[kTextMac] = browser.MacByArpRequest(*address);
            }
            listed.Insert(name);
            found.push_back(std::move(entry));
            --room;
        }
    }
    return found;
}

std::u16string NameOfDirectoryPath(std::u16string_view path) {
    const std::size_t equals = path.find(u'=');
    if (equals == std::u16string_view::npos)
        return {};
    const std::u16string_view rest = path.substr(equals + 1);
    return std::u16string(rest.substr(0, rest.find(u',')));
}

std::vector<std::u16string> NewDirectoryNames(const std::vector<std::u16string>& paths, NameSet& listed,
                                              int listedCount) {
    std::vector<std::u16string> names;
    int count = listedCount;
    for (const std::u16string& path : paths) {
        if (count >= kComputerLimit)
            break;
        std::u16string name = NameOfDirectoryPath(path);
        if (name.empty() || !listed.Insert(name))
            continue;
        names.push_back(std::move(name));
        ++count;
    }
    return names;
}

}  // namespace velmora
