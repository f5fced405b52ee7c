#include "shared/MyMessageBox.h"

#include <memory>

#include "UiLib/controls/UIButton.h"
#include "UiLib/render/UIResource.h"
#include "UiLib/tree/UIControl.h"
#include "shared/SkinnedDialogFrame.h"

using namespace UiLib;

namespace {

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

// The title bar's buttons take clicks; the rest of the band drags the box. The layout uses none of
// the application's own tags, so no builder callback is needed.
CMyMessageBox::CMyMessageBox(std::wstring text1, std::wstring text2, std::wstring caption, int icon)
    : CSkinnedWindow(SkinnedDialogFrame::ProgramDialog(kLayoutFile, WS_CAPTION, CaptionClicks::Buttons)),
      text1_(std::move(text1)),
      text2_(std::move(text2)),
      caption_(std::move(caption)),
      icon_(icon) {
    Options().refresh = FrameRefresh::InPlace;
    // The box may be the first skinned window of the process; without the program's archive it
    // still tries the skin configured before.
    Options().selectSkin = [] {
        SkinnedDialogFrame::SelectProgramSkin();
        return true;
    };
    Options().preMessageFilter = this;
}

std::wstring CMyMessageBox::IconImage(int icon) { return L"sysset\\msg" + std::to_wstring(icon) + L".png"; }

void CMyMessageBox::InitWindow() {
    SubscribeToButtons();
    FillControls();
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
