#include "UiLib/menu/MenuChain.h"

#include <algorithm>

#include "UiLib/tree/UIWindowWnd.h"

namespace UiLib {
namespace {

// A menu's window is a descendant of the window of the menu it was opened from.
bool IsDescendantOf(HWND window, HWND ancestor) {
    for (HWND up = ::GetParent(window); up; up = ::GetParent(up))
        if (up == ancestor) return true;
    return false;
}

constexpr UINT kCloseCode = 1;

}  // namespace

void CMenuChain::Join(CWindowWnd* menu) {
    if (menu && std::find(menus_.begin(), menus_.end(), menu) == menus_.end()) menus_.push_back(menu);
}

void CMenuChain::Leave(CWindowWnd* menu) {
    menus_.erase(std::remove(menus_.begin(), menus_.end(), menu), menus_.end());
}

CWindowWnd* CMenuChain::Root() const { return menus_.empty() ? nullptr : menus_.front(); }

bool CMenuChain::Contains(HWND window) const {
    return window && std::any_of(menus_.begin(), menus_.end(),
                                 [window](const CWindowWnd* menu) { return menu->GetHWND() == window; });
}

// Close only posts WM_CLOSE: no menu leaves while the chain walks them.
void CMenuChain::CloseAll() const {
    for (auto it = menus_.rbegin(); it != menus_.rend(); ++it) (*it)->Close(kCloseCode);
}

void CMenuChain::CloseSubMenusOf(HWND window) const {
    for (auto it = menus_.rbegin(); it != menus_.rend(); ++it)
        if (IsDescendantOf((*it)->GetHWND(), window)) (*it)->Close(kCloseCode);
}

}  // namespace UiLib
