#pragma once
#include <windows.h>

#include <vector>

namespace UiLib {

class CWindowWnd;

// The menus open together: a root menu and the sub-menus opened from it, in the order they
// opened. The menus of one chain share it; it does not own them.
class CMenuChain {
public:
    // A menu joins as it opens and leaves when it goes.
    void Join(CWindowWnd* menu);
    void Leave(CWindowWnd* menu);

    const std::vector<CWindowWnd*>& Menus() const { return menus_; }
    // The first menu of the chain, which takes the item clicks of them all; null when none is open.
    CWindowWnd* Root() const;
    // Whether the window is one of the chain's menus.
    bool Contains(HWND window) const;

    // Asks every menu to close, the last opened first.
    void CloseAll() const;
    // Asks the menus opened from `window`, directly or through other sub-menus, to close.
    void CloseSubMenusOf(HWND window) const;

private:
    std::vector<CWindowWnd*> menus_;
};

}  // namespace UiLib
