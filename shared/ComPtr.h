#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

// Releases a COM interface when it leaves scope.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(other.Detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            ptr_ = other.Detach();
        }
        return *this;
    }
    T** Out() { Reset(); return &ptr_; }
    // For the creation functions that hand the interface back as void**.
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    T* operator->() const { return ptr_; }
    T* Get() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    T* Detach() { T* p = ptr_; ptr_ = nullptr; return p; }
    void Reset() { if (ptr_) ptr_->Release(); ptr_ = nullptr; }

private:
    T* ptr_ = nullptr;
};

// A COM string freed when it leaves scope.
class ScopedBstr {
public:
    explicit ScopedBstr(const std::wstring& text) : bstr_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ScopedBstr() = default;
    ~ScopedBstr() { SysFreeString(bstr_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    BSTR Get() const { return bstr_; }
    BSTR* Out() { SysFreeString(bstr_); bstr_ = nullptr; return &bstr_; }
    std::wstring Text() const { return bstr_ ? std::wstring(bstr_, SysStringLen(bstr_)) : std::wstring(); }

private:
    BSTR bstr_ = nullptr;
};

// COM for the calling thread while this lives: joins the thread's apartment when it has one.
class ScopedComApartment {
public:
    ScopedComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ScopedComApartment() { if (initialised_) CoUninitialize(); }
    ScopedComApartment(const ScopedComApartment&) = delete;
    ScopedComApartment& operator=(const ScopedComApartment&) = delete;

private:
    bool initialised_;
};
