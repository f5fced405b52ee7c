#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "UiLib/Utils/Signal.h"
#include "UiLib/core/SkinnedWindow.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/tree/UIMessageFilter.h"

// The program's own modal message box: a caption, an icon chosen by number, two lines of text and
// the buttons OK and Cancel, drawn from the skin's "MyMessageBox.xml". Its window owns it.
class CMyMessageBox : public UiLib::CSkinnedWindow, public UiLib::IMessageFilterUI {
public:
    static constexpr wchar_t kWindowClassName[] = L"MyMessageBox";
    static constexpr wchar_t kLayoutFile[] = L"MyMessageBox.xml";
    // WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU.
    static constexpr DWORD kWindowStyle = 0x96C80000;
    // The modal results.
    static constexpr UINT kResultOk = 1;
    static constexpr UINT kResultCancel = 2;
    // Icon numbers: the picture "sysset\msg<number>.png".
    static constexpr int kIconWarning = 0;
    static constexpr int kIconQuestion = 1;
    static constexpr int kIconError = 2;

    CMyMessageBox(std::wstring text1, std::wstring text2, std::wstring caption, int icon);

    // The picture of an icon number.
    static std::wstring IconImage(int icon);

    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

protected:
    const wchar_t* GetWindowClassName() const override { return kWindowClassName; }
    // Subscribes to the buttons and fills the controls.
    void InitWindow() override;

private:
    void FillControls();
    void SubscribeToButtons();

    std::wstring text1_;
    std::wstring text2_;
    std::wstring caption_;
    int icon_;
    std::vector<UiLib::CSubscription> buttonClicks_;
};

// Shows the skinned message box modally over `parent` (none when null), centred on it, and returns
// 1 for OK and 2 for Cancel, the close button or Escape. Only the owner's thread may show it: the
// framework's windows share state that only their own thread touches; other threads ask that
// thread through its window's task queue. A skin without the layout falls back to the system
// message box.
int ShowMyMessageBox(HWND parent, const std::wstring& text1, const std::wstring& text2, const std::wstring& caption,
                     int icon);
