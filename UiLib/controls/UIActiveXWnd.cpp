#include "UiLib/controls/UIActiveXWnd.h"

#include "UiLib/controls/UIActiveX.h"
#include "UiLib/controls/UIActiveXCtrl.h"

namespace UiLib {

CActiveXWnd::CActiveXWnd(CActiveXUI* owner, CActiveXCtrl* site) : owner_(owner), site_(site) {}

HWND CActiveXWnd::Init(HWND parent) {
    return Create(parent, L"UIActiveX", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, 0);
}

const wchar_t* CActiveXWnd::GetWindowClassName() const { return L"ActiveXWnd"; }

void CActiveXWnd::OnSetFocus() {
    site_->SetFocused(true);
    if (site_->IsUIActive() || !owner_->GetControl()) return;
    RECT rect = owner_->GetPos();
    owner_->GetControl()->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site_, 0, window_, &rect);
}

LRESULT CActiveXWnd::OnMouseActivate(UINT message, WPARAM wParam, LPARAM lParam) {
    IOleObject* control = owner_->GetControl();
    if (control && !site_->IsInPlaceActive()) {
        DWORD misc = 0;
        control->GetMiscStatus(DVASPECT_CONTENT, &misc);
        if ((misc & OLEMISC_NOUIACTIVATE) == 0) {
            RECT rect = owner_->GetPos();
            control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, window_, &rect);
        }
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CActiveXWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        OnSetFocus();
        return 0;
    case WM_KILLFOCUS:
        site_->SetFocused(false);
        return 0;
    case WM_PAINT: {
        // The control draws its own window; the host only has to validate.
        PAINTSTRUCT ps;
        ::BeginPaint(window_, &ps);
        ::EndPaint(window_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        if (site_->GetViewObject()) return 1;
        break;
    case WM_MOUSEACTIVATE:
        return OnMouseActivate(message, wParam, lParam);
    case WM_MOUSEWHEEL:
        return 0;
    case kClipMessage:
        owner_->ClipHostWindow();
        return 0;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

}  // namespace UiLib
