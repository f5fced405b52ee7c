// Menu windows built from layout text, opened at points of the screen and driven with real
// window messages: placement, item clicks reaching the root menu, sub-menus, closing together.
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "UiLib/core/UIManager.h"
#include "UiLib/menu/MenuElementUI.h"
#include "UiLib/menu/MenuUI.h"
#include "UiLib/menu/MenuWnd.h"
#include "UiLib/tree/UIControl.h"
#include "shared/ComPtr.h"
#include "tests/support/TestFolder.h"

using namespace UiLib;

namespace {

const wchar_t kMenuLayout[] =
    L"<Window bktrans=\"true\">"
    L"<Font name=\"宋体\" size=\"12\"/>"
    L"<Default name=\"Menu\" value=\"inset=&quot;2,2,2,2&quot; itemtextpadding=&quot;30,0,0,0&quot;\"/>"
    L"<Menu bkcolor=\"#FFFFFFFF\">"
    L"  <MenuElement name=\"open\" text=\"打开\"/>"
    L"  <MenuElement name=\"more\" text=\"更多\">"
    L"    <MenuElement name=\"sub1\" text=\"子项一\"/>"
    L"    <MenuElement name=\"sub2\" text=\"子项二\"/>"
    L"  </MenuElement>"
    L"  <MenuElement name=\"quit\" text=\"退出\"/>"
    L"</Menu>"
    L"</Window>";

// What the menus of one test saw; their windows delete the menu objects, the record stays.
struct MenuRecord {
    std::vector<std::wstring> clicks;
    bool rootAliveAtClick = false;
    int inits = 0;
    int made = 0;
    int deleted = 0;
};

class RecordingMenu : public CMenuWnd {
public:
    RecordingMenu(HWND parent, MenuRecord& record) : CMenuWnd(parent), record_(record) { ++record_.made; }
    ~RecordingMenu() override { ++record_.deleted; }

    void OnItemClick(const std::wstring& name) override {
        record_.clicks.push_back(name);
        record_.rootAliveAtClick = ::IsWindow(GetHWND()) != FALSE;
    }
    void OnMenuInit() override { ++record_.inits; }

private:
    MenuRecord& record_;
};

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND CreatePlainWindow(int x, int y, DWORD style = WS_POPUP) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PlainProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MenuTestOwner";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, L"MenuTestOwner", L"owner", style, x, y, 200, 150, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
    return window;
}

BOOL CALLBACK CollectMenuWindow(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"MenuWnd") reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

// The menu windows of this thread, open or about to close.
std::vector<HWND> MenuWindows() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectMenuWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

LPARAM ClientPoint(POINT point) { return MAKELPARAM(point.x, point.y); }

class MenuWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
        owner = CreatePlainWindow(100, 100);
        ASSERT_NE(owner, nullptr);
    }
    void TearDown() override {
        for (HWND menu : MenuWindows()) ::DestroyWindow(menu);
        Pump([] { return false; }, 20);
        ::DestroyWindow(owner);
        EXPECT_TRUE(MenuWindows().empty());
        EXPECT_EQ(record.deleted, record.made) << "every menu object went with its window";
    }

    // Handles messages as the framework's loop does until `done` or the time is up.
    bool Pump(const std::function<bool()>& done, DWORD milliseconds = 3000) {
        DWORD giveUp = ::GetTickCount() + milliseconds;
        MSG msg;
        for (;;) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (CPaintManagerUI::TranslateMessage(&msg)) continue;
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            if (done()) return true;
            if (::GetTickCount() >= giveUp) return false;
            ::Sleep(1);
        }
    }

    CMenuWnd* Open(POINT at, DWORD alignment = CMenuWnd::kDefaultAlignment, const wchar_t* layout = kMenuLayout) {
        auto open = [&](CMenuWnd& menu) { return menu.Init(nullptr, layout, L"xml", alignment, at); };
        CMenuWnd* menu = CWindowWnd::CreateOwned(std::make_unique<RecordingMenu>(owner, record), open);
        HWND window = menu ? menu->GetHWND() : nullptr;
        // Laid out once the first paint has run.
        Pump([&] { return record.inits > 0 || !::IsWindow(window); });
        return menu;
    }

    static CControlUI* Find(CMenuWnd* menu, const wchar_t* name) { return menu->GetPaintManager().FindControl(name); }
    static POINT Centre(CControlUI* control) {
        RECT r = control->GetPos();
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Click(CMenuWnd* menu, const wchar_t* item) {
        LPARAM at = ClientPoint(Centre(Find(menu, item)));
        HWND window = menu->GetHWND();
        ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        if (::IsWindow(window)) ::SendMessageW(window, WM_LBUTTONUP, 0, at);
    }
    void Hover(CMenuWnd* menu, const wchar_t* item) {
        ::SendMessageW(menu->GetHWND(), WM_MOUSEMOVE, 0, ClientPoint(Centre(Find(menu, item))));
    }
    bool AllClosed() {
        return Pump([] { return MenuWindows().empty(); });
    }

    HWND owner = nullptr;
    MenuRecord record;
};

}  // namespace

