// The pieces of the menu framework without windows: the observer and its receivers, the menu
// list's admission rules and the builder callback.
#include <gtest/gtest.h>

#include <vector>

#include "UiLib/controls/UIListHeader.h"
#include "UiLib/controls/menu/MenuBuilderCallback.h"
#include "UiLib/controls/menu/MenuElementUI.h"
#include "UiLib/controls/menu/MenuUI.h"
#include "UiLib/controls/menu/ObserverImpl.h"
#include "UiLib/controls/menu/ReceiverImpl.h"

using namespace UiLib;

namespace {

class Listener : public ReceiverImpl<int, int> {
public:
    Listener(int id, std::vector<int>& heard) : id_(id), heard_(heard) {}
    int Receive(int param) override {
        heard_.push_back(id_ * 100 + param);
        return 0;
    }

private:
    int id_;
    std::vector<int>& heard_;
};

}  // namespace

TEST(MenuObserverTest, BroadcastsReachTheReceiversInOrderAndAReceiverLeavesWhenItGoes) {
    ObserverImpl<int, int> observer;
    std::vector<int> heard;
    Listener first(1, heard);
    Listener second(2, heard);
    {
        Listener third(3, heard);
        observer.AddReceiver(&first);
        observer.AddReceiver(&second);
        observer.AddReceiver(&third);
        observer.Broadcast(7);
        observer.RBroadcast(8);
        EXPECT_EQ(heard, (std::vector<int>{107, 207, 307, 308, 208, 108}));
    }
    EXPECT_EQ(observer.Count(), 2u) << "a destroyed receiver left the observer";
    observer.RemoveReceiver(&first);
    heard.clear();
    observer.Broadcast(1);
    EXPECT_EQ(heard, std::vector<int>{201});
    second.RemoveObserver();
    EXPECT_EQ(observer.Count(), 0u);
    ObserverImpl<int, int>::Iterator it(observer);
    EXPECT_EQ(it.Next(), nullptr);
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
}
