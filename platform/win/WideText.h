// Texts at the boundary of the Windows API: wchar_t is 16 bits there, so the system's wide texts and
// the std::u16string of the portable code are the same units, and a reinterpret is the conversion.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Windows API's wide texts are UTF-16");

// The text as the wide functions take it; valid while `text` lives unchanged.
inline const wchar_t* W(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
// For the functions declared to take a writable text: the caller's own copy.
inline wchar_t* W(std::u16string& text) {
    return reinterpret_cast<wchar_t*>(text.data());
}

// A text the system wrote: up to its terminating zero (none for a null pointer), or `length` units.
inline std::u16string FromWide(const wchar_t* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}
inline std::u16string FromWide(const wchar_t* text, std::size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}
inline std::u16string FromWide(std::wstring_view text) {
    return FromWide(text.data(), text.size());
}
// A copy of its own, for the calls that keep or change the text they are given.
inline std::wstring ToWide(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

}  // namespace velmora
