#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "UiLib/render/GdiObject.h"

namespace UiLib {

// The notification-area icon of one window. It is removed again when this object goes.
class CTrayIcon {
public:
    // The window message through which the shell reports mouse actions on the icon.
    static constexpr UINT kCallbackMessage = 28;

    CTrayIcon() = default;
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // The message the shell broadcasts to top-level windows when the taskbar is created again
    // (Explorer restarted): every icon it showed is gone.
    static UINT TaskbarCreatedMessage();

    // Makes ready `icon` for `window` under the identifier `id`, with the tip set so far, for the
    // shell to show at `AddAgain`; this object keeps the icon. An icon this object already shows is
    // removed first. The window hears the taskbar's re-creation even when it runs elevated.
    void Prepare(HWND window, UINT id, CIconHandle icon);
    // Adds the prepared icon to the taskbar: the first time, or to a new taskbar, or to one that
    // was not there yet before.
    bool AddAgain();
    // Stores the tip and, when the icon is shown, updates it.
    void SetTip(const std::wstring& tip);
    const std::wstring& GetTip() const { return tip_; }
    void Remove();
    // Whether the shell took the icon; it may have lost it since.
    bool IsShown() const { return shown_; }
    UINT GetId() const { return id_; }

private:
    NOTIFYICONDATAW Record(UINT flags) const;

    HWND window_ = nullptr;
    UINT id_ = 0;
    CIconHandle icon_;
    std::wstring tip_;
    bool shown_ = false;
};

}  // namespace UiLib
