#pragma once
#include <windows.h>

#include <utility>

namespace UiLib {

// Owns a native window created by the framework and destroys it at the end, unless the system
// already did (an owned window dies with its owner).
class CScopedWindow {
public:
    CScopedWindow() = default;
    explicit CScopedWindow(HWND window) : window_(window) {}
    ~CScopedWindow() { Reset(); }
    CScopedWindow(const CScopedWindow&) = delete;
    CScopedWindow& operator=(const CScopedWindow&) = delete;

    HWND Get() const { return window_; }
    explicit operator bool() const { return window_ != nullptr; }

    void Reset(HWND window = nullptr) {
        if (window_ && ::IsWindow(window_)) ::DestroyWindow(window_);
        window_ = window;
    }

private:
    HWND window_ = nullptr;
};

}  // namespace UiLib
