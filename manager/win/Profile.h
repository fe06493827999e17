// The manager's settings in the current user's registry: Software\<company>\<program>\<section>.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

class Profile {
public:
    Profile(std::wstring company, std::wstring program);

    std::optional<std::vector<std::uint8_t>> ReadBinary(const std::wstring& section, const std::wstring& entry) const;
    bool WriteBinary(const std::wstring& section, const std::wstring& entry,
                     const std::vector<std::uint8_t>& value) const;
    std::optional<std::uint32_t> ReadNumber(const std::wstring& section, const std::wstring& entry) const;
    bool WriteNumber(const std::wstring& section, const std::wstring& entry, std::uint32_t value) const;
    std::wstring KeyPath(const std::wstring& section) const;

private:
    std::wstring company_, program_;
};

}  // namespace velmora
