// The main window's layout from the program's skin archive, built into a real window with the
// application's builder callback: navigation, title band and the pictures it draws.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "UiLib/controls/UIOption.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/layouts/UITabLayout.h"
#include "UiLib/render/UIResource.h"
#include "UiLib/tree/ControlRegistry.h"
#include "games/GameList.h"
#include "games/MyGameWndUI.h"
#include "games/MyGamesController.h"
#include "games/PlayHistory.h"
#include "online/MyIEWndUI.h"
#include "tests/support/ProgramLayoutWindow.h"

using namespace UiLib;

namespace {

// The main window's layout in a window of the framework's own, with four plain pages standing in
// for the web pages the main window adds.
class LayoutWindow : public ProgramLayoutWindow {
public:
    LayoutWindow() : ProgramLayoutWindow(L"MainFrame.xml") {}
    HWND CreateShown() { return ProgramLayoutWindow::CreateShown(970, 660); }
    CTabLayoutUI* Tabs() { return static_cast<CTabLayoutUI*>(Find(L"tabswitch")->GetInterface(L"TabLayout")); }
    COptionUI* Option(const wchar_t* name) { return static_cast<COptionUI*>(Find(name)->GetInterface(L"Option")); }
    // The page takes the name "mygame" in the name table; its option is the one before "hotgame".
    COptionUI* MyGameOption() {
        auto* bar = static_cast<CContainerUI*>(Find(L"hotgame")->GetParent()->GetInterface(L"Container"));
        return static_cast<COptionUI*>(bar->GetItemAt(bar->GetItemIndex(Find(L"hotgame")) - 1)->GetInterface(L"Option"));
    }

    GameList games_;
    PlayHistory history_;
    MyGamesController controller_{games_, history_, Tasks()};

protected:
    const wchar_t* GetWindowClassName() const override { return L"MainFrameLayoutTest"; }
    void InitWindow() override {
        for (int page = 1; page <= 4; ++page) Tabs()->Add(std::make_unique<CContainerUI>());
    }
};

POINT CentreOf(CControlUI* control) {
    RECT rect = control->GetPos();
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class MainFrameLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(window.CreateShown(), nullptr); }

    LayoutWindow window;
};

}  // namespace

TEST_F(MainFrameLayoutTest, TheLayoutPlacesEveryNamedControl) {
    for (const wchar_t* name : {L"menubtn", L"minbtn", L"closebtn", L"hotgame", L"offlinegame", L"onlinegame",
                                L"webgame", L"tabswitch", L"vertext"})
        EXPECT_NE(window.Find(name), nullptr) << std::string(name, name + std::wcslen(name));
    // The page "mygame" is the only written page; the option of that name comes first in the tree.
    CControlUI* firstPage = window.Tabs()->GetItemAt(0);
    ASSERT_NE(firstPage, nullptr);
    EXPECT_EQ(std::wstring(firstPage->GetClass()), CMyGameWndUI::kClassName);
    EXPECT_EQ(firstPage->GetName(), L"mygame");
    EXPECT_TRUE(window.MyGameOption()->IsSelected());
    EXPECT_EQ(window.Tabs()->GetCurSel(), 0);

    RECT close = window.Find(L"closebtn")->GetPos();
    EXPECT_EQ(close.right - close.left, 40);
    EXPECT_EQ(close.bottom - close.top, 25);
    EXPECT_GT(close.right, 900);
    EXPECT_EQ(window.Find(L"hotgame")->GetPos().left - window.MyGameOption()->GetPos().right, 30);
    RECT label = window.Find(L"vertext")->GetPos();
    EXPECT_EQ(label.left, 27);
    EXPECT_EQ(label.top, 660 - 30 + 5);
}

