// The web browser control: its event sink and host-UI answers, and the platform's browser hosted
// for real where the platform can create it.
#include <gtest/gtest.h>

#include <downloadmgr.h>
#include <exdispid.h>
#include <mshtmdid.h>
#include <urlmon.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "UiLib/controls/UIWebBrowser.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "tests/UiLib/core/ManagerWindow.h"
#include "tests/support/LocalService.h"

using namespace UiLib;
using Microsoft::WRL::ComPtr;

namespace {

const GUID kDownloadManager = {0x988934A4, 0x064B, 0x11D3, {0xBB, 0x80, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9}};
const GUID kDocHostCommandHandler = {0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};

class RecordingHandler : public CWebBrowserEventHandler {
public:
    void OnBeforeNavigate(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                          VARIANT_BOOL* cancel) override {
        calls.push_back(L"before:" + Text(url));
        if (cancelNext) *cancel = VARIANT_TRUE;
    }
    void OnNavigateError(IDispatch*, VARIANT* url, VARIANT*, VARIANT* status, VARIANT_BOOL*) override {
        calls.push_back(L"error:" + Text(url) + L":" + std::to_wstring(status->lVal));
    }
    void OnNavigateComplete(IDispatch*, VARIANT* url) override { calls.push_back(L"complete:" + Text(url)); }
    void OnNewWindow(IDispatch**, VARIANT_BOOL*, DWORD flags, BSTR, BSTR url) override {
        calls.push_back(L"newwindow:" + std::wstring(url) + L":" + std::to_wstring(flags));
    }
    void OnCommandStateChange(long command, VARIANT_BOOL enable) override {
        calls.push_back(L"command:" + std::to_wstring(command) + (enable ? L":on" : L":off"));
    }
    HRESULT Download(IMoniker*, IBindCtx*, DWORD, LONG, BINDINFO*, LPCOLESTR, LPCOLESTR, UINT) override {
        calls.push_back(L"download");
        return S_OK;
    }

    static std::wstring Text(VARIANT* v) { return v && v->vt == VT_BSTR && v->bstrVal ? v->bstrVal : L""; }

    std::vector<std::wstring> calls;
    bool cancelNext = false;
};

// The arguments of one browser event, built the way the browser's connection point sends them
// (last argument first). A stand-in for the platform browser, which cannot load pages here.
class EventArguments {
public:
    EventArguments& Dispatch() { return Push(VT_DISPATCH); }
    EventArguments& Ref(const wchar_t* text) {
        auto& target = targets_[used_++];
        ::VariantInit(&target);
        if (text) {
            target.vt = VT_BSTR;
            target.bstrVal = ::SysAllocString(text);
        }
        VARIANT& arg = Push(VT_BYREF | VT_VARIANT).Last();
        arg.pvarVal = &target;
        return *this;
    }
    EventArguments& RefLong(long value) {
        auto& target = targets_[used_++];
        ::VariantInit(&target);
        target.vt = VT_I4;
        target.lVal = value;
        Push(VT_BYREF | VT_VARIANT).Last().pvarVal = &target;
        return *this;
    }
    EventArguments& Cancel() {
        Push(VT_BYREF | VT_BOOL).Last().pboolVal = &cancel;
        return *this;
    }
    EventArguments& Long(long value) {
        Push(VT_I4).Last().lVal = value;
        return *this;
    }
    EventArguments& Bool(bool value) {
        Push(VT_BOOL).Last().boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return *this;
    }
    EventArguments& Bstr(const wchar_t* text) {
        Push(VT_BSTR).Last().bstrVal = ::SysAllocString(text);
        return *this;
    }
    EventArguments& DispatchOut() {
        Push(VT_BYREF | VT_DISPATCH).Last().ppdispVal = &newWindow;
        return *this;
    }
    ~EventArguments() {
        for (VARIANT& v : args_)
            if (v.vt == VT_BSTR) ::VariantClear(&v);
        for (int i = 0; i < used_; ++i) ::VariantClear(&targets_[i]);
    }
    HRESULT Fire(IDispatch* sink, DISPID id) {
        std::vector<VARIANT> reversed(args_.rbegin(), args_.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        return sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }

    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* newWindow = nullptr;

private:
    EventArguments& Push(VARTYPE type) {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = type;
        args_.push_back(v);
        return *this;
    }
    VARIANT& Last() { return args_.back(); }

    std::vector<VARIANT> args_;
    VARIANT targets_[8];
    int used_ = 0;
};

IDispatch* Sink(CWebBrowserUI& browser) { return static_cast<IDispatch*>(&browser); }

// Whether the browser lets a navigation to `url` go on, the way the platform browser asks.
bool LetsThrough(CWebBrowserUI& browser, const wchar_t* url) {
    EventArguments before;
    before.Dispatch().Ref(url).Ref(nullptr).Ref(nullptr).Ref(nullptr).Ref(nullptr).Cancel();
    return before.Fire(Sink(browser), DISPID_BEFORENAVIGATE2) == S_OK && before.cancel == VARIANT_FALSE;
}

// A browser control laid out in a window of its own, with the platform's browser object in it.
struct HostedBrowser {
    HostedBrowser() {
        CDialogBuilder builder;
        window.manager.AttachDialog(builder.Create(L"<Window><WebBrowser name=\"ie\" autonavi=\"false\"/></Window>",
                                                   nullptr, nullptr, &window.manager));
        browser = static_cast<CWebBrowserUI*>(window.manager.FindControl(L"ie"));
        window.Show();
        window.PumpUntil([&] { return browser && browser->IsCreated(); }, 2000);
    }
    ~HostedBrowser() {
        window.manager.AttachDialog(std::make_unique<CControlUI>());
        window.Pump();
    }

