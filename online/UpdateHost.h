#pragma once
#include <string>

// What the update checks need of the main window: its version label and a modal message box
// over it (the skinned box, shown on the window's own thread). Called from the checks' threads;
// the application hands the work on to the window's thread.
class IUpdateHost {
public:
    virtual ~IUpdateHost() = default;
    virtual void SetVersionLabel(const std::wstring& text) = 0;
    // `icon` is the message box's icon number: 0 warning, 2 error.
    virtual void ShowUpdateMessage(const std::wstring& text, const std::wstring& secondText,
                                   const std::wstring& caption, int icon) = 0;
};
