// The web tab: built from the program's skin, navigation bar in step with the browser, and the
// offline page for failed navigations. The platform browser here has no HTML engine, so every
// navigation it starts fails: exactly the case the offline page is for.
#include <gtest/gtest.h>

#include <exdispid.h>

#include <algorithm>
#include <string>
#include <vector>

#include "UiLib/controls/UIWebBrowser.h"
#include "UiLib/layouts/UIVerticalLayout.h"
#include "UiLib/render/UIResource.h"
#include "online/MyIEWndUI.h"
#include "tests/UiLib/core/ManagerWindow.h"
#include "tests/support/LudoraProcess.h"

using namespace UiLib;

namespace {

// The tab with its navigations and failures recorded.
class ObservedTab : public CMyIEWndUI {
public:
    using CMyIEWndUI::CMyIEWndUI;

    void OnBeforeNavigate(IDispatch* dispatch, VARIANT* url, VARIANT* flags, VARIANT* frame, VARIANT* postData,
                          VARIANT* headers, VARIANT_BOOL* cancel) override {
        before.push_back(Text(url));
        CMyIEWndUI::OnBeforeNavigate(dispatch, url, flags, frame, postData, headers, cancel);
    }
    void OnNavigateError(IDispatch* dispatch, VARIANT* url, VARIANT* frame, VARIANT* status,
                         VARIANT_BOOL* cancel) override {
        errors.push_back(Text(url));
        CMyIEWndUI::OnNavigateError(dispatch, url, frame, status, cancel);
    }
    static std::wstring Text(VARIANT* v) { return v && v->vt == VT_BSTR && v->bstrVal ? v->bstrVal : L""; }

    std::vector<std::wstring> before;
    std::vector<std::wstring> errors;
};

HRESULT FireCommandState(CWebBrowserUI* browser, long command, bool enable) {
    VARIANT args[2];
    ::VariantInit(&args[0]);
    ::VariantInit(&args[1]);
    args[1].vt = VT_I4;
    args[1].lVal = command;
    args[0].vt = VT_BOOL;
    args[0].boolVal = enable ? VARIANT_TRUE : VARIANT_FALSE;
    DISPPARAMS params{args, nullptr, 2, 0};
    return static_cast<IDispatch*>(browser)->Invoke(DISPID_COMMANDSTATECHANGE, IID_NULL, 0, DISPATCH_METHOD, &params,
                                                    nullptr, nullptr, nullptr);
}

VARIANT_BOOL FireBeforeNavigate(CWebBrowserUI* browser, const wchar_t* url) {
    VARIANT address, empty;
    ::VariantInit(&address);
    ::VariantInit(&empty);
    address.vt = VT_BSTR;
    address.bstrVal = ::SysAllocString(url);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[7];
    for (VARIANT& arg : args) ::VariantInit(&arg);
    args[6].vt = VT_DISPATCH;
    args[5].vt = VT_BYREF | VT_VARIANT;
    args[5].pvarVal = &address;
    for (int i = 1; i <= 4; ++i) {
        args[i].vt = VT_BYREF | VT_VARIANT;
        args[i].pvarVal = &empty;
    }
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancel;
    DISPPARAMS params{args, nullptr, 7, 0};
    static_cast<IDispatch*>(browser)->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr,
                                             nullptr, nullptr);
    ::VariantClear(&address);
    return cancel;
}

class WebTabTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::OleInitialize(nullptr);
        CResourceConfig::SetResourceZipFromModule(MAKEINTRESOURCEW(130), L"ZIPRES");
    }
    static void TearDownTestSuite() { ::OleUninitialize(); }

    void SetUp() override {
        // The tab builds its content when it joins the window, as a child like the main window's tabs.
        auto root = std::make_unique<CVerticalLayoutUI>();
        auto built = std::make_unique<ObservedTab>();
        tab = built.get();
        root->Add(std::move(built));
        window.manager.AttachDialog(std::move(root));
        browser = static_cast<CWebBrowserUI*>(window.manager.FindControl(L"ie8"));
        back = window.manager.FindControl(L"goback");
        forward = window.manager.FindControl(L"goforward");
    }
    void TearDown() override { window.manager.AttachDialog(std::make_unique<CControlUI>()); }

    ManagerWindow window{RECT{0, 0, 600, 400}};
    ObservedTab* tab = nullptr;
    CWebBrowserUI* browser = nullptr;
    CControlUI* back = nullptr;
    CControlUI* forward = nullptr;
};

}  // namespace

TEST_F(WebTabTest, TheTabHoldsTheNavigationBarAboveTheBrowser) {
    window.Show();
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(back && forward);
    for (const wchar_t* name : {L"iewnd", L"gorefresh", L"gostop"}) EXPECT_NE(window.manager.FindControl(name), nullptr);
    EXPECT_EQ(window.manager.FindControl(L"iewnd")->GetParent(), tab);
    EXPECT_EQ(back->GetPos().bottom - back->GetPos().top, 24);
    EXPECT_EQ(browser->GetPos().top, 32);
    EXPECT_EQ(browser->GetPos().bottom, 400);
    EXPECT_FALSE(browser->IsAutoNavigation());
    EXPECT_FALSE(browser->IsContextMenuUsed());
}

TEST_F(WebTabTest, BackAndForwardFollowTheBrowsersCommandStates) {
    FireCommandState(browser, CSC_NAVIGATEBACK, false);
    FireCommandState(browser, CSC_NAVIGATEFORWARD, false);
    EXPECT_FALSE(back->IsEnabled());
    EXPECT_FALSE(forward->IsEnabled());
    FireCommandState(browser, CSC_NAVIGATEBACK, true);
    EXPECT_TRUE(back->IsEnabled());
    EXPECT_FALSE(forward->IsEnabled());
    FireCommandState(browser, CSC_NAVIGATEFORWARD, true);
    FireCommandState(browser, CSC_UPDATECOMMANDS, false);
    EXPECT_TRUE(back->IsEnabled());
    EXPECT_TRUE(forward->IsEnabled());
}

