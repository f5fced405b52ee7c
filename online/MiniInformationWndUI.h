#pragma once
#include <windows.h>

#include <string>

#include "online/WebPopupWnd.h"

class SysSettings;

// The today's-news window "今日资讯": 700 by 450, shown centred a while after it was raised, its
// links opening inside it. The first load of its page records the day, so that it comes once a day.
class CMiniInformationWndUI final : public CWebPopupWnd {
public:
    static constexpr wchar_t kWindowClassName[] = L"MiniInformationWndUI";
    static constexpr wchar_t kWindowTitle[] = L"今日资讯";
    static constexpr UINT kShowDelayMs = 10000;
    static constexpr UINT kIconId = 101;

    explicit CMiniInformationWndUI(SysSettings& settings, UINT showDelayMs = kShowDelayMs);

    // Shows the page; what loads at the top level after it counts as the page, redirects included.
    void NavigateInfo(const std::wstring& url);

protected:
    const wchar_t* GetWindowClassName() const override { return kWindowClassName; }
    void OnAfterCreate() override;
    void OnShowing() override;
    void OnPageLoaded(const std::wstring& url) override;
    bool HandsLinksOn() const override { return false; }

private:
    SysSettings& settings_;
    bool pageRequested_ = false;
};