    ManagerWindow window{RECT{0, 0, 300, 200}};
    CWebBrowserUI* browser = nullptr;
};

}  // namespace

TEST(WebBrowserEventsTest, BrowserEventsReachTheHandlerWithTheirArguments) {
    CWebBrowserUI browser;
    RecordingHandler handler;
    browser.SetWebBrowserEventHandler(&handler);

    EventArguments before;
    before.Dispatch().Ref(L"http://portal/a").Ref(nullptr).Ref(nullptr).Ref(nullptr).Ref(nullptr).Cancel();
    handler.cancelNext = true;
    EXPECT_EQ(before.Fire(Sink(browser), DISPID_BEFORENAVIGATE2), S_OK);
    EXPECT_EQ(before.cancel, VARIANT_TRUE);

    EventArguments error;
    error.Dispatch().Ref(L"http://portal/b").Ref(nullptr).RefLong(-2146697211).Cancel();
    EXPECT_EQ(error.Fire(Sink(browser), DISPID_NAVIGATEERROR), S_OK);

    EventArguments complete;
    complete.Dispatch().Ref(L"http://portal/c");
    EXPECT_EQ(complete.Fire(Sink(browser), DISPID_NAVIGATECOMPLETE2), S_OK);

    EventArguments newWindow;
    newWindow.DispatchOut().Cancel().Long(6).Bstr(L"http://portal/").Bstr(L"http://portal/pop");
    EXPECT_EQ(newWindow.Fire(Sink(browser), DISPID_NEWWINDOW3), S_OK);

    EventArguments command;
    command.Long(CSC_NAVIGATEBACK).Bool(true);
    EXPECT_EQ(command.Fire(Sink(browser), DISPID_COMMANDSTATECHANGE), S_OK);

    EventArguments status;
    status.Bstr(L"完成");
    EXPECT_EQ(status.Fire(Sink(browser), DISPID_STATUSTEXTCHANGE), S_OK);
    EventArguments progress;
    progress.Long(1).Long(2);
    EXPECT_EQ(progress.Fire(Sink(browser), DISPID_PROGRESSCHANGE), DISP_E_MEMBERNOTFOUND);

    std::vector<std::wstring> expected = {L"before:http://portal/a", L"error:http://portal/b:-2146697211",
                                          L"complete:http://portal/c", L"newwindow:http://portal/pop:6",
                                          L"command:2:on"};
    EXPECT_EQ(handler.calls, expected);
}

TEST(WebBrowserEventsTest, MalformedOrForeignEventsAreRefusedAndWithoutHandlerDropped) {
    CWebBrowserUI browser;
    RecordingHandler handler;
    EventArguments command;
    command.Long(1).Bool(true);
    EXPECT_EQ(command.Fire(Sink(browser), DISPID_COMMANDSTATECHANGE), S_OK);  // no handler: dropped

    browser.SetWebBrowserEventHandler(&handler);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(Sink(browser)->Invoke(DISPID_COMMANDSTATECHANGE, IID_IUnknown, 0, DISPATCH_METHOD, &none, nullptr,
                                    nullptr, nullptr),
              E_INVALIDARG);
    EXPECT_EQ(Sink(browser)->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr,
                                    nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Sink(browser)->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr,
                                    nullptr),
              DISP_E_BADPARAMCOUNT);
    EventArguments wrongTypes;
    wrongTypes.Bool(true).Long(1);
    EXPECT_EQ(wrongTypes.Fire(Sink(browser), DISPID_COMMANDSTATECHANGE), DISP_E_BADPARAMCOUNT);
    EXPECT_TRUE(handler.calls.empty());
}

