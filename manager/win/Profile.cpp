// Registry values of the manager's profile.
#include "manager/win/Profile.h"

#include <windows.h>

#include "platform/win/Unique.h"

namespace velmora {

Profile::Profile(std::wstring company, std::wstring program)
    : company_(std::move(company)), program_(std::move(program)) {}

std::wstring Profile::KeyPath(const std::wstring& section) const {
    return L"Software\\" + company_ + L"\\" + program_ + L"\\" + section;
}

std::optional<std::vector<std::uint8_t>> Profile::ReadBinary(const std::wstring& section,
                                                             const std::wstring& entry) const {
    UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, KeyPath(section).c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), entry.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_BINARY)
        return std::nullopt;
    std::vector<std::uint8_t> value(size);
    if (::RegQueryValueExW(key.get(), entry.c_str(), nullptr, &type, value.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(size);
    return value;
}

bool Profile::WriteBinary(const std::wstring& section, const std::wstring& entry,
                          const std::vector<std::uint8_t>& value) const {
    UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(key.get(), entry.c_str(), 0, REG_BINARY, value.data(), static_cast<DWORD>(value.size())) ==
           ERROR_SUCCESS;
}

std::optional<std::uint32_t> Profile::ReadNumber(const std::wstring& section, const std::wstring& entry) const {
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, KeyPath(section).c_str(), entry.c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool Profile::WriteNumber(const std::wstring& section, const std::wstring& entry, std::uint32_t value) const {
    UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, KeyPath(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                          nullptr) != ERROR_SUCCESS)
        return false;
    const DWORD number = value;
    return ::RegSetValueExW(key.get(), entry.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                            sizeof number) == ERROR_SUCCESS;
}

}  // namespace velmora
