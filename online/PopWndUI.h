#pragma once
#include <windows.h>

#include <string>

#include "UiLib/render/DpiScale.h"
#include "online/WebPopupWnd.h"

class SysSettings;

// A news or advert pop-up: shown a while after it was raised, it closes by itself after its
// display time unless the player's pointer comes over it. What it showed is recorded once it has
// been seen, so that the same content is not offered again.
class CPopupWnd : public CWebPopupWnd {
public:
    static constexpr wchar_t kWindowClassName[] = L"PopWnd";
    // Pop-ups are created with this style and placed by the main window.
    static constexpr DWORD kCreateStyle = 0x81;

protected:
    CPopupWnd(WebPopupStyle style, SysSettings& settings, UINT displayMs, bool hoverCancels);

    const wchar_t* GetWindowClassName() const override { return kWindowClassName; }
    void OnShown() override;
    void OnPageLoaded(const std::wstring& url) override;
    void OnPointerOver() override;
    void OnCloseTimer() override { CloseSoon(); }
    // Records that the page was seen.
    virtual void Record(const std::wstring& url) = 0;

    void CancelCountdown();
    void ArmHoverCancel() { hoverCancels_ = true; }

    SysSettings& settings_;

private:
    void RecordOnceSeen();

    const UINT displayMs_;
    bool hoverCancels_;
    bool counting_ = false;
    bool recorded_ = false;
    std::wstring loadedUrl_;
};

// The news pop-up, "PopWndUI.xml": topmost, with its title "游戏新资讯" and a close button. It
// records the news address of the service's reply, which the next reply is compared with, not
// the address the page ended up at after redirects.
class CPopWndUI final : public CPopupWnd {
public:
    static constexpr UINT kShowDelayMs = 5000;

    CPopWndUI(SysSettings& settings, std::wstring newsUrl, UINT displayMs, UINT showDelayMs = kShowDelayMs);

protected:
    void Record(const std::wstring& loadedUrl) override;

private:
    const std::wstring newsUrl_;
};

// The advert pop-up, "PopIEWndUI.xml": not topmost; the pointer cancels its countdown only once
// the window has had the focus.
class CPopIEWndUI final : public CPopupWnd {
public:
    static constexpr UINT kShowDelayMs = 10000;

    CPopIEWndUI(SysSettings& settings, UINT displayMs, UINT showDelayMs = kShowDelayMs);

    void Notify(UiLib::UiNotify& msg) override;

protected:
    void Record(const std::wstring& url) override;

private:
    bool hadFocus_ = false;
};

// Where a pop-up of the reply's size goes: the bottom-right corner of the work area. The reply's
// sizes are 96-DPI pixels, drawn at the pop-up's `scale`. Sizes out of reason are brought into it:
// none or a negative one gives the usual 300 by 170, and no pop-up is smaller than 100 by 60 or
// larger than the work area.
RECT PopupPlacement(const RECT& workArea, int width, int height, UiLib::CDpiScale scale = UiLib::CDpiScale());
// The display time of a reply in milliseconds: negative counts as none, and an hour at most.
UINT PopupDisplayMilliseconds(int seconds);