TEST(WebBrowserHostTest, HostUiAnswersHideMenusScriptErrorsAndDownloads) {
    CWebBrowserUI browser;
    EXPECT_STREQ(browser.GetClass(), L"WebBrowserUI");
    EXPECT_EQ(browser.GetInterface(L"WebBrowser"), &browser);
    IDocHostUIHandler* ui = &browser;
    EXPECT_EQ(ui->ShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE);
    DOCHOSTUIINFO info{};
    EXPECT_EQ(ui->GetHostInfo(&info), E_NOTIMPL);
    IDispatch* external = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(ui->GetExternal(&external), S_FALSE);
    EXPECT_EQ(external, nullptr);

    RecordingHandler handler;
    browser.SetWebBrowserEventHandler(&handler);
    EXPECT_EQ(ui->ShowContextMenu(0, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(ui->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.cbSize, 20u);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_NO3DBORDER));
    EXPECT_EQ(ui->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_FALSE);
    MSG key{nullptr, WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_EQ(ui->TranslateAccelerator(&key, nullptr, 0), S_FALSE) << "the page keeps its keys";
    IDropTarget* replacement = reinterpret_cast<IDropTarget*>(1);
    EXPECT_EQ(ui->GetDropTarget(nullptr, &replacement), S_OK);
    EXPECT_EQ(replacement, nullptr);

    ComPtr<IOleCommandTarget> commands;
    ASSERT_EQ(ui->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(commands.GetAddressOf())), S_OK);
    VARIANT out;
    ::VariantInit(&out);
    EXPECT_EQ(commands->Exec(&kDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out), S_OK);
    EXPECT_EQ(out.vt, VT_BOOL);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    EXPECT_EQ(commands->Exec(&kDocHostCommandHandler, 41, 0, nullptr, &out), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(commands->Exec(&IID_IUnknown, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, &out), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(commands->QueryStatus(nullptr, 0, nullptr, nullptr), OLECMDERR_E_NOTSUPPORTED);

    ComPtr<IServiceProvider> services;
    ASSERT_EQ(ui->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.GetAddressOf())), S_OK);
    ComPtr<IDownloadManager> downloads;
    ASSERT_EQ(services->QueryService(kDownloadManager, kDownloadManager,
                                     reinterpret_cast<void**>(downloads.GetAddressOf())),
              S_OK);
    EXPECT_EQ(downloads->Download(nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(handler.calls, std::vector<std::wstring>{L"download"});
    ComPtr<IUnknown> other;
    EXPECT_EQ(services->QueryService(IID_IUnknown, IID_IUnknown, reinterpret_cast<void**>(other.GetAddressOf())),
              E_NOINTERFACE);
}

// The browser may keep a download manager after the control is gone: it then reaches nobody.
TEST(WebBrowserHostTest, ADownloadManagerOutlivingItsControlAsksNobody) {
    RecordingHandler handler;
    auto browser = std::make_unique<CWebBrowserUI>();
    browser->SetWebBrowserEventHandler(&handler);
    ComPtr<IServiceProvider> services;
    ASSERT_EQ(browser->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.GetAddressOf())), S_OK);
    ComPtr<IDownloadManager> downloads;
    ASSERT_EQ(services->QueryService(kDownloadManager, kDownloadManager,
                                     reinterpret_cast<void**>(downloads.GetAddressOf())),
              S_OK);
    services.Reset();
    browser.reset();
    EXPECT_EQ(downloads->Download(nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, 0), S_OK);
    EXPECT_TRUE(handler.calls.empty());
}

