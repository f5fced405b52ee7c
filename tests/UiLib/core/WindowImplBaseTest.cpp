// Window base tests: skinned windows built from layouts, driven with real window messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/core/WindowImplBase.h"
#include "UiLib/render/UIResource.h"
#include "UiLib/tree/UIControl.h"
#include "tests/UiLib/core/SkinFixtures.h"
#include "tests/support/TestFolder.h"

using namespace UiLib;

namespace {

// Sent to a test window to look around from inside its modal loop.
constexpr UINT kProbeMessage = WM_APP + 40;

// A folder beside the test program, since a window finds its skin under the program's folder.
class ProgramSkinFolder {
public:
    ProgramSkinFolder() : name_(L"uiwindow-skin-" + std::to_wstring(::GetCurrentProcessId()) + L"\\") {
        CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
        ::CreateDirectoryW(Path().c_str(), nullptr);
    }
    ~ProgramSkinFolder() {
        CPaintManagerUI::SetResourceZip(nullptr, false);
        CPaintManagerUI::SetResourcePath(nullptr);
        RemoveTree(Path());
    }
    const std::wstring& Name() const { return name_; }
    std::wstring Path() const { return CPaintManagerUI::GetInstancePath() + name_; }
    void Write(const std::wstring& file, const std::string& bytes) const { WriteFileBytes(Path() + file, bytes); }

private:
    std::wstring name_;
};

class TestWindow : public WindowImplBase {
public:
    TestWindow(std::wstring folder, std::wstring file) : folder_(std::move(folder)), file_(std::move(file)) {}

