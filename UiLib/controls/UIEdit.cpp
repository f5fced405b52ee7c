#include "UiLib/controls/UIEdit.h"

#include <oleacc.h>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/controls/UIEditWnd.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"
#include "UiLib/tree/UIState.h"

namespace UiLib {

UILIB_REGISTER_CONTROL(L"Edit", CEditUI);

CEditUI::CEditUI() { textPadding_ = RECT{4, 3, 4, 3}; }

// The native window goes first: it may still report to this control while it closes.
CEditUI::~CEditUI() { window_.reset(); }

const wchar_t* CEditUI::GetClass() const { return L"EditUI"; }

DWORD CEditUI::GetAccessibleRole() const { return ROLE_SYSTEM_TEXT; }

std::wstring CEditUI::GetAccessibleName() const {
    std::wstring toolTip = GetToolTip();
    if (!toolTip.empty()) return toolTip;
    return accessibleName_.empty() ? tipValue_ : accessibleName_;
}

void* CEditUI::GetInterface(const std::wstring& name) {
    if (name == L"Edit") return this;
    return CLabelUI::GetInterface(name);
}

UINT CEditUI::GetControlFlags() const { return IsEnabled() ? UINT{UIFLAG_TABSTOP | UIFLAG_SETCURSOR} : 0u; }

HWND CEditUI::GetNativeWindow() const { return window_ ? window_->GetHWND() : nullptr; }

void CEditUI::BeginEdit() {
    if (window_) return;
    window_ = std::make_unique<CEditWnd>(this);
    if (!window_->Create()) window_.reset();
    Invalidate();
}

void CEditUI::SetFocus() {
    CLabelUI::SetFocus();
    if (IsFocused() && IsEnabled()) BeginEdit();
}

void CEditUI::EndEdit() {
    if (!window_) return;
    window_.reset();
    Invalidate();
}

void CEditUI::NativeWindowDestroyed(CEditWnd* window) {
    if (window_.get() != window) return;
    window_.reset();
    Invalidate();
}

void CEditUI::SetText(const std::wstring& text) {
    CLabelUI::SetText(text);
    if (HWND native = GetNativeWindow()) ::SetWindowTextW(native, text_.c_str());
}

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    if (!enabled) {
        editState_ = 0;
        EndEdit();
    }
}

void CEditUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    if (!IsVisible()) EndEdit();
}

void CEditUI::SetInternVisible(bool visible) {
    CLabelUI::SetInternVisible(visible);
    if (!IsVisible()) EndEdit();
}