// The platform's browser object, hosted for real. It is created and in-place activated here, but
// without an HTML engine it cannot load a page; the test records what it does with a navigation.
TEST(WebBrowserHostTest, ThePlatformBrowserIsCreatedHostedAndConnected) {
    ::OleInitialize(nullptr);
    {
        ManagerWindow window(RECT{0, 0, 400, 300});
        CDialogBuilder builder;
        std::unique_ptr<CControlUI> root = builder.Create(
            L"<Window size=\"400,300\"><VerticalLayout><WebBrowser name=\"ie\" autonavi=\"false\"/></VerticalLayout>"
            L"</Window>",
            nullptr, nullptr, &window.manager);
        ASSERT_NE(root, nullptr);
        window.manager.AttachDialog(std::move(root));
        auto* browser = static_cast<CWebBrowserUI*>(window.manager.FindControl(L"ie"));
        ASSERT_NE(browser, nullptr);
        RecordingHandler handler;
        browser->SetWebBrowserEventHandler(&handler);
        window.Show();
        window.PumpUntil([&] { return browser->IsCreated(); }, 2000);
        ASSERT_NE(browser->GetWebBrowser2(), nullptr);
        EXPECT_TRUE(browser->IsEventSinkConnected());
        HWND host = browser->GetHostWindow();
        ASSERT_NE(host, nullptr);
        RECT placed;
        ::GetClientRect(host, &placed);
        EXPECT_EQ(placed.right, 400);
        EXPECT_EQ(placed.bottom, 300);

        browser->NavigateUrl(L"about:blank");
        // The real browser reports the navigation through the connected sink; without an HTML
        // engine it then reports a failure instead of a completed page.
        auto finished = [&] {
            for (const std::wstring& call : handler.calls)
                if (call.rfind(L"error:", 0) == 0 || call.rfind(L"complete:", 0) == 0) return true;
            return false;
        };
        window.PumpUntil(finished, 3000);
        for (const std::wstring& call : handler.calls) std::printf("browser event: %ls\n", call.c_str());
        ASSERT_FALSE(handler.calls.empty());
        EXPECT_EQ(handler.calls.front(), L"before:about:blank");
        EXPECT_TRUE(finished());
        window.manager.AttachDialog(std::make_unique<CControlUI>());
    }
    ::OleUninitialize();
}

TEST(WebBrowserHostTest, AutoNavigationOpensTheHomePageOnTheFirstLayout) {
    ::OleInitialize(nullptr);
    {
        ManagerWindow window(RECT{0, 0, 300, 200});
        CDialogBuilder builder;
        std::unique_ptr<CControlUI> root = builder.Create(
            L"<Window><WebBrowser name=\"ie\" autonavi=\"true\" homepage=\"about:blank\"/></Window>", nullptr, nullptr,
            &window.manager);
        ASSERT_NE(root, nullptr);
        window.manager.AttachDialog(std::move(root));
        auto* browser = static_cast<CWebBrowserUI*>(window.manager.FindControl(L"ie"));
        ASSERT_NE(browser, nullptr);
        RecordingHandler handler;
        browser->SetWebBrowserEventHandler(&handler);
        EXPECT_EQ(browser->GetWebBrowser2(), nullptr);
        window.Show();
        window.PumpUntil([&] { return !handler.calls.empty(); }, 3000);
        ASSERT_FALSE(handler.calls.empty());
        EXPECT_EQ(handler.calls.front(), L"before:about:blank");
        window.manager.AttachDialog(std::make_unique<CControlUI>());
        window.Pump();
    }
    ::OleUninitialize();
}

