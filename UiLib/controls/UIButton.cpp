#include "UiLib/controls/UIButton.h"

#include <oleacc.h>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/layouts/UITabLayout.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"Button", CButtonUI);

CButtonUI::CButtonUI() { textStyle_ = DT_CENTER | DT_VCENTER | DT_SINGLELINE; }

const wchar_t* CButtonUI::GetClass() const { return L"ButtonUI"; }

DWORD CButtonUI::GetAccessibleRole() const { return ROLE_SYSTEM_PUSHBUTTON; }

void* CButtonUI::GetInterface(const std::wstring& name) {
    if (name == L"Button") return this;
    return CLabelUI::GetInterface(name);
}

UINT CButtonUI::GetControlFlags() const {
    return (IsKeyboardEnabled() ? UINT{UIFLAG_TABSTOP} : 0u) | (IsEnabled() ? UINT{UIFLAG_SETCURSOR} : 0u);
}

bool CButtonUI::Activate() {
    if (!CLabelUI::Activate()) return false;
    if (!manager_) return true;
    // The click handler may remove this button: take what is needed afterwards first.
    CControlHost* manager = manager_;
    const std::wstring tabName = bindTabLayoutName_;
    const int tabIndex = bindTabIndex_;
    clicked_.Emit();
    manager->SendNotify(this, L"click");
    if (tabName.empty() || tabIndex < 0) return true;
    if (CControlUI* control = manager->FindControl(tabName)) {
        if (auto* tab = static_cast<CTabLayoutUI*>(control->GetInterface(L"TabLayout"))) tab->SelectItem(tabIndex);
    }
    return true;
}

void CButtonUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!enabled) buttonState_ &= ~(UISTATE_HOT | UISTATE_PUSHED | UISTATE_CAPTURED);
}

void CButtonUI::SetStateBit(UINT bit, bool on) {
    UINT state = on ? buttonState_ | bit : buttonState_ & ~bit;
    if (state == buttonState_) return;
    buttonState_ = state;
    Invalidate();
}

void CButtonUI::DoEvent(UiEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (parent_) parent_->DoEvent(event);
        else CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        focused_ = event.Type == UIEVENT_SETFOCUS;
        SetStateBit(UISTATE_FOCUSED, focused_);
        Invalidate();
        return;
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return;
    default:
        if (HandleMouseEvent(event)) return;
        break;
    }
    CLabelUI::DoEvent(event);
}

bool CButtonUI::HandleMouseEvent(const UiEvent& event) {
    const bool inside = ::PtInRect(&rcItem_, event.ptMouse) != FALSE;
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (inside && IsEnabled()) {
            SetStateBit(UISTATE_PUSHED | UISTATE_CAPTURED, true);
            if (event.Type == UIEVENT_DBLCLICK && manager_)
                manager_->SendNotify(this, L"dbclick", event.wParam, event.lParam);
        }
        return true;
    case UIEVENT_MOUSEMOVE:
        if (buttonState_ & UISTATE_CAPTURED) SetStateBit(UISTATE_PUSHED, inside);
        return true;
    case UIEVENT_BUTTONUP:
        if (buttonState_ & UISTATE_CAPTURED) {
            // The state is settled before the click, whose handler may remove this button.
            SetStateBit(UISTATE_PUSHED | UISTATE_CAPTURED, false);
            if (inside) Activate();
        }
        return true;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) SetStateBit(UISTATE_HOT, event.Type == UIEVENT_MOUSEENTER);
        return true;
    default:
        return false;
    }
}

void CButtonUI::SetImage(std::wstring& field, const std::wstring& image) {
    if (field == image) return;
    field = image;
    Invalidate();
}

void CButtonUI::SetNormalImage(const std::wstring& image) { SetImage(normalImage_, image); }
void CButtonUI::SetHotImage(const std::wstring& image) { SetImage(hotImage_, image); }
void CButtonUI::SetPushedImage(const std::wstring& image) { SetImage(pushedImage_, image); }
void CButtonUI::SetFocusedImage(const std::wstring& image) { SetImage(focusedImage_, image); }
void CButtonUI::SetDisabledImage(const std::wstring& image) { SetImage(disabledImage_, image); }
void CButtonUI::SetForeImage(const std::wstring& image) { SetImage(foreImage_, image); }
void CButtonUI::SetHotForeImage(const std::wstring& image) { SetImage(hotForeImage_, image); }

