#pragma once
#include <windows.h>

#include <vector>

namespace UiLib {

class CPaintManagerUI;

// The managers of every skinned window of the process, in the order they were initialised, and
// the loop that offers each message to the manager of its window before dispatching it.
class CMessageLoop {
public:
    static void Join(CPaintManagerUI* manager);
    static void Leave(CPaintManagerUI* manager);
    static const std::vector<CPaintManagerUI*>& Managers();
    // A child window's message goes to the manager of its nearest ancestor that has one.
    static CPaintManagerUI* ManagerOfWindow(HWND window);
    // Offers a message to the manager of its window; true when it was consumed.
    static bool PreTranslate(const MSG* msg);
    // Runs until WM_QUIT and returns its exit code.
    static int Run();
};

}  // namespace UiLib