// A navigation keeps what it was given (the program's turn on the network) while the page
// downloads: until the browser reports the download over, the next navigation, the control's end,
// or kLongestLoadingHoldMs at the most. The page hangs on the local service, so that only those
// end the download here; each case takes a browser of its own.
TEST(WebBrowserHostTest, ANavigationKeepsItsHoldUntilTheDownloadIsOver) {
    LocalService service;
    ASSERT_TRUE(service.Running());
    ServiceAnswer hang;
    hang.hang = true;
    ASSERT_TRUE(service.Answer("/pages/slow.html", "", hang));
    const std::wstring slow = service.Url("/pages/slow.html");
    ::OleInitialize(nullptr);
    auto withBrowser = [](const std::function<void(ManagerWindow&, CWebBrowserUI&)>& use) {
        ManagerWindow window(RECT{0, 0, 300, 200});
        CDialogBuilder builder;
        window.manager.AttachDialog(builder.Create(L"<Window><WebBrowser name=\"ie\" autonavi=\"false\"/></Window>",
                                                   nullptr, nullptr, &window.manager));
        auto* browser = static_cast<CWebBrowserUI*>(window.manager.FindControl(L"ie"));
        ASSERT_NE(browser, nullptr);
        window.Show();
        use(window, *browser);
        window.manager.AttachDialog(std::make_unique<CControlUI>());
        window.Pump();
    };
    RecordingHandler handler;
    auto navigate = [&](CWebBrowserUI& browser, const std::wstring& url) {
        auto hold = std::make_shared<int>();
        browser.Navigate(url, &handler, hold);
        return std::weak_ptr<int>(hold);
    };

    withBrowser([&](ManagerWindow& window, CWebBrowserUI& browser) {
        std::weak_ptr<int> held = navigate(browser, slow);
        window.PumpUntil([] { return false; }, 300);
        EXPECT_FALSE(held.expired()) << "the page is still downloading";
        EventArguments none;
        EXPECT_EQ(none.Fire(Sink(browser), DISPID_DOWNLOADCOMPLETE), S_OK);
        EXPECT_TRUE(held.expired());
    });
    withBrowser([&](ManagerWindow& window, CWebBrowserUI& browser) {
        std::weak_ptr<int> held = navigate(browser, slow);
        window.PumpUntil([&] { return held.expired(); }, CWebBrowserUI::kLongestLoadingHoldMs + 1000);
        EXPECT_TRUE(held.expired()) << "a hanging page keeps the hold for a while only";
    });
    withBrowser([&](ManagerWindow&, CWebBrowserUI& browser) {
        std::weak_ptr<int> first = navigate(browser, slow);
        navigate(browser, slow + L"?again");
        EXPECT_TRUE(first.expired()) << "the next navigation ends the first one's download";
    });
    std::weak_ptr<int> leftWithTheControl;
    withBrowser([&](ManagerWindow&, CWebBrowserUI& browser) {
        leftWithTheControl = navigate(browser, slow);
        EXPECT_FALSE(leftWithTheControl.expired());
    });
    EXPECT_TRUE(leftWithTheControl.expired()) << "the hold goes with the browser";

    CWebBrowserUI unhosted;
    std::weak_ptr<int> withoutBrowser = navigate(unhosted, slow);
    EXPECT_TRUE(withoutBrowser.expired()) << "no browser object, nothing downloads";
    ::OleUninitialize();
}