TEST_F(MenuWndTest, ARootMenuOpensWithItsTopLeftCornerAtThePointAndTheSizeOfItsItems) {
    CMenuWnd* menu = Open(POINT{300, 200});
    ASSERT_EQ(MenuWindows().size(), 1u);
    HWND window = menu->GetHWND();
    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(::GetParent(window), owner);
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    RECT rect = WindowRect(window);
    EXPECT_EQ(rect.left, 300);
    EXPECT_EQ(rect.top, 200);
    EXPECT_EQ(rect.bottom - rect.top, 3 * CMenuElementUI::kDefaultHeight + 4) << "three items and the inset";
    EXPECT_EQ(record.inits, 1);

    // Each item has its full height; the sub-items stay out of the list.
    CControlUI* quit = Find(menu, L"quit");
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->GetHeight(), CMenuElementUI::kDefaultHeight);
    EXPECT_EQ(quit->GetPos().bottom, rect.bottom - rect.top - 2);
    EXPECT_FALSE(Find(menu, L"sub1")->IsVisible());
    EXPECT_STREQ(Find(menu, L"more")->GetParent()->GetParent()->GetClass(), L"MenuUI");
}

TEST_F(MenuWndTest, AMenuOpenedNearTheScreenCornerKeepsItsSizeAndEndsInsideTheWorkArea) {
    RECT desktop = WindowRect(::GetDesktopWindow());
    CMenuWnd* menu = Open(POINT{desktop.right - 10, desktop.bottom - 10});
    RECT rect = WindowRect(menu->GetHWND());
    SIZE estimate = menu->GetPaintManager().GetRoot()->EstimateSize(SIZE{desktop.right, desktop.bottom});
    EXPECT_EQ(rect.right - rect.left, estimate.cx);
    EXPECT_EQ(rect.bottom - rect.top, estimate.cy);
    EXPECT_EQ(rect.right, desktop.right - 4);
    EXPECT_EQ(rect.bottom, desktop.bottom - 4);
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT common{};
    ::IntersectRect(&common, &rect, &work);
    EXPECT_TRUE(::EqualRect(&common, &rect)) << "inside the work area";
}

TEST_F(MenuWndTest, AlignmentFlagsPutTheBottomRightCornerAtThePointAndTheMenuStaysOnTheScreen) {
    CMenuWnd* menu = Open(POINT{600, 500}, CMenuWnd::kAlignRight | CMenuWnd::kAlignBottom);
    RECT rect = WindowRect(menu->GetHWND());
    EXPECT_EQ(rect.right, 600);
    EXPECT_EQ(rect.bottom, 500);
    ::DestroyWindow(menu->GetHWND());
    ASSERT_TRUE(AllClosed());

    RECT desktop = WindowRect(::GetDesktopWindow());
    menu = Open(POINT{desktop.right - 1, 5}, CMenuWnd::kAlignRight | CMenuWnd::kAlignBottom);
    rect = WindowRect(menu->GetHWND());
    EXPECT_EQ(rect.right, desktop.right - 1) << "the right edge stays at the point";
    EXPECT_EQ(rect.top, desktop.top) << "pushed down onto the screen";
}

