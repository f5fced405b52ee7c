#include "UiLib/core/FocusNavigator.h"

#include <algorithm>
#include <cwctype>

#include "UiLib/core/AccessibleWindow.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/tree/UIControl.h"

namespace UiLib {
namespace {

CControlUI* CALLBACK CollectControl(CControlUI* control, void* data) {
    static_cast<std::vector<CControlUI*>*>(data)->push_back(control);
    return nullptr;
}

bool IsTabStop(const CControlUI* control) { return (control->GetControlFlags() & UIFLAG_TABSTOP) != 0; }

// The control a label's shortcut leads to: the next one that is neither text nor a container.
bool TakesShortcutOfLabel(CControlUI* control) {
    return !control->HandsShortcutOn() && control->GetInterface(L"IContainer") == nullptr;
}

bool HasShortcut(const CControlUI* control, wchar_t wanted) {
    return control->GetShortcut() && static_cast<wchar_t>(std::towupper(control->GetShortcut())) == wanted;
}

UiEvent FocusEvent(uint32_t type, CControlUI* sender) {
    UiEvent event;
    event.Type = type;
    event.pSender = sender;
    event.dwTimestamp = ::GetTickCount();
    return event;
}

}  // namespace

CControlUI* NextTabStop(const std::vector<CControlUI*>& order, const CControlUI* current, bool forward) {
    auto at = std::find(order.begin(), order.end(), current);
    if (forward) {
        auto from = at == order.end() ? order.begin() : at + 1;
        auto found = std::find_if(from, order.end(), IsTabStop);
        if (found == order.end()) found = std::find_if(order.begin(), order.end(), IsTabStop);
        return found != order.end() ? *found : nullptr;
    }
    auto before = std::make_reverse_iterator(at);
    auto found = std::find_if(before, order.rend(), IsTabStop);
    return found != order.rend() ? *found : nullptr;
}

void CFocusNavigator::SetFocus(CControlUI* control) {
    HWND window = manager_.GetPaintWindow();
    if (window && ::GetFocus() != window && control != focus_) ::SetFocus(window);
    if (control == focus_) return;
    const bool marked = manager_.GetFocusIndicator().IsShown();
    if (CControlUI* old = focus_) {
        if (marked) old->Invalidate();
        // The control losing the focus learns which one takes it.
        UiEvent event = FocusEvent(UIEVENT_KILLFOCUS, control);
        old->Event(event);
        manager_.SendNotify(old, L"killfocus");
        focus_ = nullptr;
    }
    if (control && control->GetManager() == &manager_ && control->IsVisible() && control->IsEnabled()) {
        focus_ = control;
        if (marked) control->Invalidate();
        UiEvent event = FocusEvent(UIEVENT_SETFOCUS, control);
        control->Event(event);
        manager_.SendNotify(control, L"setfocus");
        if (window) AnnounceFocus(window, manager_.GetRoot(), control);
    }
}

void CFocusNavigator::Restart() {
    focus_ = nullptr;
    focusNeeded_ = true;
}

void CFocusNavigator::Forget(const CControlUI* control) {
    if (focus_ == control) focus_ = nullptr;
}

std::vector<CControlUI*> CFocusNavigator::TabOrder() const {
    std::vector<CControlUI*> order;
    if (CControlUI* root = manager_.GetRoot())
        root->FindControl(CollectControl, &order, UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST);
    return order;
}

bool CFocusNavigator::SetNextTabControl(bool forward) {
    if (manager_.IsUpdateNeeded() && forward) {
        focusNeeded_ = true;
        if (HWND window = manager_.GetPaintWindow()) ::InvalidateRect(window, nullptr, FALSE);
        return true;
    }
    focusNeeded_ = false;
    if (!manager_.GetRoot()) return false;
    if (CControlUI* next = NextTabStop(TabOrder(), focus_, forward)) SetFocus(next);
    return true;
}

bool CFocusNavigator::ActivateShortcut(wchar_t ch) {
    if (!manager_.GetRoot() || !ch) return false;
    const wchar_t wanted = static_cast<wchar_t>(std::towupper(ch));
    CControlUI* found = nullptr;
    bool labelMatched = false;
    for (CControlUI* control : TabOrder()) {
        if (labelMatched) {
            if (!TakesShortcutOfLabel(control)) continue;
            found = control;
            break;
        }
        if (!HasShortcut(control, wanted)) continue;
        if (control->HandsShortcutOn()) {
            labelMatched = true;
            continue;
        }
        found = control;
        break;
    }
    if (!found) return false;
    found->SetFocus();
    found->Activate();
    return true;
}

bool CFocusNavigator::PreTranslateKey(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam != VK_TAB) return false;
        SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    case WM_SYSCHAR:
        // An Alt+key that no control takes goes on to the system (Alt+Space: the window menu).
        return ActivateShortcut(static_cast<wchar_t>(wParam));
    default:
        return false;
    }
}

}  // namespace UiLib