// Web content runs inside an elevated program: a browser goes to the web and to its host's own
// page only, and opens no window of its own, whatever its event handler answers. The platform
// browser here has no HTML engine, so the page-side navigations are raised as its events.
TEST(WebBrowserBoxTest, OnlyTheWebAndTheHostsOwnPageAreReachedAndNoWindowOpens) {
    const wchar_t* offline = L"res://C:\\Program Files\\Ludora\\Ludora.exe/102";
    CWebBrowserUI browser;
    RecordingHandler handler;
    browser.SetWebBrowserEventHandler(&handler);
    browser.AllowPage(offline);

    for (const wchar_t* allowed : {L"http://portal.example/", L"HTTPS://portal.example/news?id=1", L"about:blank",
                                   offline, L"RES://c:\\program files\\ludora\\ludora.exe/102",
                                   L"javascript:showTab(2)"})
        EXPECT_TRUE(LetsThrough(browser, allowed)) << allowed;
    for (const wchar_t* refused :
         {L"file:///C:/Windows/win.ini", L"FILE://server/share/page.htm", L"\\\\server\\share\\page.htm",
          L"//server/share/page.htm", L"C:\\Windows\\win.ini", L"res://ieframe.dll/navcancl.htm",
          L"res://C:\\Program Files\\Ludora\\Ludora.exe/103", L"res://C:\\Other\\Ludora.exe/102", L"about:settings",
          L"mailto:player@example.com", L"ms-settings:", L"mk:@MSITStore:C:\\help.chm::/a.htm", L"telnet://host",
          L"vbscript:msgbox(1)", L"", L"http"})
        EXPECT_FALSE(LetsThrough(browser, refused)) << refused;
    EXPECT_EQ(handler.calls.size(), 22u) << "the handler hears of every navigation, refused ones too";

    EventArguments newWindow3;
    newWindow3.DispatchOut().Cancel().Long(6).Bstr(L"http://portal.example/").Bstr(L"http://portal.example/pop");
    EXPECT_EQ(newWindow3.Fire(Sink(browser), DISPID_NEWWINDOW3), S_OK);
    EXPECT_EQ(newWindow3.cancel, VARIANT_TRUE);
    EXPECT_EQ(handler.calls.back(), L"newwindow:http://portal.example/pop:6") << "the handler may hand it on";
    EventArguments newWindow2;
    newWindow2.DispatchOut().Cancel();
    EXPECT_EQ(newWindow2.Fire(Sink(browser), DISPID_NEWWINDOW2), S_OK);
    EXPECT_EQ(newWindow2.cancel, VARIANT_TRUE);

    // Without a handler the rules still hold.
    browser.SetWebBrowserEventHandler(nullptr);
    EXPECT_FALSE(LetsThrough(browser, L"file:///C:/Windows/win.ini"));
    EXPECT_TRUE(LetsThrough(browser, L"http://portal.example/"));
    EventArguments unhandled;
    unhandled.DispatchOut().Cancel().Long(0).Bstr(L"").Bstr(L"http://portal.example/pop");
    EXPECT_EQ(unhandled.Fire(Sink(browser), DISPID_NEWWINDOW3), S_OK);
    EXPECT_EQ(unhandled.cancel, VARIANT_TRUE);

    // The program's own navigations follow the same rules: a refused address never reaches the
    // platform browser, which reports each navigation it starts.
    ::OleInitialize(nullptr);
    {
        HostedBrowser hosted;
        ASSERT_NE(hosted.browser->GetWebBrowser2(), nullptr);
        RecordingHandler started;
        hosted.browser->SetWebBrowserEventHandler(&started);
        for (const wchar_t* refused : {L"file:///C:/Windows/win.ini", L"\\\\server\\share\\page.htm",
                                       L"javascript:alert(1)", L"res://ieframe.dll/navcancl.htm"}) {
            hosted.browser->NavigateUrl(refused);
            hosted.browser->Navigate(refused, &started);
            auto hold = std::make_shared<int>();
            std::weak_ptr<int> held = hold;
            hosted.browser->Navigate(refused, &started, std::move(hold));
            EXPECT_TRUE(held.expired()) << "nothing loads, nothing is held";
        }
        hosted.browser->NavigateUrl(L"about:blank");
        hosted.window.PumpUntil([&] { return !started.calls.empty(); }, 3000);
        ASSERT_FALSE(started.calls.empty());
        EXPECT_EQ(started.calls.front(), L"before:about:blank");
    }
    ::OleUninitialize();
}

