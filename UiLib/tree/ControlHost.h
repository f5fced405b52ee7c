#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "UiLib/Utils/PtrArray.h"
#include "UiLib/render/DpiScale.h"
#include "UiLib/tree/UINotify.h"

namespace UiLib {

class CControlUI;
class CSkinResources;
class IMessageFilterUI;
class ITranslateAccelerator;

// The window a control lives in, as controls and layouts see it: what they ask of it to be repainted,
// laid out, focused, timed and heard, and the skin resources they draw with. The paint manager is
// the window's host; a test may host controls without any window.
class CControlHost {
public:
    CControlHost(const CControlHost&) = delete;
    CControlHost& operator=(const CControlHost&) = delete;

    // The window the controls draw into; null while there is none.
    virtual HWND GetPaintWindow() const = 0;
    // Repaints part of the window without erasing.
    virtual void Invalidate(const RECT& rect) = 0;
    // Asks for a layout pass.
    virtual void NeedUpdate() = 0;
    // Fonts, images, default attribute lists and colours of the skin.
    virtual CSkinResources& GetResources() = 0;
    // How the skin's 96-DPI lengths scale in this window; a host without a window draws them as written.
    virtual CDpiScale GetDpiScale() const { return CDpiScale(); }

    // Gives a subtree this host (initialising it) and enters its named controls.
    virtual bool InitControls(CControlUI* control, CControlUI* parent = nullptr) = 0;
    // Forgets every reference to a control that is being destroyed.
    virtual void ReapObjects(CControlUI* control) = 0;
    // Detaches a control and deletes it once the events that reached it are over.
    virtual void AddDelayedCleanup(std::unique_ptr<CControlUI> control) = 0;
    virtual CControlUI* FindControl(const std::wstring& name) = 0;

    virtual CControlUI* GetFocus() const = 0;
    virtual void SetFocus(CControlUI* control) = 0;
    // Moves the focus to the next (or previous) tab stop.
    virtual bool SetNextTabControl(bool forward = true) = 0;

    virtual bool SetTimer(CControlUI* control, UINT timerId, UINT elapse) = 0;
    virtual bool KillTimer(CControlUI* control, UINT timerId) = 0;

    // Option groups: the options sharing a group name, in the order they joined.
    virtual bool AddOptionGroup(const std::wstring& group, CControlUI* option) = 0;
    virtual const CPtrArray<CControlUI*>* GetOptionGroup(const std::wstring& group) = 0;
    virtual void RemoveOptionGroup(const std::wstring& group, CControlUI* option) = 0;

    // A control hosting a native child (the browser) sees the window's messages and keys first; a
    // page that takes keys of its own sees them before they are dispatched.
    virtual bool AddPreMessageFilter(IMessageFilterUI* filter) = 0;
    virtual bool RemovePreMessageFilter(IMessageFilterUI* filter) = 0;
    virtual bool AddMessageFilter(IMessageFilterUI* filter) = 0;
    virtual bool RemoveMessageFilter(IMessageFilterUI* filter) = 0;
    virtual bool AddTranslateAccelerator(ITranslateAccelerator* accelerator) = 0;
    virtual bool RemoveTranslateAccelerator(ITranslateAccelerator* accelerator) = 0;

    virtual void SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0,
                            bool async = false) = 0;
    virtual void SendNotify(UiNotify& msg, bool async = false) = 0;
    // Notifications then carry the virtual window of their sender.
    virtual void UsedVirtualWnd(bool used) = 0;
    // Where the pointer was at the last mouse message, in client coordinates.
    virtual POINT GetMousePos() const = 0;

    // Tells screen readers that `control` changed (EVENT_OBJECT_...); a host without a window tells no one.
    virtual void AnnounceAccessibleEvent(DWORD event, CControlUI* control) {
        static_cast<void>(event);
        static_cast<void>(control);
    }

    // Runs `task` on the window's thread once nothing more urgent waits.
    virtual void RunSoon(std::function<void()> task) = 0;
    // An attribute of a layout's <Window> root (size, caption, corners, opacity, default colours,
    // tray icon); a host without a window of its own has none to set.
    virtual void SetWindowAttribute(const std::wstring& name, const wchar_t* value) {
        static_cast<void>(name);
        static_cast<void>(value);
    }

protected:
    CControlHost() = default;
    virtual ~CControlHost() = default;
};

}  // namespace UiLib
