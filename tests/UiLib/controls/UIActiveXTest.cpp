// A real in-process COM control hosted by CActiveXUI in a real window: activation, the window and
// rectangle it is given, resizing, painting and what the host's site answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "UiLib/controls/UIActiveX.h"
#include "UiLib/controls/UIActiveXCtrl.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "tests/UiLib/controls/RecordingControl.h"
#include "tests/UiLib/core/ManagerWindow.h"
#include "tests/UiLib/support/TestCanvas.h"

using namespace UiLib;
using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kLayout[] =
    L"<Window size=\"300,200\">"
    L"<VerticalLayout inset=\"10,20,10,10\">"
    L"  <ActiveX name=\"ax\" clsid=\"{6B1F3C52-7E4A-4C1B-9D2E-5A8F0C3B7D11}\"/>"
    L"</VerticalLayout>"
    L"</Window>";

// A windowed control under a floating control that keeps to the right edge, and a plain one
// beside it that never meets the control.
const wchar_t kCoveredLayout[] =
    L"<Window size=\"300,200\">"
    L"<Container>"
    L"  <ActiveX name=\"ax\" clsid=\"{6B1F3C52-7E4A-4C1B-9D2E-5A8F0C3B7D11}\"/>"
    L"  <Control name=\"over\" float=\"true\" pos=\"250,10,290,40\" relativepos=\"100,0,0,0\"/>"
    L"  <Control name=\"away\" float=\"true\" pos=\"0,300,10,310\"/>"
    L"</Container>"
    L"</Window>";

class ActiveXWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::OleInitialize(nullptr); }
    static void TearDownTestSuite() { ::OleUninitialize(); }

    void SetUp() override {
        RecordingControl::record = ControlRecord{};
        RecordingControl::lastSite.Reset();
        RecordingControl::miscStatus = 0;
        RecordingControl::wantWindowless = true;
    }
    void TearDown() override { RecordingControl::lastSite.Reset(); }

    void Build(bool windowless, const wchar_t* layout = kLayout) {
        RecordingControl::wantWindowless = windowless;
        window = std::make_unique<ManagerWindow>(RECT{0, 0, 300, 200});
        CDialogBuilder builder;
        std::unique_ptr<CControlUI> root = builder.Create(layout, nullptr, nullptr, &window->manager);
        ASSERT_NE(root, nullptr);
        window->manager.AttachDialog(std::move(root));
        window->manager.AddNotifier(&notes);
        window->Show();
        window->PumpUntil([] { return !RecordingControl::record.verbs.empty(); }, 2000);
        ax = static_cast<CActiveXUI*>(window->manager.FindControl(L"ax"));
        ASSERT_NE(ax, nullptr);
    }

    RecordingControlClass registration;
    std::unique_ptr<ManagerWindow> window;
    NotifyLog notes;
    CActiveXUI* ax = nullptr;
};

bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

// The host window's region as the points it takes among `probes`; "all" when it has none.
std::string HostTakes(HWND host, const std::vector<POINT>& probes) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    std::string taken;
    if (::GetWindowRgn(host, region) == ERROR) {
        taken = "all";
    } else {
        for (POINT probe : probes) taken += ::PtInRegion(region, probe.x, probe.y) ? '1' : '0';
    }
    ::DeleteObject(region);
    return taken;
}

}  // namespace

TEST_F(ActiveXWindowTest, AWindowlessControlIsActivatedInPlaceOverItsRectangleOnFirstLayout) {
    Build(true);
    const ControlRecord& rec = RecordingControl::record;
    RECT expected{10, 20, 290, 190};
    EXPECT_TRUE(SameRect(ax->GetPos(), expected));
    ASSERT_EQ(rec.verbs.size(), 1u);
    EXPECT_EQ(rec.verbs[0], OLEIVERB_INPLACEACTIVATE);
    EXPECT_EQ(rec.verbParent, window->Get());
    EXPECT_EQ(rec.activation, S_OK);
    EXPECT_EQ(rec.parentWindow, window->Get());
    EXPECT_EQ(ax->GetHostWindow(), window->Get());
    EXPECT_EQ(rec.containerName, L"UIActiveX");
    EXPECT_TRUE(rec.initNewCalled);
    EXPECT_FALSE(rec.siteBeforeInitNew);
    EXPECT_TRUE(rec.siteSet);
    EXPECT_EQ(notes.Count(L"showactivex"), 1);
    // The frame: the manager's window, one accelerator entry, not MDI.
    EXPECT_TRUE(rec.gotFrame);
    EXPECT_EQ(rec.frameInfo.hwndFrame, window->Get());
    EXPECT_EQ(rec.frameInfo.cAccelEntries, 1u);
    EXPECT_FALSE(rec.frameInfo.fMDIApp);
    // The in-place object and the extent follow the rectangle (HIMETRIC at the screen's DPI).
    ASSERT_FALSE(rec.objectRects.empty());
    EXPECT_TRUE(SameRect(rec.objectRects.back(), expected));
    ASSERT_FALSE(rec.extents.empty());
    HDC screen = ::GetDC(nullptr);
    LONG width = ::MulDiv(2540, 280, ::GetDeviceCaps(screen, LOGPIXELSX));
    LONG height = ::MulDiv(2540, 170, ::GetDeviceCaps(screen, LOGPIXELSY));
    ::ReleaseDC(nullptr, screen);
    EXPECT_EQ(rec.extents.back().cx, width);
    EXPECT_EQ(rec.extents.back().cy, height);
}

