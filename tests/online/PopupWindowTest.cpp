// The news, advert and today's-news windows in real windows with short delays. Wine here has no
// HTML engine, so no page ever loads by itself: the tests stand in for the browser and raise its
// events on the window, with the window's own browser object as the top-level document and an
// object of their own as a frame.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UiLib/controls/UIWebBrowser.h"
#include "UiLib/render/UIResource.h"
#include "online/ManagementService.h"
#include "online/MiniInformationWndUI.h"
#include "online/PopWndUI.h"
#include "shared/SysSettings.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

using namespace UiLib;

namespace {

// A document that is not the window's own: a frame of the page.
class FrameDocument : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (id != IID_IUnknown && id != IID_IDispatch) return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

struct Url {
    explicit Url(const wchar_t* text) {
        value.vt = VT_BSTR;
        value.bstrVal = ::SysAllocString(text);
    }
    ~Url() { ::VariantClear(&value); }
    VARIANT value;
};

void Pump(DWORD ms) {
    DWORD end = ::GetTickCount() + ms;
    while (static_cast<int>(end - ::GetTickCount()) > 0) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(5);
    }
}

class PopupWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::OleInitialize(nullptr);
        CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
        CResourceConfig::SetResourceZipFromModule(MAKEINTRESOURCEW(130), L"ZIPRES");
    }
    void SetUp() override { settings.LoadSettings(folder.Path()); }

    template <typename Window>
    Window* Open(std::unique_ptr<Window> object) {
        Window* window = CWindowWnd::CreateOwned(std::move(object), [](Window& created) {
            return created.Create(nullptr, L"", WS_POPUP, 0, 0, 0, 300, 170);
        });
        if (window) window->Navigate(CWebPopupWnd::kBlankPage);
        return window;
    }
    // The window's own browser object: the top-level document of its events.
    static IDispatch* TopDocument(CWebPopupWnd* window, const wchar_t* browser) {
        auto* control = static_cast<CWebBrowserUI*>(window->GetPaintManager().FindControl(browser)->GetInterface(L"WebBrowser"));
        return control ? control->GetWebBrowser2() : nullptr;
    }
    static void Loaded(CWebPopupWnd* window, IDispatch* document, const wchar_t* url) {
        Url address(url);
        window->OnNavigateComplete(document, &address.value);
    }
    static bool Cancelled(CWebPopupWnd* window, IDispatch* document, const wchar_t* url) {
        Url address(url);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        window->OnBeforeNavigate(document, &address.value, nullptr, nullptr, nullptr, nullptr, &cancel);
        return cancel == VARIANT_TRUE;
    }
    static void Failed(CWebPopupWnd* window, IDispatch* document, const wchar_t* url) {
        Url address(url);
        VARIANT_BOOL cancel = VARIANT_FALSE;
        window->OnNavigateError(document, &address.value, nullptr, nullptr, &cancel);
    }

    TestFolder folder;
    SysSettings settings;
    FrameDocument frame;
};

}  // namespace

TEST(PopupPlacementTest, ThePopupSitsInTheCornerAtASoundSizeForAnHourAtMost) {
    const RECT work{0, 0, 1920, 1040};
    RECT usual = PopupPlacement(work, 300, 170);
    EXPECT_EQ(usual.left, 1620);
    EXPECT_EQ(usual.top, 870);
    RECT none = PopupPlacement(work, 0, -5);
    EXPECT_EQ(none.right - none.left, 300);
    EXPECT_EQ(none.bottom - none.top, 170);
    RECT huge = PopupPlacement(work, 100000, 100000);
    EXPECT_EQ(huge.left, 0);
    EXPECT_EQ(huge.top, 0);
    RECT tiny = PopupPlacement(work, 3, 2);
    EXPECT_EQ(tiny.right - tiny.left, 100);
    // The service's sizes are 96-DPI pixels: at 144 DPI the pop-up and its limits are 1.5 times as large.
    const UiLib::CDpiScale scaled(144);
    RECT large = PopupPlacement(work, 300, 170, scaled);
    EXPECT_EQ(large.right - large.left, 450);
    EXPECT_EQ(large.bottom - large.top, 255);
    RECT largeNone = PopupPlacement(work, 0, 0, scaled);
    EXPECT_EQ(largeNone.right - largeNone.left, 450);
    EXPECT_EQ(PopupPlacement(work, 3, 2, scaled).bottom - PopupPlacement(work, 3, 2, scaled).top, 90);
    EXPECT_EQ(PopupPlacement(work, 100000, 100000, scaled).left, 0);
    EXPECT_EQ(PopupDisplayMilliseconds(8), 8000u);
    EXPECT_EQ(PopupDisplayMilliseconds(-3), 0u);
    EXPECT_EQ(PopupDisplayMilliseconds(2147483), 3600000u) << "no overflow into a weeks-long wait";
}

TEST_F(PopupWindowTest, ANewsPopupShowsAfterItsDelayRecordsItsPageOnlyOnceSeenAndClosesAfterItsTime) {
    CPopWndUI* popup = Open(std::make_unique<CPopWndUI>(settings, L"http://127.0.0.1/news", 400, 200));
    ASSERT_NE(popup, nullptr);
    HWND window = popup->GetHWND();
    IDispatch* top = TopDocument(popup, L"ie9");
    ASSERT_NE(top, nullptr);
    Loaded(popup, &frame, L"http://127.0.0.1/frame.html");
    Loaded(popup, top, L"http://127.0.0.1/news.html");
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_EQ(settings.Snapshot().NewsUrl, L"") << "not seen yet";
    Pump(300);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(settings.Snapshot().NewsUrl, L"http://127.0.0.1/news")
        << "the reply's address, which the next reply is compared with: not where a redirect led, nor the frame";
    Pump(800);
    EXPECT_FALSE(::IsWindow(window)) << "closed after its display time";
}

