#include "UiLib/controls/UIEditWnd.h"

#include <string>

#include "UiLib/controls/UIEdit.h"
#include "UiLib/render/SkinResources.h"
#include "UiLib/render/UIResource.h"
#include "UiLib/tree/ControlHost.h"

namespace UiLib {
namespace {

// The window property that links a native edit window to its object.
constexpr const wchar_t* kObjectProperty = L"WndX";
// Messages that the paint manager reflects back to the child window that sent them.
constexpr UINT kReflectBase = 0x2000;
constexpr UINT kReflectedCommand = kReflectBase + WM_COMMAND;
constexpr UINT kReflectedColorEdit = kReflectBase + WM_CTLCOLOREDIT;
constexpr UINT kReflectedColorStatic = kReflectBase + WM_CTLCOLORSTATIC;

WNDPROC g_systemEditProc = nullptr;

HINSTANCE ModuleInstance() {
    HINSTANCE instance = CResourceConfig::GetInstance();
    return instance ? instance : ::GetModuleHandleW(nullptr);
}

}  // namespace

CEditWnd::CEditWnd(CEditUI* owner) : owner_(owner) {}

CEditWnd::~CEditWnd() {
    owner_ = nullptr;
    if (hwnd_ && ::IsWindow(hwnd_)) {
        ::ShowWindow(hwnd_, SW_HIDE);
        ::DestroyWindow(hwnd_);
    }
}

bool CEditWnd::RegisterSuperclass() {
    if (g_systemEditProc) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(nullptr, L"EDIT", &wc)) return false;
    WNDPROC systemProc = wc.lpfnWndProc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    g_systemEditProc = systemProc;
    return true;
}

RECT CEditWnd::CalculatePos() const {
    RECT rect = owner_->GetPos();
    const RECT padding = owner_->GetTextPadding();
    rect.left += padding.left;
    rect.top += padding.top;
    rect.right -= padding.right;
    rect.bottom -= padding.bottom;
    // Centred on one line of the control's font when the area is taller.
    const LONG lineHeight = owner_->GetManager()->GetResources().GetFontInfo(owner_->GetFont()).tm.tmHeight;
    if (lineHeight < rect.bottom - rect.top) {
        rect.top += (rect.bottom - rect.top - lineHeight) / 2;
        rect.bottom = rect.top + lineHeight;
    }
    return rect;
}

void CEditWnd::ApplyFont() {
    HFONT font = owner_->GetManager()->GetResources().GetFont(owner_->GetFont());
    if (font == font_) return;
    font_ = font;
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

bool CEditWnd::Create() {
    CControlHost* manager = owner_->GetManager();
    if (!manager || !manager->GetPaintWindow() || !RegisterSuperclass()) return false;
    DWORD style = WS_CHILD | ES_AUTOHSCROLL;
    if (owner_->IsPasswordMode()) style |= ES_PASSWORD;
    if (owner_->IsNumberOnly()) style |= ES_NUMBER;
    const RECT rect = CalculatePos();
    hwnd_ = ::CreateWindowExW(0, kClassName, nullptr, style, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, manager->GetPaintWindow(), nullptr, ModuleInstance(), this);
    if (!hwnd_) return false;
    ApplyFont();
    ::SendMessageW(hwnd_, EM_LIMITTEXT, owner_->GetMaxChar(), 0);
    if (owner_->IsPasswordMode()) ::SendMessageW(hwnd_, EM_SETPASSWORDCHAR, owner_->GetPasswordChar(), 0);
    ::SetWindowTextW(hwnd_, owner_->GetText().c_str());
    ::SendMessageW(hwnd_, EM_SETMODIFY, FALSE, 0);
    ::SendMessageW(hwnd_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
    ::EnableWindow(hwnd_, owner_->IsEnabled());
    ::SendMessageW(hwnd_, EM_SETREADONLY, owner_->IsReadOnly(), 0);
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    ::SetFocus(hwnd_);
    initialised_ = true;
    return true;
}

LRESULT CALLBACK CEditWnd::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<CEditWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetPropW(hwnd, kObjectProperty, self);
    }
    auto* self = static_cast<CEditWnd*>(::GetPropW(hwnd, kObjectProperty));
    if (!self) return ::CallWindowProcW(g_systemEditProc, hwnd, message, wParam, lParam);
    if (message != WM_NCDESTROY) return self->HandleMessage(hwnd, message, wParam, lParam);

    LRESULT result = CallPrevious(hwnd, message, wParam, lParam);
    ::RemovePropW(hwnd, kObjectProperty);
    self->hwnd_ = nullptr;
    // The owner deletes this object; nothing of it is touched afterwards.
    if (CEditUI* owner = self->owner_) owner->NativeWindowDestroyed(self);
    return result;
}

