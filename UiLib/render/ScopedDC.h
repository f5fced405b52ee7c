#pragma once
#include <windows.h>

#include <utility>

namespace UiLib {

// A memory DC compatible with another DC (or the screen), deleted at the end.
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatibleWith = nullptr) : dc_(::CreateCompatibleDC(compatibleWith)) {}
    ~CMemoryDC() {
        if (dc_) ::DeleteDC(dc_);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    CMemoryDC(CMemoryDC&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// The DC of a window (or of the screen for a null window), released at the end.
class CWindowDC {
public:
    explicit CWindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~CWindowDC() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;

    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint around one WM_PAINT.
class CPaintDC {
public:
    explicit CPaintDC(HWND window) : window_(window) { dc_ = ::BeginPaint(window, &paint_); }
    ~CPaintDC() { ::EndPaint(window_, &paint_); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC Get() const { return dc_; }
    const RECT& PaintRect() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// SaveDC / RestoreDC for one scope.
class CSavedDCState {
public:
    explicit CSavedDCState(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
    ~CSavedDCState() {
        if (saved_) ::RestoreDC(dc_, saved_);
    }
    CSavedDCState(const CSavedDCState&) = delete;
    CSavedDCState& operator=(const CSavedDCState&) = delete;

private:
    HDC dc_;
    int saved_;
};

}  // namespace UiLib