TEST_F(PopupWindowTest, ThePointerKeepsAPopupOpenAndAPopupClosedUnseenRecordsNothing) {
    CPopWndUI* popup = Open(std::make_unique<CPopWndUI>(settings, L"http://127.0.0.1/news.html", 300, 100));
    ASSERT_NE(popup, nullptr);
    HWND window = popup->GetHWND();
    Pump(200);
    ASSERT_TRUE(::IsWindowVisible(window));
    ::SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    // Enter and Escape do not close it either.
    ::SendMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
    ::SendMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump(600);
    EXPECT_TRUE(::IsWindow(window));
    ::DestroyWindow(window);

    // A page that fails closes the pop-up before it was shown; nothing is recorded.
    popup = Open(std::make_unique<CPopWndUI>(settings, L"http://127.0.0.1/news.html", 300, 300));
    ASSERT_NE(popup, nullptr);
    window = popup->GetHWND();
    Failed(popup, &frame, L"http://127.0.0.1/frame.html");
    Pump(50);
    EXPECT_TRUE(::IsWindow(window)) << "a failing frame does not close it";
    Failed(popup, TopDocument(popup, L"ie9"), L"http://127.0.0.1/news.html");
    Pump(100);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(settings.Snapshot().NewsUrl, L"");
}

TEST_F(PopupWindowTest, OnlyATopLevelWebPageThePlayerClickedLeavesForTheDefaultBrowser) {
    CPopWndUI* popup = Open(std::make_unique<CPopWndUI>(settings, L"http://127.0.0.1/news.html", 60000, 50));
    ASSERT_NE(popup, nullptr);
    HWND window = popup->GetHWND();
    std::vector<std::wstring> opened;
    popup->openInBrowser = [&](const std::wstring& url) { opened.push_back(url); };
    IDispatch* top = TopDocument(popup, L"ie9");
    EXPECT_FALSE(Cancelled(popup, top, L"http://127.0.0.1/redirect.html")) << "the first load stays inside";
    Loaded(popup, top, L"http://127.0.0.1/news.html");
    Pump(100);

    EXPECT_TRUE(Cancelled(popup, top, L"http://127.0.0.1/by-script.html")) << "no click: stays";
    ::SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    EXPECT_TRUE(Cancelled(popup, &frame, L"http://127.0.0.1/in-frame.html"));
    EXPECT_TRUE(Cancelled(popup, top, L"file:///C:/windows/system32/calc.exe"));
    EXPECT_TRUE(Cancelled(popup, top, L"\\\\server\\share\\x.exe"));
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(Cancelled(popup, top, L"https://example.com/game"));
    EXPECT_TRUE(opened.empty()) << "opened once the browser's event is over";
    Pump(100);
    EXPECT_EQ(opened, std::vector<std::wstring>{L"https://example.com/game"});
    EXPECT_FALSE(::IsWindow(window)) << "the pop-up closes once the page went to the browser";
}

TEST_F(PopupWindowTest, AnAdvertRecordsTheDayOnceSeenAndCanAlwaysBeClosed) {
    CPopIEWndUI* advert = Open(std::make_unique<CPopIEWndUI>(settings, 60000, 50));
    ASSERT_NE(advert, nullptr);
    HWND window = advert->GetHWND();
    ASSERT_NE(advert->GetPaintManager().FindControl(L"close"), nullptr) << "the player can always close it";
    Loaded(advert, TopDocument(advert, L"ie9"), L"http://127.0.0.1/ad.html");
    EXPECT_EQ(settings.Snapshot().AdTime, L"");
    Pump(150);
    EXPECT_EQ(settings.Snapshot().AdTime, TodayStamp());
    ::SendMessageW(window, WM_CLOSE, 1, 0);
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(PopupWindowTest, TodaysNewsCountsItsFirstTopLevelLoadAfterRedirectsAndKeepsItsSize) {
    CMiniInformationWndUI* news = Open(std::make_unique<CMiniInformationWndUI>(settings, 50));
    ASSERT_NE(news, nullptr);
    HWND window = news->GetHWND();
    IDispatch* top = TopDocument(news, L"ie10");
    // Nothing answers there: the real load fails later and closes the window, as a failing page does.
    news->NavigateInfo(L"http://127.0.0.1:1/today");
    Loaded(news, &frame, L"http://127.0.0.1:1/ad-frame.html");
    EXPECT_EQ(settings.Snapshot().NewsTime, L"");
    EXPECT_FALSE(Cancelled(news, top, L"http://127.0.0.1:1/other.html")) << "links open inside";
    Loaded(news, top, L"http://127.0.0.1:1/today/");
    EXPECT_EQ(settings.Snapshot().NewsTime, TodayStamp()) << "a redirect or an added \"/\" still counts";
    ::DestroyWindow(window);

    // Shown after its delay, at the size of its layout whatever its creation asked for.
    news = Open(std::make_unique<CMiniInformationWndUI>(settings, 50));
    ASSERT_NE(news, nullptr);
    window = news->GetHWND();
    Pump(150);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(rect.right - rect.left, 700);
    EXPECT_EQ(rect.bottom - rect.top, 450);
    ::SendMessageW(window, WM_CLOSE, 1, 0);
}