TEST_F(WebTabTest, AFailedPageIsReplacedByTheOfflinePageWhoseRetryLoadsItAgain) {
    window.Show();
    const std::wstring portal = L"http://127.0.0.1:9/portal";
    tab->NavigateTab(portal);
    ASSERT_NE(browser->GetWebBrowser2(), nullptr);
    EXPECT_EQ(browser->GetWebBrowserEventHandler(), tab);
    const std::wstring offline = CMyIEWndUI::OfflinePageUrl();
    window.PumpUntil([&] { return tab->errors.size() >= 2; }, 3000);
    EXPECT_EQ(tab->GetFailedUrl(), portal);
    ASSERT_GE(tab->before.size(), 2u);
    EXPECT_EQ(tab->before[0], portal);
    EXPECT_EQ(tab->before[1], offline);
    // The offline page failing too (no HTML engine here) ends there instead of starting over.
    window.PumpUntil([] { return false; }, 200);
    EXPECT_EQ(tab->before.size(), 2u);

    // The offline page's retry link is cancelled and the failed page loaded instead.
    tab->before.clear();
    EXPECT_EQ(FireBeforeNavigate(browser, (offline.substr(0, offline.size() - 3) + L"refresh").c_str()), VARIANT_TRUE);
    window.PumpUntil([&] { return tab->before.size() >= 2; }, 3000);
    ASSERT_GE(tab->before.size(), 2u);
    EXPECT_EQ(tab->before[1], portal);
    // Other addresses pass, whatever words they hold.
    EXPECT_EQ(FireBeforeNavigate(browser, L"http://portal/news"), VARIANT_FALSE);
    EXPECT_EQ(FireBeforeNavigate(browser, L"http://portal/refresh?res=1"), VARIANT_FALSE);

    // A frame of a page that fails leaves the tab alone: its retry would load the frame alone.
    tab->before.clear();
    VARIANT frame;
    frame.vt = VT_BSTR;
    frame.bstrVal = ::SysAllocString(L"http://ads.example/frame.html");
    tab->OnNavigateError(static_cast<IDispatch*>(browser), &frame, nullptr, nullptr, nullptr);
    ::VariantClear(&frame);
    EXPECT_EQ(tab->GetFailedUrl(), portal);
    EXPECT_TRUE(tab->before.empty());
}

// A web tab waits for its first showing: it holds no browser until its start page opens, and the
// page opens once however often the tab is shown again.
TEST_F(WebTabTest, TheStartPageCreatesTheBrowserAndOpensOnce) {
    const std::wstring portal = L"http://127.0.0.1:9/start";
    tab->SetStartPage(portal);
    EXPECT_EQ(browser->GetWebBrowser2(), nullptr);
    tab->OpenStartPageOnce();
    ASSERT_NE(browser->GetWebBrowser2(), nullptr);
    window.PumpUntil([&] { return tab->errors.size() >= 2; }, 3000);
    tab->OpenStartPageOnce();
    window.PumpUntil([] { return false; }, 200);
    EXPECT_EQ(std::count(tab->before.begin(), tab->before.end(), portal), 1);
}

TEST_F(WebTabTest, TheOfflinePageAddressNamesThisProgramsResource) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    EXPECT_EQ(CMyIEWndUI::OfflinePageUrl(), L"res://" + std::wstring(path) + L"/102");
    // A retry link before any failure is cancelled and loads nothing.
    EXPECT_EQ(FireBeforeNavigate(browser, L"res://x/refresh"), VARIANT_TRUE);
    EXPECT_TRUE(tab->GetFailedUrl().empty());
    EXPECT_EQ(tab->before.size(), 1u);
}

// Not shown, so not laid out: the browser object is never created.
TEST_F(WebTabTest, ButtonsWithoutABrowserDoNothing) {
    for (const wchar_t* name : {L"goback", L"goforward", L"gorefresh", L"gostop"})
        window.manager.SendNotify(window.manager.FindControl(name), L"click");
    EXPECT_EQ(browser->GetWebBrowser2(), nullptr);
    EXPECT_TRUE(tab->before.empty());
}

TEST(OfflinePageTest, TheProgramCarriesThePageAndItsPictures) {
    HMODULE program = ::LoadLibraryExW(LudoraExePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    HRSRC found = ::FindResourceW(program, MAKEINTRESOURCEW(102), RT_HTML);
    ASSERT_NE(found, nullptr);
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(program, found)));
    std::string page(bytes, ::SizeofResource(program, found));
    EXPECT_NE(page.find(u8"无法连接到游戏服务器"), std::string::npos);
    EXPECT_NE(page.find(u8"请检查网络连接或稍后重试"), std::string::npos);
    EXPECT_NE(page.find("../2/106"), std::string::npos);
    EXPECT_NE(page.find("../2/105"), std::string::npos);
    EXPECT_NE(page.find("location.href='refresh'"), std::string::npos);
    for (UINT id : {105u, 106u}) {
        HBITMAP bitmap = static_cast<HBITMAP>(::LoadImageW(program, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
        ASSERT_NE(bitmap, nullptr) << id;
        BITMAP info{};
        ::GetObjectW(bitmap, sizeof(info), &info);
        EXPECT_EQ(info.bmWidth, id == 105 ? 120 : 128);
        EXPECT_EQ(info.bmHeight, id == 105 ? 36 : 96);
        ::DeleteObject(bitmap);
    }
    ::FreeLibrary(program);
}
