// The pieces of the menu framework without menu windows: the chain of open menus, the menu
// list's admission rules and the builder callback.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "UiLib/controls/UIListHeader.h"
#include "UiLib/menu/MenuBuilderCallback.h"
#include "UiLib/menu/MenuChain.h"
#include "UiLib/menu/MenuElementUI.h"
#include "UiLib/menu/MenuUI.h"
#include "UiLib/tree/UIWindowWnd.h"

using namespace UiLib;

namespace {

// A window standing in for a menu: `parent` is the menu it was opened from.
class StandInMenu : public CWindowWnd {
public:
    explicit StandInMenu(HWND parent = nullptr) { Create(parent, L"", WS_POPUP, 0, 0, 0, 10, 10); }
    ~StandInMenu() override { ::DestroyWindow(window_); }

protected:
    const wchar_t* GetWindowClassName() const override { return L"MenuChainTestWindow"; }
};

// The windows asked to close since the last call, in the order they were asked.
std::vector<HWND> TakeCloseRequests() {
    std::vector<HWND> windows;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE)) windows.push_back(msg.hwnd);
    return windows;
}

}  // namespace

TEST(MenuChainTest, KnowsItsMenusInTheOrderTheyOpenedAndTheRootFirst) {
    StandInMenu root;
    StandInMenu sub(root.GetHWND());
    StandInMenu stranger;
    CMenuChain chain;
    EXPECT_EQ(chain.Root(), nullptr);
    chain.Join(&root);
    chain.Join(&sub);
    chain.Join(&root);
    EXPECT_EQ(chain.Menus(), (std::vector<CWindowWnd*>{&root, &sub})) << "a menu joins once";
    EXPECT_EQ(chain.Root(), &root);
    EXPECT_TRUE(chain.Contains(sub.GetHWND()));
    EXPECT_FALSE(chain.Contains(stranger.GetHWND()));
    EXPECT_FALSE(chain.Contains(nullptr));

    chain.Leave(&root);
    EXPECT_EQ(chain.Root(), &sub);
    EXPECT_FALSE(chain.Contains(root.GetHWND()));
}

TEST(MenuChainTest, ClosesEveryMenuOrTheSubMenusOfOneTheLastOpenedFirst) {
    StandInMenu root;
    StandInMenu sub(root.GetHWND());
    StandInMenu subOfSub(sub.GetHWND());
    StandInMenu stranger;
    CMenuChain chain;
    for (CWindowWnd* menu : {&root, &sub, &subOfSub}) chain.Join(menu);
    TakeCloseRequests();

    chain.CloseSubMenusOf(root.GetHWND());
    EXPECT_EQ(TakeCloseRequests(), (std::vector<HWND>{subOfSub.GetHWND(), sub.GetHWND()}));
    chain.CloseSubMenusOf(sub.GetHWND());
    EXPECT_EQ(TakeCloseRequests(), std::vector<HWND>{subOfSub.GetHWND()});
    chain.CloseSubMenusOf(subOfSub.GetHWND());
    EXPECT_TRUE(TakeCloseRequests().empty());

    chain.CloseAll();
    EXPECT_EQ(TakeCloseRequests(), (std::vector<HWND>{subOfSub.GetHWND(), sub.GetHWND(), root.GetHWND()}));
}

TEST(MenuUITest, OnlyMenuItemsAreTakenAndTheirOwnItemsStayHidden) {
    CMenuUI menu;
    EXPECT_FALSE(menu.GetHeader()->IsVisible());
    CControlUI plain;
    EXPECT_FALSE(menu.Add(std::make_unique<CControlUI>()));
    EXPECT_EQ(menu.GetItemIndex(&plain), -1);
    EXPECT_FALSE(menu.AddAt(std::make_unique<CControlUI>(), 0));

    auto item = std::make_unique<CMenuElementUI>();
    auto sub = std::make_unique<CMenuElementUI>();
    CControlUI* subRaw = sub.get();
    item->Add(std::move(sub));
    CMenuElementUI* itemRaw = item.get();
    ASSERT_TRUE(menu.Add(std::move(item)));
    EXPECT_EQ(menu.GetItemIndex(itemRaw), 0);
    EXPECT_FALSE(subRaw->IsVisible());
    EXPECT_EQ(itemRaw->GetFixedHeight(), CMenuElementUI::kDefaultHeight);
    EXPECT_EQ(menu.EstimateSize(SIZE{500, 500}).cy, CMenuElementUI::kDefaultHeight);
    EXPECT_FALSE(menu.Remove(&plain));
    EXPECT_TRUE(menu.Remove(itemRaw));
    EXPECT_EQ(menu.GetCount(), 0);
}

TEST(MenuBuilderCallbackTest, BuildsTheMenuTagsInAnyCaseAndNothingElse) {
    CMenuBuilderCallback callback;
    auto menu = callback.CreateControlForTag(L"menu");
    ASSERT_NE(menu, nullptr);
    EXPECT_STREQ(menu->GetClass(), L"MenuUI");
    auto item = callback.CreateControlForTag(L"MENUELEMENT");
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(item->GetClass(), L"MenuElementUI");
    EXPECT_EQ(callback.CreateControlForTag(L"Button"), nullptr);
    EXPECT_EQ(callback.CreateControlForTag(nullptr), nullptr);

    auto chain = std::make_shared<CMenuChain>();
    auto chained = CMenuBuilderCallback(chain).CreateControlForTag(L"Menu");
    EXPECT_EQ(static_cast<CMenuUI*>(chained.get())->GetChain(), chain) << "its menus belong to the chain";
}
