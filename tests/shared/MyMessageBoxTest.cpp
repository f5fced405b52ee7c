// The skinned message box: shown modally from the program's own skin archive (resource 130 of
// this test program), driven with real window messages from inside its modal loop.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "UiLib/core/UIManager.h"
#include "UiLib/render/UIResource.h"
#include "UiLib/tree/UIControl.h"
#include "shared/MyMessageBox.h"
#include "tests/support/WindowPixels.h"

using namespace UiLib;

namespace {

// What a test does with the box once it is up; runs inside the box's modal loop.
std::function<void(HWND, CMyMessageBox&)> g_visit;
int g_ticks = 0;

CMyMessageBox& BoxObject(HWND box) {
    return *static_cast<CMyMessageBox*>(reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(box, GWLP_USERDATA)));
}

// The box of this process: other test programs may show theirs at the same time.
HWND FindBox() {
    HWND box = nullptr;
    while ((box = ::FindWindowExW(nullptr, box, CMyMessageBox::kWindowClassName, nullptr)) != nullptr) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(box, &process);
        if (process == ::GetCurrentProcessId()) return box;
    }
    return nullptr;
}

VOID CALLBACK VisitBox(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindBox();
    if (box == nullptr) return;
    ++g_ticks;
    if (g_ticks == 1) {
        ::UpdateWindow(box);
        auto visit = std::move(g_visit);
        visit(box, BoxObject(box));
    } else if (g_ticks > 200) {
        // The visit did not close the box: end it with a result no button gives.
        ::PostMessageW(box, WM_CLOSE, 99, 0);
    }
}

// Shows the box and lets `visit` look at it and answer it.
int ShowAndVisit(HWND parent, const std::wstring& text1, const std::wstring& text2, const std::wstring& caption,
                 int icon, std::function<void(HWND, CMyMessageBox&)> visit) {
    g_visit = std::move(visit);
    g_ticks = 0;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 25, &VisitBox);
    int result = ShowMyMessageBox(parent, text1, text2, caption, icon);
    ::KillTimer(nullptr, timer);
    return result;
}

POINT CentreOf(CMyMessageBox& box, const wchar_t* name) {
    RECT rect = box.GetPaintManager().FindControl(name)->GetPos();
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void Click(HWND box, POINT point) {
    ::PostMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
    ::PostMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    ::PostMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
}

void PressKey(HWND box, WPARAM key) {
    ::PostMessageW(box, WM_KEYDOWN, key, 1);
    ::PostMessageW(box, WM_KEYUP, key, 0xC0000001);
}

// A pixel of the icon label as last painted, 0xRRGGBB.
uint32_t IconPixel(CMyMessageBox& object, int x, int y) {
    RECT icon = object.GetPaintManager().FindControl(L"icon")->GetPos();
    return ClientRgb(object.GetHWND(), icon.left + x, icon.top + y);
}

LRESULT HitTestAt(HWND box, POINT client) {
    ::ClientToScreen(box, &client);
    return ::SendMessageW(box, WM_NCHITTEST, 0, MAKELPARAM(client.x, client.y));
}

// A plain top-level window whose thread takes the tasks of other threads, as the main window does.
class OwnerWindow : public CWindowWnd {
public:
    OwnerWindow(int x, int y, int width, int height) {
        Create(nullptr, L"owner", WS_POPUP, 0, x, y, width, height);
        ::ShowWindow(window_, SW_SHOWNOACTIVATE);
    }
    ~OwnerWindow() override { ::DestroyWindow(window_); }
    HWND Get() const { return window_; }

protected:
    const wchar_t* GetWindowClassName() const override { return L"MyMessageBoxTestOwner"; }
};

RECT WorkArea() {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

class MyMessageBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr)); }
};

