// COM ownership: an interface pointer that releases itself, the apartment bracket of one operation,
// and strings that the callee allocated with CoTaskMemAlloc.
#pragma once

#include <objbase.h>

#include <string>
#include <utility>

#include "platform/win/Unique.h"
#include "platform/win/WideText.h"

namespace velmora {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    // For out parameters: releases what is held and hands out the slot.
    T** put() {
        reset();
        return &ptr_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (ptr_)
            ptr_->Release();
        ptr_ = nullptr;
    }
    template <class U>
    HRESULT As(REFIID iid, ComPtr<U>& other) const {
        return ptr_ ? ptr_->QueryInterface(iid, other.put_void()) : E_POINTER;
    }

private:
    T* ptr_ = nullptr;
};

// CoInitialize for one operation; CoUninitialize only when it succeeded (S_FALSE counts).
class ComInit {
public:
    ComInit() : result_(::CoInitialize(nullptr)) {}
    ~ComInit() {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    HRESULT result() const { return result_; }

private:
    HRESULT result_;
};

// Memory a callee allocated with CoTaskMemAlloc, item lists of the shell among it.
template <class T>
struct CoTaskMemTraits {
    using Type = T;
    static Type Invalid() { return nullptr; }
    static void Close(Type p) { ::CoTaskMemFree(p); }
};
template <class T>
using UniqueCoTaskMem = Unique<CoTaskMemTraits<T>>;

class CoTaskMemString {
public:
    wchar_t** put() { return text_.put(); }
    std::u16string str() const { return FromWide(text_.get()); }

private:
    UniqueCoTaskMem<wchar_t*> text_;
};

}  // namespace velmora
