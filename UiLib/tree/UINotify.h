#pragma once
#include <windows.h>

#include <string>

namespace UiLib {

class CControlUI;

// A notification that a control sends to its window ("click", "selectchanged", ...).
struct UiNotify {
    std::wstring sType;
    std::wstring sVirtualWnd;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse{};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// A receiver of a window's notifications.
class INotifyUI {
public:
    virtual void Notify(UiNotify& msg) = 0;

protected:
    ~INotifyUI() = default;
};

}  // namespace UiLib