TEST_F(MyMessageBoxTest, ShowsItsTextsCentredOnTheOwnerAndOkAnswersOne) {
    OwnerWindow owner(200, 150, 500, 400);
    bool visited = false;
    int result = ShowAndVisit(owner.Get(), L"下载更新失败.", L"请稍后重试！", L"错误", CMyMessageBox::kIconError,
                              [&](HWND box, CMyMessageBox& object) {
        visited = true;
        CPaintManagerUI& manager = object.GetPaintManager();
        EXPECT_EQ(manager.FindControl(L"text1")->GetText(), L"下载更新失败.");
        EXPECT_EQ(manager.FindControl(L"text2")->GetText(), L"请稍后重试！");
        EXPECT_EQ(manager.FindControl(L"caption")->GetText(), L"错误");
        EXPECT_EQ(manager.FindControl(L"icon")->GetBkImage(), L"sysset\\msg2.png");
        EXPECT_EQ(manager.FindControl(L"ok")->GetText(), L"确定");
        EXPECT_EQ(manager.FindControl(L"cancel")->GetText(), L"取消");

        EXPECT_EQ(::GetWindow(box, GW_OWNER), owner.Get());
        EXPECT_FALSE(::IsWindowEnabled(owner.Get()));
        EXPECT_EQ(::GetWindowLongW(box, GWL_STYLE) & WS_CAPTION, 0);
        RECT rect{};
        ::GetWindowRect(box, &rect);
        EXPECT_EQ(rect.right - rect.left, 300);
        EXPECT_EQ(rect.bottom - rect.top, 170);
        EXPECT_EQ(rect.left, 450 - 150);
        EXPECT_EQ(rect.top, 350 - 85);

        // Rounded corners: the window region leaves out the very corner pixels.
        CRegionHandle region(::CreateRectRgn(0, 0, 0, 0));
        ASSERT_EQ(::GetWindowRgn(box, region.Get()), COMPLEXREGION);
        EXPECT_FALSE(::PtInRegion(region.Get(), 0, 0));
        EXPECT_TRUE(::PtInRegion(region.Get(), 150, 0));
        EXPECT_TRUE(::PtInRegion(region.Get(), 299, 85));

        // The title bar drags the box, its close button does not; the body is client area.
        EXPECT_EQ(HitTestAt(box, CentreOf(object, L"caption")), HTCAPTION);
        EXPECT_EQ(HitTestAt(box, CentreOf(object, L"close")), HTCLIENT);
        EXPECT_EQ(HitTestAt(box, CentreOf(object, L"text1")), HTCLIENT);

        // Icon 2 is the red cross: red around the white strokes.
        uint32_t red = IconPixel(object, 33, 14);
        EXPECT_GT(red >> 16, 0xC0u);
        EXPECT_LT((red >> 8) & 0xFF, 0x60u);
        EXPECT_GT(IconPixel(object, 33, 33) & 0xFF, 0xE0u);

        Click(box, CentreOf(object, L"ok"));
    });
    EXPECT_TRUE(visited);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(::IsWindowEnabled(owner.Get()));
    EXPECT_EQ(FindBox(), nullptr);
    // The box was the first skinned window: it registered the program's skin archive itself.
    EXPECT_EQ(CPaintManagerUI::GetResourceZip(), CResourceConfig::kMemoryArchiveName);
}

struct Answer {
    const char* name;
    std::function<void(HWND, CMyMessageBox&)> action;
    int result;
};

