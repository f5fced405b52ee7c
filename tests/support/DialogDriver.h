#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "UiLib/tree/UIWindowWnd.h"

namespace UiLib {
class CPaintManagerUI;
class CControlUI;
}  // namespace UiLib

// Drives a skinned dialog with real window messages: clicks at a control's centre, characters
// typed into the native edit window of a focused edit, keys through the message queue.
class DialogDriver {
public:
    DialogDriver(HWND window, UiLib::CPaintManagerUI& manager) : window_(window), manager_(manager) {}

    // Lays the window out (a paint) so that controls have their places.
    void Settle();
    UiLib::CControlUI* Find(const wchar_t* name);
    // Button down and up at the centre of the named control.
    void Click(const wchar_t* name);
    // Clicks the named edit and types the text into its native window.
    void Type(const wchar_t* name, const std::wstring& text);
    // Posts a key press to the focused window of the dialog (the native edit while editing), so
    // that it passes the message loop's filters as a real key does.
    void PostKey(WPARAM key);
    // The pixel the last paint left at a client point, as 0xRRGGBB.
    uint32_t PixelAt(int x, int y);

private:
    HWND window_;
    UiLib::CPaintManagerUI& manager_;
};

// A top-level window to own the dialogs, standing in for the main window.
class OwnerWindow {
public:
    OwnerWindow();
    ~OwnerWindow();
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    HWND Get() const { return window_; }

private:
    HWND window_ = nullptr;
};

// Runs the steps one after another from inside the next modal loop of this thread (a thread
// timer, 30 ms apart), each with the top-level window of `className`, so that what a step posts
// is handled by the loop before the next step. A window still open a few seconds after the last
// step is destroyed, so that a failed test does not wait in the loop for ever.
using DialogStep = std::function<void(HWND)>;
void RunInModalLoop(const wchar_t* className, std::vector<DialogStep> steps);
// Handles queued messages as the framework's loop does for a while.
void PumpMessages(DWORD milliseconds);

// The object of a window created through the framework's window wrapper.
template <typename Window>
Window* WindowObject(HWND window) {
    return dynamic_cast<Window*>(reinterpret_cast<UiLib::CWindowWnd*>(::GetWindowLongPtrW(window, GWLP_USERDATA)));
}