TEST_F(MainFrameLayoutTest, EachNavigationOptionShowsItsPageAndKeepsOneSelected) {
    const wchar_t* options[] = {L"hotgame", L"offlinegame", L"onlinegame", L"webgame"};
    for (int index = 0; index < 4; ++index) {
        window.ClickAt(CentreOf(window.Find(options[index])));
        EXPECT_EQ(window.Tabs()->GetCurSel(), index + 1);
        EXPECT_TRUE(window.Option(options[index])->IsSelected());
        EXPECT_FALSE(window.MyGameOption()->IsSelected());
    }
    window.ClickAt(CentreOf(window.MyGameOption()));
    EXPECT_EQ(window.Tabs()->GetCurSel(), 0);
    EXPECT_FALSE(window.Option(L"webgame")->IsSelected());
}

TEST_F(MainFrameLayoutTest, TheBlueBandSitsOverALightPageAndTheSelectedOptionIsLit) {
    window.Repaint();
    uint32_t band = window.PixelAt(120, 60);
    EXPECT_GT(band & 0xFF, 0xA0u);           // blue
    EXPECT_LT((band >> 16) & 0xFF, 0x60u);  // little red
    // Below the options the band is one gradient row after row, to the window's right edge.
    for (int x : {100, 485, 965}) EXPECT_EQ(window.PixelAt(x, 97), window.PixelAt(20, 97)) << "column " << x;
    uint32_t page = window.PixelAt(400, 400);
    EXPECT_GT(page & 0xFF, 0xE0u);
    EXPECT_GT((page >> 16) & 0xFF, 0xE0u);
    // The selected option's picture lightens the band behind it; the others leave it as it is.
    RECT selected = window.MyGameOption()->GetPos();
    RECT other = window.Find(L"webgame")->GetPos();
    uint32_t lit = window.PixelAt(selected.left + 6, selected.top + 40);
    uint32_t plain = window.PixelAt(other.left + 6, other.top + 40);
    EXPECT_GT((lit >> 16) & 0xFF, ((plain >> 16) & 0xFF) + 0x20);
}

TEST_F(MainFrameLayoutTest, TheMyGamesPageFillsTheFirstPageAndScrollsItsGamesWithTheWindowsScrollBar) {
    CControlUI* page = window.Tabs()->GetItemAt(0);
    CDialogBuilder builder;
    CControlUI* content =
        builder.CreateInto(page, CDialogBuilder::Layout(std::wstring(L"MyGameListWnd.xml")), nullptr, nullptr, &window.Manager());
    ASSERT_NE(content, nullptr);
    EXPECT_EQ(content->GetName(), L"gamewnd");
    auto* column = static_cast<CContainerUI*>(window.Find(L"gamebtnlayout")->GetInterface(L"Container"));
    for (int game = 0; game < 14; ++game) {
        auto button = std::make_unique<COptionUI>();
        button->ApplyAttributeList(L"width=\"170\" height=\"30\" normalimage=\"btn_bj1.png\" group=\"gamebtn\"");
        button->SetText(L"游戏");
        column->AddAt(std::move(button), column->GetCount() - 2);
    }
    window.Repaint();

    RECT area = content->GetPos();
    EXPECT_EQ(area.left, 1);
    EXPECT_EQ(area.top, 100);
    EXPECT_EQ(area.right, 970 - 1);
    EXPECT_EQ(area.bottom, 660 - 30);
    // The page's font 6 is the window's own large bold face.
    EXPECT_EQ(static_cast<CLabelUI*>(window.Find(L"gamename")->GetInterface(L"Label"))->GetFont(), 6);
    EXPECT_TRUE(window.Manager().GetFontInfo(6).bold);

    // The window's scroll bar pictures: a thumb with no trace of their magenta mask colour.
    CScrollBarUI* bar = column->GetVerticalScrollBar();
    ASSERT_TRUE(bar && bar->IsVisible());
    RECT thumb = bar->GetThumbRect();
    ASSERT_GT(thumb.bottom - thumb.top, 20);
    for (int y = thumb.top; y < thumb.bottom; ++y) {
        for (int x = thumb.left; x < thumb.right; ++x) {
            uint32_t pixel = window.PixelAt(x, y);
            bool magenta = (pixel >> 16 & 0xFF) > 0xB0 && (pixel & 0xFF) > 0xB0 && (pixel >> 8 & 0xFF) < 0x90;
            ASSERT_FALSE(magenta) << std::hex << pixel << " at " << std::dec << x << "," << y;
        }
    }
}

