#include "UiLib/core/MessageLoop.h"

#include <algorithm>

#include "UiLib/core/UIManager.h"

namespace UiLib {
namespace {

std::vector<CPaintManagerUI*>& AllManagers() {
    static std::vector<CPaintManagerUI*> managers;
    return managers;
}

}  // namespace

void CMessageLoop::Join(CPaintManagerUI* manager) {
    std::vector<CPaintManagerUI*>& managers = AllManagers();
    if (std::find(managers.begin(), managers.end(), manager) == managers.end()) managers.push_back(manager);
}

void CMessageLoop::Leave(CPaintManagerUI* manager) {
    std::vector<CPaintManagerUI*>& managers = AllManagers();
    managers.erase(std::remove(managers.begin(), managers.end(), manager), managers.end());
}

const std::vector<CPaintManagerUI*>& CMessageLoop::Managers() { return AllManagers(); }

CPaintManagerUI* CMessageLoop::ManagerOfWindow(HWND window) {
    bool child = (::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
    for (HWND current = window; current; current = child ? ::GetParent(current) : nullptr) {
        for (CPaintManagerUI* manager : AllManagers())
            if (manager->GetPaintWindow() == current) return manager;
    }
    return nullptr;
}

bool CMessageLoop::PreTranslate(const MSG* msg) {
    if (!msg || !msg->hwnd) return false;
    CPaintManagerUI* manager = ManagerOfWindow(msg->hwnd);
    if (!manager) return false;
    if (manager->Filters().TranslateAccelerator(*msg)) return true;
    LRESULT result = 0;
    return manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result);
}

int CMessageLoop::Run() {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslate(&msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace UiLib
