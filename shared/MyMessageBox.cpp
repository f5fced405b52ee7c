#include "shared/MyMessageBox.h"

#include <memory>

#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UIControl.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/core/UIResource.h"
#include "shared/SkinnedDialogFrame.h"

using namespace UiLib;

namespace {

// The style once the native frame is gone: no caption, children and siblings clipped.
constexpr DWORD kClearCaptionMask = 0xFF3FFFFF;
constexpr DWORD kClipStyles = 0x06000000;

// Without its layout the box could show nothing: the system's box says the same instead, and its
// IDOK and IDCANCEL are the box's own results.
int ShowSystemMessageBox(HWND owner, const std::wstring& text1, const std::wstring& text2,
                         const std::wstring& caption, int icon) {
    std::wstring text = text2.empty() ? text1 : text1 + L"\n" + text2;
    UINT iconStyle = icon == CMyMessageBox::kIconError      ? MB_ICONERROR
                     : icon == CMyMessageBox::kIconQuestion ? MB_ICONQUESTION
                                                            : MB_ICONWARNING;
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OKCANCEL | iconStyle);
}

}  // namespace

CMyMessageBox::CMyMessageBox(std::wstring text1, std::wstring text2, std::wstring caption, int icon)
    : text1_(std::move(text1)), text2_(std::move(text2)), caption_(std::move(caption)), icon_(icon) {}

std::wstring CMyMessageBox::IconImage(int icon) { return L"sysset\\msg" + std::to_wstring(icon) + L".png"; }

LRESULT CMyMessageBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return OnCreate();
    LRESULT result = 0;
    // The title bar's buttons take clicks; the rest of the band drags the box.
    if (SkinnedDialogFrame::HandleMessage(window_, paintManager_, UiLib::CaptionClicks::Buttons,
                                          message, wParam, lParam, result))
        return result;
    if (paintManager_.MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT CMyMessageBox::OnCreate() {
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(window_, GWL_STYLE));
    ::SetWindowLongPtrW(window_, GWL_STYLE, static_cast<LONG_PTR>((style & kClearCaptionMask) | kClipStyles));
    ::SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    paintManager_.Init(window_);
    paintManager_.AddPreMessageFilter(this);
    // The box may be the first skinned window of the process.
    SkinnedDialogFrame::SelectProgramSkin();
    // The layout uses none of the application's own tags, so no builder callback is needed.
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.Create(CDialogBuilder::Layout(kLayoutFile), nullptr, nullptr,
                                                      &paintManager_);
    if (!root) return 0;
    paintManager_.AttachDialog(std::move(root));
    SubscribeToButtons();
    FillControls();
    return 0;
}

void CMyMessageBox::FillControls() {
    auto setText = [this](const wchar_t* name, const std::wstring& text) {
        if (CControlUI* control = paintManager_.FindControl(name)) control->SetText(text);
    };
    setText(L"text1", text1_);
    setText(L"text2", text2_);
    setText(L"caption", caption_);
    if (CControlUI* icon = paintManager_.FindControl(L"icon")) icon->SetBkImage(IconImage(icon_));
}

void CMyMessageBox::SubscribeToButtons() {
    auto onClick = [this](const wchar_t* name, UINT result) {
        if (auto* button = paintManager_.FindControl<CButtonUI>(name))
            buttonClicks_.push_back(button->OnClick([this, result] { Close(result); }));
    };
    onClick(L"ok", kResultOk);
    onClick(L"cancel", kResultCancel);
    onClick(L"close", kResultCancel);
}

LRESULT CMyMessageBox::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    if (message != WM_KEYDOWN) return 0;
    // Enter is swallowed: only the buttons and Escape answer the box.
    if (wParam == VK_RETURN) handled = true;
    if (wParam == VK_ESCAPE) {
        Close(kResultCancel);
        handled = true;
    }
    return 0;
}

void CMyMessageBox::OnFinalMessage(HWND) {
    paintManager_.RemovePreMessageFilter(this);
}

int ShowMyMessageBox(HWND owner, const std::wstring& text1, const std::wstring& text2, const std::wstring& caption,
                     int icon) {
    CMyMessageBox* shown = CWindowWnd::CreateOwned(std::make_unique<CMyMessageBox>(text1, text2, caption, icon),
                                                    [owner](CMyMessageBox& box) {
        return box.Create(owner, L"", CMyMessageBox::kWindowStyle, 0, 0, 0, 0, 0);
    });
    if (shown == nullptr) return ShowSystemMessageBox(owner, text1, text2, caption, icon);
    // The native window deletes the box when it is destroyed.
    if (!shown->HasLayout()) {
        ::DestroyWindow(shown->GetHWND());
        return ShowSystemMessageBox(owner, text1, text2, caption, icon);
    }
    shown->CenterWindow();
    return static_cast<int>(shown->ShowModal());
}