// The application's two tags are registered by the floors that own their controls.
TEST(ApplicationTags, NameExactlyTheApplicationsTwoControls) {
    std::unique_ptr<CControlUI> page = CControlRegistry::Create(L"MyGameWnd");
    ASSERT_NE(page, nullptr);
    EXPECT_NE(page->GetInterface(L"MyGameWnd"), nullptr);
    std::unique_ptr<CControlUI> web = CControlRegistry::Create(L"IEWndUI");
    ASSERT_NE(web, nullptr);
    EXPECT_NE(dynamic_cast<CMyIEWndUI*>(web.get()), nullptr);
    for (const wchar_t* other : {L"mygamewnd", L"IEWnd", L"iewndui", L""})
        EXPECT_EQ(CControlRegistry::Create(other), nullptr) << other;
}

// The page bound to its controller in the main window's layout: a button per game above
// "moregame", the path alone as its user data, the start area following the selection and a removal.
TEST_F(MainFrameLayoutTest, GameButtonsStandAboveMoreGamesAndTheStartAreaFollowsSelectionAndRemoval) {
    auto* page = static_cast<CMyGameWndUI*>(window.Tabs()->GetItemAt(0)->GetInterface(L"MyGameWnd"));
    ASSERT_NE(page, nullptr);
    page->Bind(window.controller_);
    MyGamesController& games = window.controller_;
    CControlUI* start = window.Find(L"startgame");
    ASSERT_NE(start, nullptr);
    EXPECT_FALSE(start->IsEnabled());

    const GameRecord installed{L"龙之谷", L"C:\\Games\\a,b\\dragon.exe", L"\"C:\\Games\\a,b\\un.exe\" /S", 1, 7};
    const GameRecord hand{L"Solitaire", L"C:\\sol.exe", L"", 0, 0};
    games.AddGameButton(installed);
    games.AddGameButton(hand);
    auto* column = static_cast<CContainerUI*>(window.Find(L"gamebtnlayout")->GetInterface(L"Container"));
    ASSERT_EQ(column->GetCount(), 5);
    CControlUI* first = column->GetItemAt(1);
    EXPECT_EQ(first->GetText(), L"龙之谷");
    EXPECT_EQ(first->GetUserData(), L"C:\\Games\\a,b\\dragon.exe") << "the path alone, commas and all";
    EXPECT_EQ(first->GetTag(), 7u);
    EXPECT_EQ(column->GetItemAt(2)->GetText(), L"Solitaire");
    EXPECT_EQ(column->GetItemAt(3)->GetName(), L"moregame");
    EXPECT_EQ(page->GameOf(first)->uninstallString, installed.uninstallString);

    static_cast<COptionUI*>(first->GetInterface(L"Option"))->Selected(true);
    EXPECT_TRUE(start->IsEnabled());
    EXPECT_EQ(start->GetUserData(), installed.path);
    EXPECT_EQ(window.Find(L"gamename")->GetText(), L"龙之谷");

    // Another game's going leaves the start area to the game it shows; that game's going clears it.
    games.Remove(hand);
    EXPECT_TRUE(start->IsEnabled());
    EXPECT_EQ(window.Find(L"gamename")->GetText(), L"龙之谷");
    games.Remove(installed);
    EXPECT_FALSE(start->IsEnabled());
    EXPECT_EQ(window.Find(L"gamename")->GetText(), L"");
    EXPECT_EQ(column->GetCount(), 3);
    EXPECT_EQ(column->GetItemAt(1)->GetName(), L"moregame");
    games.Remove(installed);  // gone already: nothing happens
    EXPECT_EQ(column->GetCount(), 3);
    window.Pump();
}
