#pragma once
#include <windows.h>

#include "UiLib/render/GdiObject.h"

namespace UiLib {

class CEditUI;

// The native single-line edit window that a CEditUI shows while it is being edited: a child of
// the skinned window over the control's text area, of the framework's own superclass of the
// system EDIT class. It copies every change back into the control and reports keys to it.
class CEditWnd {
public:
    // The window class name of the framework's edit windows.
    static constexpr const wchar_t* kClassName = L"UiLibEditWnd";

    explicit CEditWnd(CEditUI* owner);
    // Destroys the native window if it still exists, without telling the owner.
    ~CEditWnd();
    CEditWnd(const CEditWnd&) = delete;
    CEditWnd& operator=(const CEditWnd&) = delete;

    // Creates the native window, fills it from the control, shows it and gives it the focus.
    bool Create();
    HWND GetHWND() const { return hwnd_; }
    // The rectangle of the native window in the parent's client area.
    RECT CalculatePos() const;
    // Gives the native window the control's font: a window moved to a display of another DPI
    // makes its fonts again and deletes the old ones.
    void ApplyFont();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static bool RegisterSuperclass();
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Copies the native text into the control and notifies "textchanged".
    void OnTextChanged();
    LRESULT OnColor(HDC dc);
    void NotifyKey(const wchar_t* type, WPARAM key);
    void NotifyReturn();
    void NotifyKeyPress(WPARAM key);

    CEditUI* owner_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    // Set once the window has been filled, so the initial text is not reported as a change.
    bool initialised_ = false;
    CBrushHandle background_;
};

}  // namespace UiLib