TEST_F(ActiveXWindowTest, ResizingTheWindowMovesTheControlAndPaintingDrawsItsView) {
    Build(true);
    ::SetWindowPos(window->Get(), nullptr, 0, 0, 400, 260, SWP_NOZORDER | SWP_NOACTIVATE);
    window->PumpUntil([] { return RecordingControl::record.objectRects.back().right == 390; }, 2000);
    RECT expected{10, 20, 390, 250};
    EXPECT_TRUE(SameRect(RecordingControl::record.objectRects.back(), expected));

    TestCanvas canvas(400, 260);
    RecordingControl::record.draws.clear();
    ax->DoPaint(canvas.DC(), canvas.Bounds());
    ASSERT_EQ(RecordingControl::record.draws.size(), 1u);
    EXPECT_EQ(RecordingControl::record.draws[0].left, 10);
    EXPECT_EQ(RecordingControl::record.draws[0].bottom, 250);
    EXPECT_EQ(canvas.Rgb(200, 100), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(5, 5), 0xFFFFFFu);
    // A paint rectangle that misses the control draws nothing.
    ax->DoPaint(canvas.DC(), RECT{0, 0, 8, 8});
    EXPECT_EQ(RecordingControl::record.draws.size(), 1u);
}

TEST_F(ActiveXWindowTest, MouseMessagesOverAWindowlessControlGoToIt) {
    Build(true);
    RecordingControl::record.windowMessages.clear();
    ::SendMessageW(window->Get(), WM_MOUSEMOVE, 0, ClientPoint(100, 100));
    ::SendMessageW(window->Get(), WM_MOUSEMOVE, 0, ClientPoint(3, 3));
    ASSERT_EQ(RecordingControl::record.windowMessages.size(), 1u);
    EXPECT_EQ(RecordingControl::record.windowMessages[0], static_cast<UINT>(WM_MOUSEMOVE));
    // Keys only while the control has the focus.
    ::SendMessageW(window->Get(), WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(RecordingControl::record.windowMessages.size(), 1u);
    ComPtr<IOleInPlaceSiteWindowless> site;
    ASSERT_TRUE(SUCCEEDED(RecordingControl::lastSite.As(&site)));
    site->SetFocus(TRUE);
    EXPECT_EQ(site->GetFocus(), S_OK);
    ::SendMessageW(window->Get(), WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(RecordingControl::record.windowMessages.back(), static_cast<UINT>(WM_KEYDOWN));
}

TEST_F(ActiveXWindowTest, AWindowedControlLivesInAHostChildWindowThatFollowsTheControl) {
    Build(false);
    HWND host = ax->GetHostWindow();
    ASSERT_NE(host, nullptr);
    EXPECT_NE(host, window->Get());
    EXPECT_EQ(::GetParent(host), window->Get());
    EXPECT_EQ(RecordingControl::record.parentWindow, host);
    wchar_t className[64] = {}, text[64] = {};
    ::GetClassNameW(host, className, 64);
    ::GetWindowTextW(host, text, 64);
    EXPECT_STREQ(className, L"ActiveXWnd");
    EXPECT_STREQ(text, L"UIActiveX");
    RECT placed;
    ::GetWindowRect(host, &placed);
    ::MapWindowPoints(nullptr, window->Get(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(SameRect(placed, RECT{10, 20, 290, 190}));
    // The control sits at the origin of its host window.
    EXPECT_TRUE(SameRect(RecordingControl::record.objectRects.back(), RECT{0, 0, 280, 170}));

    ax->SetPos(RECT{30, 40, 130, 90});
    ::GetWindowRect(host, &placed);
    ::MapWindowPoints(nullptr, window->Get(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(SameRect(placed, RECT{30, 40, 130, 90}));
    EXPECT_TRUE(SameRect(RecordingControl::record.objectRects.back(), RECT{0, 0, 100, 50}));

    ax->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(host));
    ax->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(host));

    // Focus on the host window marks the site focused and asks the control to become UI-active.
    ComPtr<IOleInPlaceSiteWindowless> site;
    ASSERT_TRUE(SUCCEEDED(RecordingControl::lastSite.As(&site)));
    ::SendMessageW(host, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(site->GetFocus(), S_OK);
    EXPECT_EQ(RecordingControl::record.verbs.back(), OLEIVERB_UIACTIVATE);
    ::SendMessageW(host, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(site->GetFocus(), S_FALSE);
    EXPECT_EQ(::SendMessageW(host, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0), 0);
}

TEST_F(ActiveXWindowTest, AHostWindowLeavesOutTheControlsPaintedOverItAndFollowsThem) {
    Build(false, kCoveredLayout);
    HWND host = ax->GetHostWindow();
    ASSERT_NE(host, nullptr);
    // Inside the float, beside it, and the far corner of the control.
    const std::vector<POINT> probes{{260, 20}, {249, 20}, {260, 40}, {299, 199}};
    window->PumpUntil([&] { return HostTakes(host, probes) != "all"; }, 2000);
    EXPECT_EQ(HostTakes(host, probes), "0111");

    // The float moves with the right edge; the grown host window is whole but for the float.
    ::SetWindowPos(window->Get(), nullptr, 0, 0, 400, 260, SWP_NOZORDER | SWP_NOACTIVATE);
    window->PumpUntil([&] { return HostTakes(host, {{360, 20}}) == "0"; }, 2000);
    EXPECT_EQ(HostTakes(host, {{360, 20}, {349, 20}, {260, 20}, {399, 259}}), "0111");

    // A hidden float gives its place back: the host window is whole again.
    window->manager.FindControl(L"over")->SetVisible(false);
    window->PumpUntil([&] { return HostTakes(host, {{360, 20}}) == "all"; }, 2000);
    EXPECT_EQ(HostTakes(host, {{360, 20}}), "all");
}

TEST_F(ActiveXWindowTest, TheSiteAnswersTheHostInterfaces) {
    Build(true);
    ComPtr<IOleClientSite> site = RecordingControl::lastSite;
    ASSERT_TRUE(site);
    const IID answered[] = {IID_IUnknown,        IID_IOleClientSite,     IID_IOleInPlaceSiteWindowless,
                            IID_IOleInPlaceSiteEx, IID_IOleInPlaceSite,   IID_IOleWindow,
                            IID_IOleControlSite,  IID_IObjectWithSite,    IID_IOleContainer};
    for (const IID& iid : answered) {
        ComPtr<IUnknown> part;
        EXPECT_EQ(site->QueryInterface(iid, reinterpret_cast<void**>(part.GetAddressOf())), S_OK);
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(none.GetAddressOf())), E_NOINTERFACE);

    ComPtr<IMoniker> moniker;
    EXPECT_EQ(site->GetMoniker(0, 0, moniker.GetAddressOf()), E_NOTIMPL);
    ComPtr<IOleContainer> container;
    ASSERT_EQ(site->GetContainer(container.GetAddressOf()), S_OK);
    ComPtr<IEnumUnknown> objects;
    ASSERT_EQ(container->EnumObjects(OLECONTF_EMBEDDINGS, objects.GetAddressOf()), S_OK);
    IUnknown* fetched[2] = {};
    ULONG count = 0;
    EXPECT_EQ(objects->Next(2, fetched, &count), S_FALSE);
    ASSERT_EQ(count, 1u);
    ComPtr<IUnknown> first(fetched[0]);
    fetched[0]->Release();
    ComPtr<IUnknown> controlIdentity, enumIdentity;
    ax->QueryControl(IID_IUnknown, reinterpret_cast<void**>(controlIdentity.GetAddressOf()));
    first.As(&enumIdentity);
    EXPECT_EQ(controlIdentity.Get(), enumIdentity.Get());

    ComPtr<IOleControlSite> controlSite;
    ASSERT_TRUE(SUCCEEDED(site.As(&controlSite)));
    EXPECT_EQ(controlSite->TranslateAccelerator(nullptr, 0), S_FALSE);
    EXPECT_EQ(controlSite->LockInPlaceActive(TRUE), S_OK);

    ComPtr<IObjectWithSite> withSite;
    ASSERT_TRUE(SUCCEEDED(site.As(&withSite)));
    ComPtr<IUnknown> outer;
    EXPECT_EQ(withSite->GetSite(IID_IUnknown, reinterpret_cast<void**>(outer.GetAddressOf())), E_FAIL);
    withSite->SetSite(controlSite.Get());
    EXPECT_EQ(withSite->GetSite(IID_IOleControlSite, reinterpret_cast<void**>(outer.GetAddressOf())), S_OK);
    withSite->SetSite(nullptr);

    ComPtr<IOleInPlaceSiteWindowless> inPlace;
    ASSERT_TRUE(SUCCEEDED(site.As(&inPlace)));
    HWND hwnd = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&hwnd), S_OK);
    EXPECT_EQ(hwnd, window->Get());
    EXPECT_EQ(inPlace->CanWindowlessActivate(), S_OK);
    ComPtr<IOleInPlaceFrame> frame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    ASSERT_EQ(inPlace->GetWindowContext(frame.GetAddressOf(), document.GetAddressOf(), &position, &clip, &info), S_OK);
    EXPECT_FALSE(document);
    EXPECT_EQ(info.cb, 20u);
    EXPECT_EQ(frame->RequestBorderSpace(nullptr), INPLACE_E_NOTOOLSPACE);
    EXPECT_EQ(frame->TranslateAccelerator(nullptr, 0), S_FALSE);
    HWND frameWindow = nullptr;
    frame->GetWindow(&frameWindow);
    EXPECT_EQ(frameWindow, window->Get());
}

TEST_F(ActiveXWindowTest, DestroyingTheControlClosesAndReleasesTheHostedObject) {
    Build(true);
    EXPECT_EQ(RecordingControl::record.liveObjects, 1);
    RecordingControl::lastSite.Reset();
    // The old tree is deleted by the manager's delayed clean-up.
    window->manager.AttachDialog(std::make_unique<CControlUI>());
    window->PumpUntil([] { return RecordingControl::record.liveObjects == 0; }, 2000);
    EXPECT_TRUE(RecordingControl::record.siteCleared);
    EXPECT_TRUE(RecordingControl::record.closedNoSave);
    EXPECT_TRUE(RecordingControl::record.clientSiteCleared);
    EXPECT_EQ(RecordingControl::record.runningLocks, 0) << "the running lock of its activation is released";
    EXPECT_EQ(RecordingControl::record.liveObjects, 0);
}

TEST(ActiveXControlTest, ClassIdsAreCheckedAndCreationWaitsForTheFirstLayout) {
    ::OleInitialize(nullptr);
    {
        RecordingControlClass registration;
        RecordingControl::record = ControlRecord{};
        CActiveXUI ax;
        EXPECT_STREQ(ax.GetClass(), L"ActiveXUI");
        EXPECT_EQ(ax.GetInterface(L"ActiveX"), &ax);
        EXPECT_EQ(ax.GetInterface(L"Control"), &ax);
        ComPtr<IUnknown> unknown;
        EXPECT_EQ(ax.QueryControl(IID_IUnknown, reinterpret_cast<void**>(unknown.GetAddressOf())), E_PENDING);
        EXPECT_EQ(ax.QueryControl(IID_IUnknown, nullptr), E_POINTER);

        ax.SetAttribute(L"clsid", L"{00000000-0000-0000-0000-000000000000}");
        EXPECT_TRUE(::IsEqualGUID(ax.GetClsid(), GUID_NULL));
        ax.SetAttribute(L"clsid", L"No.Such.ProgId");
        EXPECT_TRUE(::IsEqualGUID(ax.GetClsid(), GUID_NULL));
        EXPECT_FALSE(ax.ActivateControl());

        ax.SetAttribute(L"clsid", L"{6B1F3C52-7E4A-4C1B-9D2E-5A8F0C3B7D11}");
        EXPECT_TRUE(::IsEqualGUID(ax.GetClsid(), CLSID_RecordingControl));
        EXPECT_EQ(RecordingControl::record.liveObjects, 0);
        // Turning delayed creation off creates the control at once, without a window.
        ax.SetAttribute(L"delaycreate", L"false");
        EXPECT_EQ(RecordingControl::record.liveObjects, 1);
        EXPECT_EQ(ax.QueryControl(IID_IViewObject, reinterpret_cast<void**>(unknown.GetAddressOf())), S_OK);
        unknown.Reset();
        // A module that cannot be loaded falls back to the registered class.
        ax.SetModuleName(L"no-such-control.dll");
        // Re-creating replaces the old object.
        EXPECT_TRUE(ax.ActivateControl());
        EXPECT_EQ(RecordingControl::record.liveObjects, 1);
        RecordingControl::lastSite.Reset();
    }
    EXPECT_EQ(RecordingControl::record.liveObjects, 0);
    ::OleUninitialize();
}