// The platform browser asks its host's site for a security manager and for the download control;
// the process's protections are on once a browser exists. Wine's browser has no HTML engine to
// ask for itself: the test asks the site as the engine does.
TEST(WebBrowserBoxTest, ThePagesGetNoActiveXNoDownloadsAndTheProcessIsLockedDown) {
    ::OleInitialize(nullptr);
    {
        HostedBrowser hosted;
        ASSERT_NE(hosted.browser->GetControl(), nullptr);
        for (INTERNETFEATURELIST feature :
             {FEATURE_LOCALMACHINE_LOCKDOWN, FEATURE_RESTRICT_ACTIVEXINSTALL, FEATURE_RESTRICT_FILEDOWNLOAD,
              FEATURE_ZONE_ELEVATION, FEATURE_MIME_HANDLING, FEATURE_OBJECT_CACHING, FEATURE_DISABLE_MK_PROTOCOL,
              FEATURE_SAFE_BINDTOOBJECT})
            EXPECT_EQ(::CoInternetIsFeatureEnabled(feature, GET_FEATURE_FROM_PROCESS), S_OK) << feature;

        ComPtr<IOleClientSite> site;
        ASSERT_EQ(hosted.browser->GetControl()->GetClientSite(site.GetAddressOf()), S_OK);
        ComPtr<IServiceProvider> services;
        ASSERT_EQ(site.As(&services), S_OK);
        ComPtr<IInternetSecurityManager> security;
        ASSERT_EQ(services->QueryService(SID_SInternetSecurityManager, IID_IInternetSecurityManager,
                                         reinterpret_cast<void**>(security.GetAddressOf())),
                  S_OK);
        const wchar_t* page = L"http://portal.example/";
        for (DWORD refused : {URLACTION_ACTIVEX_RUN, URLACTION_ACTIVEX_OVERRIDE_OBJECT_SAFETY,
                              URLACTION_DOWNLOAD_SIGNED_ACTIVEX, URLACTION_DOWNLOAD_UNSIGNED_ACTIVEX,
                              URLACTION_SCRIPT_SAFE_ACTIVEX, URLACTION_SHELL_FILE_DOWNLOAD, URLACTION_SHELL_VERB,
                              URLACTION_SHELL_EXECUTE_HIGHRISK, URLACTION_HTML_JAVA_RUN}) {
            DWORD policy = URLPOLICY_ALLOW;
            EXPECT_EQ(security->ProcessUrlAction(page, refused, reinterpret_cast<BYTE*>(&policy), sizeof(policy),
                                                 nullptr, 0, PUAF_DEFAULT, 0),
                      S_FALSE)
                << std::hex << refused;
            EXPECT_EQ(policy, static_cast<DWORD>(URLPOLICY_DISALLOW)) << std::hex << refused;
        }
        // Scripts, pictures and the pop-up blocker stay the zone's.
        for (DWORD kept : {URLACTION_SCRIPT_RUN, URLACTION_HTML_META_REFRESH, URLACTION_SHELL_POPUPMGR}) {
            DWORD policy = 0;
            EXPECT_EQ(security->ProcessUrlAction(page, kept, reinterpret_cast<BYTE*>(&policy), sizeof(policy), nullptr,
                                                 0, PUAF_DEFAULT, 0),
                      INET_E_DEFAULT_ACTION)
                << std::hex << kept;
        }

        ComPtr<IDispatch> ambient;
        ASSERT_EQ(site.As(&ambient), S_OK);
        VARIANT flags;
        ::VariantInit(&flags);
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        ASSERT_EQ(ambient->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &flags, nullptr,
                                  nullptr),
                  S_OK);
        ASSERT_EQ(flags.vt, VT_I4);
        const DWORD expected = DLCTL_DLIMAGES | DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS | DLCTL_NO_JAVA;
        EXPECT_EQ(static_cast<DWORD>(flags.lVal) & expected, expected);
        EXPECT_EQ(flags.lVal & DLCTL_NO_SCRIPTS, 0) << "the pages' scripts run";
    }
    ::OleUninitialize();
}