TEST_F(MenuWndTest, AClickedItemReachesTheRootMenuWithItsNameThenEveryMenuCloses) {
    CMenuWnd* menu = Open(POINT{300, 200});
    HWND window = menu->GetHWND();
    Click(menu, L"open");
    ASSERT_TRUE(AllClosed());
    EXPECT_EQ(record.clicks, std::vector<std::wstring>{L"open"});
    EXPECT_TRUE(record.rootAliveAtClick) << "the click is handled before the menu closes";
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(MenuWndTest, ASubMenuOpensBesideItsItemAndAClickInItReachesTheRootAndClosesBoth) {
    CMenuWnd* root = Open(POINT{300, 200});
    // Whoever opened the menu hears of the click first; the subscription outlives the menu.
    std::vector<std::wstring> heard;
    CSubscription clicks = root->OnItemClicked(
        [&](const std::wstring& name) { heard.push_back(name + (record.clicks.empty() ? L" first" : L" late")); });
    Hover(root, L"more");
    ASSERT_TRUE(Pump([] { return MenuWindows().size() == 2; }));
    ASSERT_EQ(root->GetChain().Menus().size(), 2u);
    auto* sub = static_cast<CMenuWnd*>(root->GetChain().Menus()[1]);
    ASSERT_TRUE(Pump([&] { return Find(sub, L"sub2") && Find(sub, L"sub2")->GetHeight() > 0; }));
    EXPECT_TRUE(::IsWindowVisible(sub->GetHWND()));
    EXPECT_EQ(::GetParent(sub->GetHWND()), root->GetHWND());

    RECT rootRect = WindowRect(root->GetHWND());
    RECT subRect = WindowRect(sub->GetHWND());
    EXPECT_EQ(subRect.left, rootRect.right);
    EXPECT_EQ(subRect.top, rootRect.top + Find(root, L"more")->GetPos().top);
    EXPECT_EQ(subRect.bottom - subRect.top, 2 * CMenuElementUI::kDefaultHeight + 4);
    EXPECT_TRUE(Find(sub, L"sub1")->IsVisible());
    EXPECT_EQ(static_cast<CMenuElementUI*>(Find(root, L"more"))->GetSubMenuWindow(), sub);
    EXPECT_EQ(sub->GetPaintManager().GetSharedResources(), root->GetPaintManager().GetSharedResources())
        << "the sub-menu draws with the fonts and default lists of the root menu";
    EXPECT_EQ(sub->GetPaintManager().GetFontInfo(0).faceName, L"宋体");

    Click(sub, L"sub2");
    ASSERT_TRUE(AllClosed());
    EXPECT_EQ(record.clicks, std::vector<std::wstring>{L"sub2"});
    EXPECT_EQ(heard, std::vector<std::wstring>{L"sub2 first"});
}

TEST_F(MenuWndTest, HoveringAnItemWithoutSubItemsClosesTheSubMenuAndItCanOpenAgain) {
    CMenuWnd* root = Open(POINT{300, 200});
    auto* more = static_cast<CMenuElementUI*>(Find(root, L"more"));
    for (int round = 0; round < 2; ++round) {
        Hover(root, L"more");
        ASSERT_TRUE(Pump([] { return MenuWindows().size() == 2; })) << "round " << round;
        Hover(root, L"quit");
        ASSERT_TRUE(Pump([] { return MenuWindows().size() == 1; })) << "round " << round;
        EXPECT_EQ(more->GetSubMenuWindow(), nullptr);
        EXPECT_EQ(more->GetCount(), 2) << "the sub-items are back with their item";
        EXPECT_FALSE(more->GetItemAt(0)->IsVisible());
    }
    EXPECT_TRUE(::IsWindow(root->GetHWND()));
    EXPECT_TRUE(record.clicks.empty());
}

TEST_F(MenuWndTest, EnterOnAnEntryTakesItAsAClick) {
    CMenuWnd* menu = Open(POINT{300, 200});
    Hover(menu, L"open");
    ::SendMessageW(menu->GetHWND(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(AllClosed());
    EXPECT_EQ(record.clicks, std::vector<std::wstring>{L"open"});
}

// A screen reader reads the menu window as a menu of its items; an item's default action clicks it.
TEST_F(MenuWndTest, AScreenReaderReadsAMenuOfItemsWhoseDefaultActionClicksOne) {
    ScopedComApartment com;
    CMenuWnd* menu = Open(POINT{300, 200});
    ComPtr<IAccessible> object;
    ASSERT_EQ(::AccessibleObjectFromWindow(menu->GetHWND(), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                           object.OutVoid()),
              S_OK);
    auto child = [](LONG id) {
        VARIANT value;
        value.vt = VT_I4;
        value.lVal = id;
        return value;
    };
    VARIANT role;
    ASSERT_EQ(object->get_accRole(child(CHILDID_SELF), &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_MENUPOPUP);
    LONG count = 0;
    ASSERT_EQ(object->get_accChildCount(&count), S_OK);
    std::vector<std::wstring> names;
    for (LONG id = 1; id <= count; ++id) {
        ScopedBstr name;
        object->get_accName(child(id), name.Out());
        names.push_back(name.Text());
        ASSERT_EQ(object->get_accRole(child(id), &role), S_OK);
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_MENUITEM);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"打开", L"更多", L"退出"})) << "the sub-items stay in their sub-menu";
    ASSERT_EQ(object->accDoDefaultAction(child(3)), S_OK);
    ASSERT_TRUE(AllClosed());
    EXPECT_EQ(record.clicks, std::vector<std::wstring>{L"quit"});
}

TEST_F(MenuWndTest, EscapeClosesTheMenuWithoutAClick) {
    CMenuWnd* menu = Open(POINT{300, 200});
    ::SendMessageW(menu->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(AllClosed());
    EXPECT_TRUE(record.clicks.empty());
}

TEST_F(MenuWndTest, TheFocusGoingToAnotherWindowClosesEveryMenu) {
    CMenuWnd* root = Open(POINT{300, 200});
    Hover(root, L"more");
    ASSERT_TRUE(Pump([] { return MenuWindows().size() == 2; }));
    HWND other = CreatePlainWindow(700, 600, WS_POPUP | WS_VISIBLE);
    ::SetForegroundWindow(other);
    ::SetFocus(other);
    EXPECT_TRUE(AllClosed());
    EXPECT_TRUE(record.clicks.empty());
    ::DestroyWindow(other);
}

TEST_F(MenuWndTest, TheRightButtonDoesNothingInAMenu) {
    CMenuWnd* menu = Open(POINT{300, 200});
    LPARAM at = ClientPoint(Centre(Find(menu, L"open")));
    EXPECT_EQ(::SendMessageW(menu->GetHWND(), WM_RBUTTONDOWN, MK_RBUTTON, at), 0);
    ::SendMessageW(menu->GetHWND(), WM_RBUTTONUP, 0, at);
    Pump([] { return false; }, 50);
    ASSERT_EQ(MenuWindows().size(), 1u) << "a menu that closed is gone with its items";
    EXPECT_TRUE(record.clicks.empty());
    EXPECT_FALSE(static_cast<CMenuElementUI*>(Find(menu, L"open"))->IsSelected());
}

TEST_F(MenuWndTest, AForgedClickMessageIsIgnored) {
    CMenuWnd* menu = Open(POINT{300, 200});
    std::wstring notPosted = L"open";
    // The number clicks once travelled by, with a name's address or anything else.
    ::PostMessageW(menu->GetHWND(), WM_USER + 115, reinterpret_cast<WPARAM>(&notPosted), 0);
    ::PostMessageW(menu->GetHWND(), WM_USER + 115, 0x1234, 0);
    Pump([] { return false; }, 50);
    EXPECT_TRUE(record.clicks.empty());
}

TEST_F(MenuWndTest, ALayoutThatCannotBeBuiltShowsNothingAndGoesAway) {
    Open(POINT{300, 200}, CMenuWnd::kDefaultAlignment, L"<Window><Menu");
    EXPECT_TRUE(AllClosed());
    EXPECT_EQ(record.inits, 0);
}

// The program's menu layouts from the skin archive, with the names their menus act on.
TEST_F(MenuWndTest, TheSkinMenusBuildWithTheirItems) {
    std::string archive = ReadFileBytes(HostPathToWindows(SKIN_ARCHIVE));
    ASSERT_FALSE(archive.empty());
    CPaintManagerUI::SetResourceZip(archive.data(), archive.size());
    struct Expected {
        const wchar_t* layout;
        std::vector<const wchar_t*> items;
    };
    const Expected menus[] = {
        {L"MyGameMenu.xml", {L"startgame", L"opendir", L"deletegame", L"favourite", L"desktopshortcut"}},
        {L"SystemtMenu.xml", {L"systemset", L"checkupdate", L"quit"}},
        {L"TrayMenu.xml", {L"showmain", L"systemset", L"quit"}},
    };
    const char* hold = std::getenv("MENU_TEST_HOLD_MS");
    for (const Expected& expected : menus) {
        CMenuWnd* menu = Open(POINT{300, 200}, CMenuWnd::kDefaultAlignment, expected.layout);
        ASSERT_TRUE(::IsWindow(menu->GetHWND())) << expected.layout;
        Hover(menu, expected.items[1]);
        // Lets a screenshot be taken of the open menu.
        if (hold) Pump([] { return false; }, static_cast<DWORD>(std::atoi(hold)));
        for (const wchar_t* name : expected.items) EXPECT_NE(Find(menu, name), nullptr) << name;
        ::DestroyWindow(menu->GetHWND());
        ASSERT_TRUE(AllClosed());
    }
    CPaintManagerUI::SetResourceZip(nullptr, false);
}
