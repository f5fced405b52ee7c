#pragma once
#include <windows.h>

#include <utility>

namespace UiLib {

// Owns one GDI object (bitmap, brush, pen, font or region) and deletes it at the end.
template <typename Handle>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(Handle handle) : handle_(handle) {}
    ~CGdiObject() { Reset(); }

    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& other) noexcept : handle_(other.Release()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    Handle Release() { return std::exchange(handle_, nullptr); }
    void Reset(Handle handle = nullptr) {
        if (handle_) ::DeleteObject(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using CBitmapHandle = CGdiObject<HBITMAP>;
using CBrushHandle = CGdiObject<HBRUSH>;
using CPenHandle = CGdiObject<HPEN>;
using CFontHandle = CGdiObject<HFONT>;
using CRegionHandle = CGdiObject<HRGN>;

// Owns an icon or cursor handle and destroys it at the end.
class CIconHandle {
public:
    CIconHandle() = default;
    explicit CIconHandle(HICON icon) : icon_(icon) {}
    ~CIconHandle() {
        if (icon_) ::DestroyIcon(icon_);
    }
    CIconHandle(const CIconHandle&) = delete;
    CIconHandle& operator=(const CIconHandle&) = delete;
    CIconHandle(CIconHandle&& other) noexcept : icon_(std::exchange(other.icon_, nullptr)) {}
    CIconHandle& operator=(CIconHandle&& other) noexcept {
        if (this != &other) {
            if (icon_) ::DestroyIcon(icon_);
            icon_ = std::exchange(other.icon_, nullptr);
        }
        return *this;
    }

    HICON Get() const { return icon_; }
    explicit operator bool() const { return icon_ != nullptr; }

private:
    HICON icon_ = nullptr;
};

// Selects an object into a DC for the life of this scope and puts the previous one back.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~CSelectObject() {
        if (previous_) ::SelectObject(dc_, previous_);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace UiLib
