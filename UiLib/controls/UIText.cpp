#include "UiLib/controls/UIText.h"

#include <oleacc.h>

#include <algorithm>

#include "UiLib/render/ScopedDC.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"Text", CTextUI);

CTextUI::CTextUI() {
    textStyle_ = DT_WORDBREAK;
    textPadding_ = RECT{2, 0, 2, 0};
}

const wchar_t* CTextUI::GetClass() const { return L"TextUI"; }

DWORD CTextUI::GetAccessibleRole() const { return linkCount_ > 0 ? ROLE_SYSTEM_LINK : CLabelUI::GetAccessibleRole(); }

std::wstring CTextUI::GetAccessibleName() const {
    if (!showHtml_) return CLabelUI::GetAccessibleName();
    std::wstring shown;
    bool inTag = false;
    for (wchar_t ch : text_) {
        if (ch == L'{') inTag = true;
        else if (ch == L'}') inTag = false;
        else if (!inTag) shown += ch;
    }
    return shown.empty() ? CLabelUI::GetAccessibleName() : shown;
}

bool CTextUI::Activate() {
    if (!CLabelUI::Activate()) return false;
    if (linkCount_ > 0 && manager_) manager_->SendNotify(this, L"link", 0);
    return true;
}

void* CTextUI::GetInterface(const std::wstring& name) {
    if (name == L"Text") return this;
    return CLabelUI::GetInterface(name);
}

UINT CTextUI::GetControlFlags() const { return IsEnabled() && linkCount_ > 0 ? UINT{UIFLAG_SETCURSOR} : 0u; }

SIZE CTextUI::EstimateSize(SIZE available) {
    const SIZE fixed = FixedSize();
    if (!manager_) return fixed;
    const RECT padding = GetTextPadding();
    RECT rect{0, 0, std::max(available.cx, fixed.cx), 9999};
    rect.left += padding.left;
    rect.right -= padding.right;
    CWindowDC dc(manager_->GetPaintWindow());
    if (showHtml_) {
        int links = 0;
        CSkinRenderer::DrawMarkupText(dc.Get(), SkinResources(), rect, text_, 0, nullptr, nullptr, links,
                                      DT_CALCRECT | textStyle_);
    } else {
        CSkinRenderer::DrawText(dc.Get(), SkinResources(), rect, text_, 0, font_, DT_CALCRECT | textStyle_);
    }
    SIZE size{rect.right - rect.left + padding.left + padding.right,
              rect.bottom - rect.top + padding.top + padding.bottom};
    if (fixed.cy != 0) size.cy = fixed.cy;
    return size;
}

int CTextUI::LinkAt(POINT point) const {
    for (int i = 0; i < linkCount_; ++i)
        if (::PtInRect(&linkRects_[i], point)) return i;
    return -1;
}

void CTextUI::DoEvent(UiEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (parent_) parent_->DoEvent(event);
        else CLabelUI::DoEvent(event);
        return;
    }
    const bool active = IsEnabled() && linkCount_ > 0;
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (active && LinkAt(event.ptMouse) >= 0) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (active && LinkAt(event.ptMouse) >= 0) {
            Invalidate();
            return;
        }
        break;
    case UIEVENT_BUTTONUP:
        if (active) {
            int link = LinkAt(event.ptMouse);
            if (link >= 0) {
                if (manager_) manager_->SendNotify(this, L"link", static_cast<WPARAM>(link));
                return;
            }
        }
        break;
    case UIEVENT_MOUSEMOVE:
        if (active) {
            int link = LinkAt(event.ptMouse);
            if (link != hoveredLink_) {
                hoveredLink_ = link;
                Invalidate();
            }
            return;
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (active && hoveredLink_ >= 0) {
            hoveredLink_ = -1;
            Invalidate();
            return;
        }
        break;
    case UIEVENT_CONTEXTMENU:
        if (active) return;
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CTextUI::PaintText(HDC dc) {
    if (text_.empty() || !manager_) {
        linkCount_ = 0;
        return;
    }
    const RECT padding = GetTextPadding();
    RECT rect{rcItem_.left + padding.left, rcItem_.top + padding.top, rcItem_.right - padding.right,
              rcItem_.bottom - padding.bottom};
    if (showHtml_) {
        linkCount_ = kMaxLinks;
        CSkinRenderer::DrawMarkupText(dc, SkinResources(), rect, text_, NormalTextColor(), linkRects_.data(),
                                      linkTargets_.data(), linkCount_, textStyle_, manager_->GetMousePos());
    } else {
        linkCount_ = 0;
        CSkinRenderer::DrawText(dc, SkinResources(), rect, text_, NormalTextColor(), font_, textStyle_);
    }
}

}  // namespace UiLib