    // Shown without activation: destroying an active window makes the display server wait.
    HWND CreateShown(HWND owner = nullptr) {
        HWND window = Create(owner, L"test", WS_POPUP, 0, 100, 100, 50, 50);
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
        ::UpdateWindow(window);
        return window;
    }
    // Handles messages as the framework's loop does until the window is gone.
    void RunUntilClosed() {
        DWORD giveUp = ::GetTickCount() + 10000;
        MSG msg;
        while (::IsWindow(window_) && ::GetTickCount() < giveUp) {
            if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::Sleep(1);
                continue;
            }
            if (CPaintManagerUI::TranslateMessage(&msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // The centre of a named control, clamped into the caption band.
    POINT CentreOf(const wchar_t* name) {
        RECT rect = Find(name)->GetPos();
        return POINT{(rect.left + rect.right) / 2, std::min((rect.top + rect.bottom) / 2, 30L)};
    }
    CControlUI* Find(const wchar_t* name) { return paintManager_.FindControl(name); }
    LRESULT HitTestAt(int x, int y) {
        POINT point{x, y};
        ::ClientToScreen(window_, &point);
        return ::SendMessageW(window_, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    }

    UILIB_RESOURCETYPE resourceType = UILIB_FILE;
    std::wstring zipFile;
    LPCWSTR resourceId = nullptr;
    HWND owner = nullptr;
    bool initialised = false;
    bool ownerEnabledInLoop = true;
    WPARAM closeCode = 0;
    std::vector<std::wstring> clicks;

protected:
    const wchar_t* GetWindowClassName() const override { return L"UiLibTestWindow"; }
    std::wstring GetSkinFolder() override { return folder_; }
    std::wstring GetSkinFile() override { return file_; }
    UILIB_RESOURCETYPE GetResourceType() const override { return resourceType; }
    std::wstring GetZIPFileName() const override { return zipFile; }
    LPCWSTR GetResourceID() const override { return resourceId; }
    void InitWindow() override { initialised = true; }
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) override {
        if (message == WM_CLOSE) closeCode = wParam;
        handled = message == kProbeMessage;
        if (handled) {
            ownerEnabledInLoop = ::IsWindowEnabled(owner) != FALSE;
            Close(static_cast<UINT>(wParam));
        }
        return 0;
    }

    // A derived map: its own entry for one button, the base's click handling for the others.
    const NotifyMap* GetNotifyMap() const override {
        static const NotifyMap map{WindowImplBase::GetNotifyMap(),
                                   {OnNotify(L"click", L"special", &TestWindow::OnSpecial),
                                    OnParams(L"custom", L"", &TestWindow::OnCustom)}};
        return &map;
    }

private:
    void OnSpecial(UiNotify& msg) { clicks.push_back(L"special:" + msg.pSender->GetName()); }
    void OnCustom(WPARAM wParam, LPARAM lParam) { clicks.push_back(std::to_wstring(wParam + lParam)); }

    std::wstring folder_;
    std::wstring file_;
};

// The window's region as a test can query it; empty when the window has none.
class WindowRegion {
public:
    explicit WindowRegion(HWND window) : region_(::CreateRectRgn(0, 0, 0, 0)) {
        kind_ = ::GetWindowRgn(window, region_.Get());
    }
    bool Exists() const { return kind_ != ERROR && kind_ != NULLREGION; }
    bool Contains(int x, int y) const { return ::PtInRegion(region_.Get(), x, y) != FALSE; }

private:
    CRegionHandle region_;
    int kind_ = ERROR;
};

const char* kCaptionLayout =
    "<Window size=\"300,200\" caption=\"10,0,10,40\">"
    "<VerticalLayout><HorizontalLayout height=\"40\">"
    "<Button name=\"button\" width=\"50\" height=\"40\"/><Option name=\"option\" width=\"50\" height=\"40\"/>"
    "<Label name=\"label\" width=\"50\" height=\"40\"/><Control name=\"plain\" width=\"50\"/>"
    "<Text name=\"text\" text=\"文字\" height=\"40\"/></HorizontalLayout>"
    "<Control/></VerticalLayout></Window>";

class WindowImplBaseTest : public ::testing::Test {
protected:
    std::unique_ptr<TestWindow> MakeWindow(const std::string& layout) {
        skin.Write(L"main.xml", layout);
        return std::make_unique<TestWindow>(skin.Name(), L"main.xml");
    }

    ProgramSkinFolder skin;
};

TEST_F(WindowImplBaseTest, CreationBuildsTheLayoutWithoutFrame) {
    auto window = MakeWindow(kCaptionLayout);
    HWND handle = window->CreateShown();
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(window->initialised);
    EXPECT_NE(window->Find(L"button"), nullptr);
    EXPECT_EQ(::GetWindowLongW(handle, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_NE(::GetWindowLongW(handle, GWL_STYLE) & WS_CLIPCHILDREN, 0);
    EXPECT_EQ(::GetClassLongW(handle, GCL_STYLE) & CS_DBLCLKS, static_cast<DWORD>(CS_DBLCLKS));
    // "size" sized the window, and all of it is client area.
    RECT client{};
    ::GetClientRect(handle, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 200);
    EXPECT_TRUE(window->GetPaintManager().IsBackgroundTransparent());
}

TEST_F(WindowImplBaseTest, CaptionBandDragsExceptOnButtonsOptionsAndText) {
    auto window = MakeWindow(kCaptionLayout);
    window->CreateShown();
    auto hitTestOn = [&](const wchar_t* name) {
        POINT point = window->CentreOf(name);
        return window->HitTestAt(point.x, point.y);
    };
    EXPECT_EQ(hitTestOn(L"button"), HTCLIENT);
    EXPECT_EQ(hitTestOn(L"option"), HTCLIENT);
    EXPECT_EQ(hitTestOn(L"text"), HTCLIENT);
    EXPECT_EQ(hitTestOn(L"label"), HTCAPTION);
    EXPECT_EQ(hitTestOn(L"plain"), HTCAPTION);
    EXPECT_EQ(window->HitTestAt(window->CentreOf(L"plain").x, 39), HTCAPTION);
    EXPECT_EQ(window->HitTestAt(window->CentreOf(L"plain").x, 40), HTCLIENT);  // below the band
    EXPECT_EQ(window->HitTestAt(5, 20), HTCLIENT);                            // left inset
    EXPECT_EQ(window->HitTestAt(295, 20), HTCLIENT);                          // right inset
}

TEST_F(WindowImplBaseTest, RoundCornersFollowEveryResize) {
    auto window = MakeWindow("<Window size=\"300,200\" roundcorner=\"12,12\"><Control/></Window>");
    HWND handle = window->CreateShown();
    WindowRegion first(handle);
    ASSERT_TRUE(first.Exists());
    EXPECT_FALSE(first.Contains(0, 0));
    EXPECT_TRUE(first.Contains(150, 100));
    EXPECT_TRUE(first.Contains(150, 199));
    EXPECT_FALSE(first.Contains(150, 200));

    ::SetWindowPos(handle, nullptr, 0, 0, 400, 250, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    WindowRegion resized(handle);
    ASSERT_TRUE(resized.Exists());
    EXPECT_TRUE(resized.Contains(399, 125));
    EXPECT_TRUE(resized.Contains(200, 249));
    EXPECT_FALSE(resized.Contains(399, 249));
}

TEST_F(WindowImplBaseTest, NoRoundCornerLeavesTheRegionAlone) {
    auto window = MakeWindow("<Window size=\"300,200\"><Control/></Window>");
    HWND handle = window->CreateShown();
    ::SetWindowPos(handle, nullptr, 0, 0, 320, 220, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(WindowRegion(handle).Exists());
}

TEST_F(WindowImplBaseTest, ModalWindowReturnsItsCloseCodeAndFreesTheOwner) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(owner, SW_SHOWNOACTIVATE);
    auto window = MakeWindow("<Window size=\"200,100\"><Control/></Window>");
    window->owner = owner;
    HWND handle = window->CreateShown(owner);
    ::PostMessageW(handle, kProbeMessage, 7, 0);
    EXPECT_EQ(window->ShowModal(), 7u);
    EXPECT_FALSE(window->ownerEnabledInLoop);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_FALSE(::IsWindow(handle));
    ::DestroyWindow(owner);
}

// A second dialog over an owner that an outer dialog holds disabled leaves it disabled when it ends.
TEST_F(WindowImplBaseTest, ModalWindowOverAHeldOwnerLeavesItHeld) {
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(owner, SW_SHOWNOACTIVATE);
    ::EnableWindow(owner, FALSE);
    auto window = MakeWindow("<Window size=\"200,100\"><Control/></Window>");
    HWND handle = window->CreateShown(owner);
    ::PostMessageW(handle, kProbeMessage, 7, 0);
    EXPECT_EQ(window->ShowModal(), 7u);
    EXPECT_FALSE(::IsWindowEnabled(owner)) << "the outer dialog still holds it";
    ::DestroyWindow(owner);
}

TEST_F(WindowImplBaseTest, EscapeClosesWithCodeOne) {
    auto window = MakeWindow("<Window size=\"200,100\"><Control/></Window>");
    HWND handle = window->CreateShown();
    ::PostMessageW(handle, WM_KEYDOWN, VK_ESCAPE, 0);
    window->RunUntilClosed();
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_EQ(window->closeCode, WindowImplBase::kEscapeCloseCode);
}

TEST_F(WindowImplBaseTest, CloseButtonClickClosesWithCodeEight) {
    auto window = MakeWindow(
        "<Window size=\"200,100\"><HorizontalLayout><Button name=\"closebtn\" width=\"40\"/>"
        "<Button name=\"special\" width=\"40\"/></HorizontalLayout></Window>");
    HWND handle = window->CreateShown();
    // A button with its own map entry does not reach the base's handler.
    for (const wchar_t* name : {L"special", L"closebtn"}) {
        POINT point = window->CentreOf(name);
        ::PostMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(point.x, point.y));
        ::PostMessageW(handle, WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    }
    window->RunUntilClosed();
    EXPECT_FALSE(::IsWindow(handle));
    EXPECT_EQ(window->closeCode, WindowImplBase::kCloseButtonCode);
    EXPECT_EQ(window->clicks, std::vector<std::wstring>{L"special:special"});
}

TEST_F(WindowImplBaseTest, NotificationsFollowTheMapChain) {
    auto window = MakeWindow("<Window size=\"200,100\"><Control name=\"root\"/></Window>");
    window->CreateShown();
    CPaintManagerUI& manager = window->GetPaintManager();
    manager.SendNotify(window->Find(L"root"), L"custom", 2, 3);
    manager.SendNotify(window->Find(L"root"), L"unmapped");
    EXPECT_EQ(window->clicks, std::vector<std::wstring>{L"5"});
}

TEST_F(WindowImplBaseTest, SystemCloseBecomesWmClose) {
    auto window = MakeWindow("<Window size=\"200,100\"><Control/></Window>");
    HWND handle = window->CreateShown();
    ::SendMessageW(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(::IsWindow(handle));
}

TEST_F(WindowImplBaseTest, TrayIconGoesWithTheWindow) {
    auto window = MakeWindow("<Window size=\"200,100\" traytiptext=\"Ludora\" trayiconid=\"101\"><Control/></Window>");
    HWND handle = window->CreateShown();
    const CTrayIcon& icon = window->GetPaintManager().GetTrayIcon();
    // The shell is asked once the window has painted, not before.
    EXPECT_FALSE(icon.IsShown());
    MSG msg;
    for (DWORD giveUp = ::GetTickCount() + 2000; !icon.IsShown() && ::GetTickCount() < giveUp;) {
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        else ::Sleep(1);
    }
    EXPECT_TRUE(icon.IsShown());
    EXPECT_EQ(icon.GetId(), 101u);
    EXPECT_EQ(icon.GetTip(), L"Ludora");
    window.reset();
    EXPECT_FALSE(::IsWindow(handle));
}

TEST_F(WindowImplBaseTest, SkinFromAZipFile) {
    skin.Write(L"skin.zip", SkinFixtures::BuildZip({SkinFixtures::Deflated(
                                "layouts/zipped.xml", "<Window size=\"210,110\"><Control name=\"zipped\"/></Window>")}));
    TestWindow window(skin.Name(), L"LAYOUTS\\zipped.xml");
    window.resourceType = UILIB_ZIP;
    window.zipFile = L"skin.zip";
    window.CreateShown();
    EXPECT_NE(window.Find(L"zipped"), nullptr);
    EXPECT_EQ(CPaintManagerUI::GetResourceZip(), L"skin.zip");
}

TEST_F(WindowImplBaseTest, SkinFromAModuleResource) {
    TestWindow window(skin.Name(), L"203");
    window.resourceType = UILIB_RESOURCE;
    window.CreateShown();
    EXPECT_NE(window.Find(L"fromresource"), nullptr);
    EXPECT_EQ(window.GetPaintManager().GetCaptionRect().bottom, 40);
}

TEST_F(WindowImplBaseTest, SkinFromAZipInAModuleResource) {
    TestWindow window(L"skin\\", L"MainFrame.xml");
    window.resourceType = UILIB_ZIPRESOURCE;
    window.resourceId = MAKEINTRESOURCEW(130);
    window.CreateShown();
    EXPECT_NE(window.GetPaintManager().GetRoot(), nullptr);
    EXPECT_EQ(CPaintManagerUI::GetResourceZip(), CResourceConfig::kMemoryArchiveName);
}

TEST_F(WindowImplBaseTest, MissingArchiveResourceLeavesTheWindowEmpty) {
    TestWindow window(skin.Name(), L"MainFrame.xml");
    window.resourceType = UILIB_ZIPRESOURCE;
    window.resourceId = MAKEINTRESOURCEW(131);
    ASSERT_NE(window.CreateShown(), nullptr);
    EXPECT_EQ(window.GetPaintManager().GetRoot(), nullptr);
    EXPECT_FALSE(window.initialised);
}

// The message box a process shows, found by its caption; null until it is there.
HWND WaitForMessageBox(DWORD processId, const wchar_t* caption) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        HWND box = nullptr;
        while ((box = ::FindWindowExW(nullptr, box, L"#32770", caption)) != nullptr) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(box, &owner);
            if (owner == processId) return box;
        }
        ::Sleep(20);
    }
    return nullptr;
}

TEST(WindowImplBaseFatalTest, ALayoutThatCannotBeBuiltEndsTheProcess) {
    std::wstring helper = CPaintManagerUI::GetInstancePath() + L"uiwindow_fatal_helper.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(helper.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process));
    HWND box = WaitForMessageBox(process.dwProcessId, WindowImplBase::kLoadFailedCaption);
    ASSERT_NE(box, nullptr);
    wchar_t text[64] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 64);
    EXPECT_STREQ(text, WindowImplBase::kLoadFailedText);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(::WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 1u);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

// A window of a system class's superclass: the class's own procedure still does the work.
class SuperEdit : public CWindowWnd {
protected:
    const wchar_t* GetWindowClassName() const override { return L"UiLibTestSuperEdit"; }
    const wchar_t* GetSuperClassName() const override { return L"EDIT"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kProbeMessage) return 42;
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
};

class Subclasser : public CWindowWnd {
public:
    int finalMessages = 0;

protected:
    const wchar_t* GetWindowClassName() const override { return L"UiLibTestSubclasser"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kProbeMessage) return 43;
        return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
    void OnFinalMessage(HWND) override { ++finalMessages; }
};

TEST(WindowWndTest, SuperclassAndSubclass) {
    SuperEdit edit;
    HWND handle = edit.Create(nullptr, L"typed", WS_POPUP, 0, 0, 0, 100, 30);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(::SendMessageW(handle, kProbeMessage, 0, 0), 42);
    wchar_t text[16] = {};
    ::GetWindowTextW(handle, text, 16);
    EXPECT_STREQ(text, L"typed");
    ::DestroyWindow(handle);
    EXPECT_EQ(edit.GetHWND(), nullptr);

    HWND plain = ::CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    Subclasser subclasser;
    ASSERT_EQ(subclasser.Subclass(plain), plain);
    EXPECT_EQ(::SendMessageW(plain, kProbeMessage, 0, 0), 43);
    subclasser.Unsubclass();
    EXPECT_EQ(::SendMessageW(plain, kProbeMessage, 0, 0), 0);
    subclasser.Subclass(plain);
    ::DestroyWindow(plain);
    EXPECT_EQ(subclasser.finalMessages, 1);
    EXPECT_EQ(subclasser.GetHWND(), nullptr);
}

TEST(WindowWndTest, CentresOnTheOwnerInsideTheWorkArea) {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 200, 200, 400, 300, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
    Subclasser centred;
    centred.Create(owner, L"centred", WS_POPUP, 0, 0, 0, 100, 50);
    centred.CenterWindow();
    RECT rect{};
    ::GetWindowRect(centred, &rect);
    EXPECT_EQ(rect.left, 350);
    EXPECT_EQ(rect.top, 325);

    ::MoveWindow(owner, work.left - 300, work.top - 300, 200, 200, FALSE);
    centred.CenterWindow();
    ::GetWindowRect(centred, &rect);
    EXPECT_EQ(rect.left, work.left);
    EXPECT_EQ(rect.top, work.top);
    ::DestroyWindow(centred);
    ::DestroyWindow(owner);
}

}  // namespace
