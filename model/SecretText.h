// A secret text, such as an account's password: every buffer it ever used is overwritten before it
// goes, so no copy of the secret outlives its use in memory.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace velmora {

// Overwrites memory in a way the compiler may not leave out as a dead store.
inline void WipeMemory(void* memory, std::size_t bytes) {
    volatile unsigned char* units = static_cast<unsigned char*>(memory);
    for (std::size_t i = 0; i < bytes; ++i)
        units[i] = 0;
}

// Wipes a plain string's characters when it goes: for the few copies of a whole task file, whose
// computers' passwords are in it.
template <class String>
class WipedWhenGone {
public:
    explicit WipedWhenGone(String& text) : text_(text) {}
    WipedWhenGone(const WipedWhenGone&) = delete;
    WipedWhenGone& operator=(const WipedWhenGone&) = delete;
    ~WipedWhenGone() { WipeMemory(text_.data(), text_.size() * sizeof(typename String::value_type)); }

private:
    String& text_;
};

// An allocator whose every block is wiped before it is freed: a string that grows leaves no copy
// in the block it moved out of.
template <class T>
struct WipingAllocator {
    using value_type = T;
    WipingAllocator() = default;
    template <class U>
    WipingAllocator(const WipingAllocator<U>&) {}
    T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
    void deallocate(T* block, std::size_t n) {
        WipeMemory(block, n * sizeof(T));
        std::allocator<T>().deallocate(block, n);
    }
    template <class U>
    bool operator==(const WipingAllocator<U>&) const {
        return true;
    }
};

class SecretText {
public:
    using String = std::basic_string<char16_t, std::char_traits<char16_t>, WipingAllocator<char16_t>>;

    SecretText() = default;
    explicit SecretText(std::u16string_view text) : text_(text.data(), text.size()) {}
    SecretText(const char16_t* text) : SecretText(std::u16string_view(text)) {}
    SecretText(const SecretText& other) : text_(other.text_) {}
    SecretText(SecretText&& other) noexcept : text_(std::move(other.text_)) { other.Wipe(); }
    SecretText& operator=(const SecretText& other) {
        if (this != &other) {
            Wipe();
            text_ = other.text_;
        }
        return *this;
    }
    SecretText& operator=(SecretText&& other) noexcept {
        if (this != &other) {
            Wipe();
            text_ = std::move(other.text_);
            other.Wipe();
        }
        return *this;
    }
    ~SecretText() { Wipe(); }

    // Overwrites the whole buffer, the short-text buffer inside the object included, and empties it.
    void Wipe() {
        text_.resize(text_.capacity());
        WipeMemory(text_.data(), text_.size() * sizeof(char16_t));
        text_.clear();
    }
    // Room for `length` units to be written in place (by the system's text calls), then cut to
    // what was written with Resize.
    char16_t* Buffer(std::size_t length) {
        Wipe();
        text_.resize(length);
        return text_.data();
    }
    void Resize(std::size_t length) {
        if (length < text_.size())
            WipeMemory(text_.data() + length, (text_.size() - length) * sizeof(char16_t));
        text_.resize(length);
    }

    std::u16string_view view() const { return text_; }
    const char16_t* c_str() const { return text_.c_str(); }
    bool empty() const { return text_.empty(); }
    std::size_t size() const { return text_.size(); }
    bool operator==(const SecretText& other) const { return text_ == other.text_; }

private:
    String text_;
};

}  // namespace velmora