LRESULT CEditWnd::CallPrevious(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!::IsWindow(hwnd)) return 0;
    return ::CallWindowProcW(g_systemEditProc, hwnd, message, wParam, lParam);
}

// A notification handler may end editing and so delete this object: after a notification only
// the local window handle is used.
LRESULT CEditWnd::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KILLFOCUS:
        // Losing the focus ends editing once the focus change is complete.
        if (owner_) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        break;
    case WM_CLOSE:
        // The focus came back before the close that losing it posted: editing goes on.
        if (::GetFocus() == hwnd) return 0;
        ::ShowWindow(hwnd, SW_HIDE);
        ::DestroyWindow(hwnd);
        return 0;
    case kReflectedCommand:
        if (HIWORD(wParam) == EN_CHANGE) OnTextChanged();
        return 0;
    case kReflectedColorEdit:
    case kReflectedColorStatic:
        return OnColor(reinterpret_cast<HDC>(wParam));
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) NotifyReturn();
        else NotifyKeyPress(wParam);
        break;
    case WM_KEYUP:
        NotifyKey(L"keyup", wParam);
        break;
    case WM_CHAR:
        NotifyKey(L"char", wParam);
        break;
    case WM_SYSKEYDOWN:
        NotifyKey(L"syskeypress", wParam);
        break;
    case WM_SYSKEYUP:
        NotifyKey(L"syskeyup", wParam);
        break;
    default:
        break;
    }
    return CallPrevious(hwnd, message, wParam, lParam);
}

void CEditWnd::NotifyKey(const wchar_t* type, WPARAM key) {
    if (!owner_ || !owner_->GetManager()) return;
    owner_->GetManager()->SendNotify(owner_, type, key);
}

void CEditWnd::NotifyKeyPress(WPARAM key) {
    // A handler may end the editing, and this window with it.
    CEditUI* owner = owner_;
    auto* manager = owner ? owner->GetManager() : nullptr;
    if (!manager) return;
    owner->keyPressed_.Emit(static_cast<UINT>(key));
    manager->SendNotify(owner, L"keypress", key);
}

void CEditWnd::NotifyReturn() {
    // A handler may end the editing, and this window with it.
    CEditUI* owner = owner_;
    auto* manager = owner ? owner->GetManager() : nullptr;
    if (!manager) return;
    owner->returned_.Emit();
    manager->SendNotify(owner, L"return", VK_RETURN);
}

void CEditWnd::OnTextChanged() {
    if (!initialised_ || !owner_) return;
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hwnd_)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd_, text.data(), static_cast<int>(text.size()))));
    owner_->TakeNativeText(text);
    auto* manager = owner_->GetManager();
    if (!manager) return;
    owner_->textChanged_.Emit(text);
    manager->SendNotify(owner_, L"textchanged");
}

LRESULT CEditWnd::OnColor(HDC dc) {
    if (!owner_) return 0;
    const UiColor background = owner_->GetNativeEditBkColor();
    ::SetTextColor(dc, ToColorRef(owner_->GetTextColor()));
    if (background == 0) {
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    ::SetBkColor(dc, ToColorRef(background));
    if (!background_) background_.Reset(::CreateSolidBrush(ToColorRef(background)));
    return reinterpret_cast<LRESULT>(background_.Get());
}

}  // namespace UiLib
