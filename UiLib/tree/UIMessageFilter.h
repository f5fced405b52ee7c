#pragma once
#include <windows.h>

namespace UiLib {

// Sees a window's messages before its paint manager (message filters) or before they are
// dispatched at all (pre-message filters); setting `handled` ends their processing with the result.
class IMessageFilterUI {
public:
    virtual LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

// Asked first about every message of its window in the message loop; a result of 0 consumes it.
class ITranslateAccelerator {
public:
    virtual LRESULT TranslateAccelerator(MSG* msg) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

}  // namespace UiLib
