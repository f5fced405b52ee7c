#pragma once
#include <windows.h>

#include <vector>

namespace UiLib {

class CControlUI;
class CPaintManagerUI;

// The tab stop that follows `current` in `order` (or precedes it, going back). Forward wraps
// around to the first tab stop; nothing precedes the first. Null when there is none.
CControlUI* NextTabStop(const std::vector<CControlUI*>& order, const CControlUI* current, bool forward);

// The keyboard focus of one window and the keys that move it: Tab to the next tab stop, Alt with
// a control's shortcut to that control.
class CFocusNavigator {
public:
    explicit CFocusNavigator(CPaintManagerUI& manager) : manager_(manager) {}

    CControlUI* GetFocus() const { return focus_; }
    // Takes the focus from the focused control and gives it to `control` (when it is a visible,
    // enabled control of this window), telling both and the window's notifiers.
    void SetFocus(CControlUI* control);
    bool IsFocusNeeded() const { return focusNeeded_; }
    // A new tree: nothing has the focus, the first tab stop takes it once the tree is laid out.
    void Restart();
    // Forgets a control that is going.
    void Forget(const CControlUI* control);

    // Moves the focus to the next (or previous) tab stop; before the pending layout a move forward
    // waits for it.
    bool SetNextTabControl(bool forward);
    // Activates the visible, enabled control whose shortcut is `ch`; a matching label hands the
    // match on to the next control after it.
    bool ActivateShortcut(wchar_t ch);
    // Tab and Alt+key before dispatch; true when the key was used.
    bool PreTranslateKey(UINT message, WPARAM wParam);

private:
    // The visible, enabled controls in the order Tab walks them.
    std::vector<CControlUI*> TabOrder() const;

    CPaintManagerUI& manager_;
    CControlUI* focus_ = nullptr;
    bool focusNeeded_ = false;
};

}  // namespace UiLib