void CEditUI::SetPos(RECT rect) {
    CLabelUI::SetPos(rect);
    if (HWND native = GetNativeWindow()) {
        window_->ApplyFont();
        const RECT area = window_->CalculatePos();
        ::SetWindowPos(native, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CEditUI::SetReadOnly(bool readOnly) {
    if (readOnly_ == readOnly) return;
    readOnly_ = readOnly;
    if (HWND native = GetNativeWindow()) ::SendMessageW(native, EM_SETREADONLY, readOnly, 0);
    Invalidate();
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    numberOnly_ = numberOnly;
    if (HWND native = GetNativeWindow()) {
        LONG_PTR style = ::GetWindowLongPtrW(native, GWL_STYLE);
        style = numberOnly ? style | ES_NUMBER : style & ~static_cast<LONG_PTR>(ES_NUMBER);
        ::SetWindowLongPtrW(native, GWL_STYLE, style);
    }
}

void CEditUI::SetPasswordMode(bool password) {
    if (password_ == password) return;
    password_ = password;
    Invalidate();
}

void CEditUI::SetPasswordChar(wchar_t ch) {
    if (passwordChar_ == ch) return;
    passwordChar_ = ch;
    if (HWND native = GetNativeWindow()) ::SendMessageW(native, EM_SETPASSWORDCHAR, ch, 0);
    Invalidate();
}

void CEditUI::SetMaxChar(int maxChar) {
    maxChar_ = maxChar;
    if (HWND native = GetNativeWindow()) ::SendMessageW(native, EM_LIMITTEXT, maxChar, 0);
}

void CEditUI::SetTipValue(const std::wstring& tip) {
    tipValue_ = tip;
    Invalidate();
}

void CEditUI::SetTipValueColor(UiColor color) {
    tipValueColor_ = color;
    Invalidate();
}

void CEditUI::SetNativeEditBkColor(UiColor color) { nativeBkColor_ = color; }

void CEditUI::DoEvent(UiEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (parent_) parent_->DoEvent(event);
        else CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (!IsEnabled()) break;
        ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
        return;
    case UIEVENT_SETFOCUS:
        focused_ = true;
        if (IsEnabled()) BeginEdit();
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        focused_ = false;
        EndEdit();
        Invalidate();
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (!IsEnabled()) return;
        // The native window takes the mouse from here on.
        ::ReleaseCapture();
        if (IsFocused()) BeginEdit();
        if (HWND native = GetNativeWindow()) {
            const int length = ::GetWindowTextLengthW(native);
            ::SendMessageW(native, EM_SETSEL, 0, length > 0 ? length : 1);
            // The press gave the focus to the paint window; the typing goes on here.
            ::SetFocus(native);
        }
        return;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_BUTTONUP:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_SCROLLWHEEL:
        if (IsEditing()) return;
        break;
    case UIEVENT_MOUSEENTER:
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            editState_ = event.Type == UIEVENT_MOUSEENTER ? editState_ | UISTATE_HOT : editState_ & ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

const CAttributeTable& CEditUI::GetAttributeTable() const { return Attributes(); }

const CAttributeTable& CEditUI::Attributes() {
    using C = CEditUI;
    using V = const std::wstring&;
    static const CAttributeTable table = CAttributeTable::Of<C>(&CLabelUI::Attributes(), {
        {L"readonly", [](C& c, V v) { c.SetReadOnly(ParseBoolValue(v)); }},
        {L"numberonly", [](C& c, V v) { c.SetNumberOnly(ParseBoolValue(v)); }},
        {L"password", [](C& c, V v) { c.SetPasswordMode(ParseBoolValue(v)); }},
        {L"maxchar", [](C& c, V v) { c.SetMaxChar(static_cast<int>(ParseIntValue(v))); }},
        {L"normalimage", [](C& c, V v) { c.normalImage_ = v; }},
        {L"hotimage", [](C& c, V v) { c.hotImage_ = v; }},
        {L"focusedimage", [](C& c, V v) { c.focusedImage_ = v; }},
        {L"disabledimage", [](C& c, V v) { c.disabledImage_ = v; }},
        {L"tipvalue", [](C& c, V v) { c.SetTipValue(v); }},
        {L"tipvaluecolor", [](C& c, V v) { c.SetTipValueColor(ParseColorValue(v)); }},
        {L"nativebkcolor", [](C& c, V v) { c.SetNativeEditBkColor(ParseColorValue(v)); }},
    });
    return table;
}

bool CEditUI::DrawStateImage(HDC dc, std::wstring& image) {
    if (image.empty()) return false;
    if (DrawImage(dc, image)) return true;
    image.clear();
    return false;
}

void CEditUI::PaintStatusImage(HDC dc) {
    if (!IsEnabled()) {
        if (DrawStateImage(dc, disabledImage_)) return;
    } else if (IsFocused()) {
        if (DrawStateImage(dc, focusedImage_)) return;
    } else if (editState_ & UISTATE_HOT) {
        if (DrawStateImage(dc, hotImage_)) return;
    }
    DrawStateImage(dc, normalImage_);
}

void CEditUI::PaintText(HDC dc) {
    const UINT style = textStyle_ | DT_SINGLELINE;
    if (text_.empty()) {
        // The hint shows while there is nothing to edit and the native window is not up.
        if (!IsEditing()) DrawTextIn(dc, tipValue_, tipValueColor_, style);
        return;
    }
    DrawTextIn(dc, password_ ? std::wstring(text_.size(), passwordChar_) : text_, NormalTextColor(), style);
}

}  // namespace UiLib