void CButtonUI::SetHotBkColor(UiColor color) { hotBkColor_ = color; }
void CButtonUI::SetHotTextColor(UiColor color) { hotTextColor_ = color; }
void CButtonUI::SetPushedTextColor(UiColor color) { pushedTextColor_ = color; }
void CButtonUI::SetFocusedTextColor(UiColor color) { focusedTextColor_ = color; }

const CAttributeTable& CButtonUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CButtonUI::Attributes() {
    using C = CButtonUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(&CLabelUI::Attributes(), {
        {L"normalimage", [](C& c, V v) { c.SetNormalImage(v); }},
        {L"hotimage", [](C& c, V v) { c.SetHotImage(v); }},
        {L"pushedimage", [](C& c, V v) { c.SetPushedImage(v); }},
        {L"focusedimage", [](C& c, V v) { c.SetFocusedImage(v); }},
        {L"disabledimage", [](C& c, V v) { c.SetDisabledImage(v); }},
        {L"foreimage", [](C& c, V v) { c.SetForeImage(v); }},
        {L"hotforeimage", [](C& c, V v) { c.SetHotForeImage(v); }},
        {L"hotbkcolor", [](C& c, V v) { c.SetHotBkColor(ParseColorValue(v)); }},
        {L"hottextcolor", [](C& c, V v) { c.SetHotTextColor(ParseColorValue(v)); }},
        {L"pushedtextcolor", [](C& c, V v) { c.SetPushedTextColor(ParseColorValue(v)); }},
        {L"focusedtextcolor", [](C& c, V v) { c.SetFocusedTextColor(ParseColorValue(v)); }},
        {L"bindtablayoutname", [](C& c, V v) { c.BindTabLayoutName(v); }},
        {L"bindtabindex", [](C& c, V v) { c.BindTabIndex(static_cast<int>(ParseIntValue(v))); }},
    });
    return table;
}

UINT CButtonUI::PaintState() const { return IsEnabled() ? buttonState_ : buttonState_ | UISTATE_DISABLED; }

bool CButtonUI::DrawStateImage(HDC dc, std::wstring& image) {
    if (image.empty()) return false;
    if (DrawImage(dc, image)) return true;
    image.clear();
    return false;
}

void CButtonUI::PaintForeImage(HDC dc) { DrawStateImage(dc, foreImage_); }

void CButtonUI::PaintStatusImage(HDC dc) {
    const UINT state = PaintState();
    if (state & UISTATE_DISABLED) {
        if (DrawStateImage(dc, disabledImage_)) return PaintForeImage(dc);
    } else if (state & UISTATE_PUSHED) {
        if (DrawStateImage(dc, pushedImage_)) return PaintForeImage(dc);
    } else if (state & UISTATE_HOT) {
        if (!hotImage_.empty()) {
            if (DrawStateImage(dc, hotImage_)) {
                if (!DrawStateImage(dc, hotForeImage_)) PaintForeImage(dc);
                return;
            }
        } else if (hotBkColor_ != 0) {
            CSkinRenderer::DrawColor(dc, rcPaint_, hotBkColor_);
            return;
        }
    } else if (state & UISTATE_FOCUSED) {
        if (DrawStateImage(dc, focusedImage_)) return PaintForeImage(dc);
    }
    DrawStateImage(dc, normalImage_);
    PaintForeImage(dc);
}

UiColor CButtonUI::StateTextColor() const {
    const UINT state = PaintState();
    if (!(state & UISTATE_DISABLED)) {
        if ((state & UISTATE_PUSHED) && pushedTextColor_ != 0) return pushedTextColor_;
        if ((state & UISTATE_HOT) && hotTextColor_ != 0) return hotTextColor_;
        if ((state & UISTATE_FOCUSED) && focusedTextColor_ != 0) return focusedTextColor_;
    }
    return NormalTextColor();
}

void CButtonUI::PaintText(HDC dc) { DrawTextIn(dc, text_, StateTextColor(), textStyle_); }

}  // namespace UiLib