TEST_F(MyMessageBoxTest, EveryWayOfAnsweringGivesItsResult) {
    const Answer answers[] = {
        {"ok", [](HWND box, CMyMessageBox& object) { Click(box, CentreOf(object, L"ok")); }, 1},
        {"cancel", [](HWND box, CMyMessageBox& object) { Click(box, CentreOf(object, L"cancel")); }, 2},
        {"close", [](HWND box, CMyMessageBox& object) { Click(box, CentreOf(object, L"close")); }, 2},
        {"escape", [](HWND box, CMyMessageBox&) { PressKey(box, VK_ESCAPE); }, 2},
        // Enter does nothing: the box is still there for the click that follows it.
        {"enter",
         [](HWND box, CMyMessageBox& object) {
             PressKey(box, VK_RETURN);
             Click(box, CentreOf(object, L"cancel"));
         },
         2},
    };
    OwnerWindow owner(100, 100, 400, 300);
    for (const Answer& answer : answers) {
        SCOPED_TRACE(answer.name);
        uint32_t warningAmber = 0;
        EXPECT_EQ(ShowAndVisit(owner.Get(), L"你的版本已经是最新.", L"", L"提示", CMyMessageBox::kIconWarning,
                               [&](HWND box, CMyMessageBox& object) {
                                   warningAmber = IconPixel(object, 20, 48);
                                   answer.action(box, object);
                               }),
                  answer.result);
        EXPECT_GT(warningAmber >> 16, 0xE0u);  // the amber warning triangle
        EXPECT_LT(warningAmber & 0xFF, 0x40u);
        EXPECT_EQ(FindBox(), nullptr);
    }
}

TEST_F(MyMessageBoxTest, WithoutOwnerItIsCentredOnTheWorkArea) {
    RECT work = WorkArea();
    RECT rect{};
    HWND owner = reinterpret_cast<HWND>(1);
    uint32_t questionBlue = 0;
    int result = ShowAndVisit(nullptr, L"找不到文件.", L"应用程序可能被移动或删除!", L"提示",
                              CMyMessageBox::kIconQuestion, [&](HWND box, CMyMessageBox& object) {
        questionBlue = IconPixel(object, 33, 12);
        ::GetWindowRect(box, &rect);
        owner = ::GetWindow(box, GW_OWNER);
        PressKey(box, VK_ESCAPE);
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(owner, nullptr);
    EXPECT_GT(questionBlue & 0xFF, 0xC0u);  // the blue question mark's disc
    EXPECT_LT(questionBlue >> 16, 0x60u);
    EXPECT_EQ(rect.left, (work.left + work.right) / 2 - 150);
    EXPECT_EQ(rect.top, (work.top + work.bottom) / 2 - 85);
}

TEST_F(MyMessageBoxTest, OwnerOfAnotherThreadShowsTheBoxOnItsOwnThread) {
    OwnerWindow owner(100, 100, 400, 300);
    DWORD boxThread = 0;
    std::wstring text;
    g_visit = [&](HWND box, CMyMessageBox& object) {
        boxThread = ::GetWindowThreadProcessId(box, nullptr);
        text = object.GetPaintManager().FindControl(L"text1")->GetText();
        PressKey(box, VK_ESCAPE);
    };
    g_ticks = 0;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 25, &VisitBox);
    int result = 0;
    std::atomic<bool> done{false};
    std::thread worker([&, tasks = owner.Tasks()] {
        tasks->Call([&] { result = ShowMyMessageBox(owner.Get(), L"正在下载更新...", L"", L"", CMyMessageBox::kIconWarning); });
        done = true;
    });
    // This thread owns the owner window: it runs the task while the worker waits.
    DWORD giveUp = ::GetTickCount() + 20000;
    MSG msg;
    while (!done && ::GetTickCount() < giveUp) {
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(5);
    }
    worker.join();
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(boxThread, ::GetCurrentThreadId());
    EXPECT_EQ(text, L"正在下载更新...");
}

TEST_F(MyMessageBoxTest, AnUnknownIconNumberShowsNoPicture) {
    int result = ShowAndVisit(nullptr, L"一", L"二", L"提示", 7, [](HWND box, CMyMessageBox& object) {
        EXPECT_EQ(object.GetPaintManager().GetImage(CMyMessageBox::IconImage(7)), nullptr);
        EXPECT_EQ(IconPixel(object, 33, 33), 0xFFFFFFu);
        Click(box, CentreOf(object, L"ok"));
    });
    EXPECT_EQ(result, 1);
}

}  // namespace
