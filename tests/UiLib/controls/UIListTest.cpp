// The list family: building from layout text, selection, keyboard, notifications and the item
// background painted by state.
#include <gtest/gtest.h>

#include "UiLib/controls/UIList.h"
#include "UiLib/controls/UIListContainerElement.h"
#include "UiLib/controls/UIListHeader.h"
#include "UiLib/controls/UIListHeaderItem.h"
#include "UiLib/controls/UIListLabelElement.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "tests/UiLib/controls/ControlFixture.h"

using namespace UiLib;

namespace {

const wchar_t kLayout[] =
    L"<Window>"
    L"<List name=\"list\" itemtextcolor=\"#FF102030\" itemhottextcolor=\"#FF00A000\">"
    L"  <ListHeader height=\"20\">"
    L"    <ListHeaderItem text=\"名称\" width=\"80\"/>"
    L"    <ListHeaderItem text=\"路径\"/>"
    L"  </ListHeader>"
    L"  <ListContainerElement name=\"e0\" height=\"20\"><Label text=\"甲\" mouse=\"false\"/></ListContainerElement>"
    L"  <ListContainerElement name=\"e1\" height=\"20\" enabled=\"false\"/>"
    L"  <ListContainerElement name=\"e2\" height=\"20\" selected=\"true\"/>"
    L"  <ListLabelElement name=\"e3\" height=\"20\" text=\"乙\"/>"
    L"</List>"
    L"</Window>";

class ListTest : public ::testing::Test, public ControlFixture {
protected:
    void SetUp() override {
        CDialogBuilder builder;
        std::unique_ptr<CControlUI> built = builder.Create(kLayout, nullptr, nullptr, &manager);
        ASSERT_NE(built, nullptr);
        list = static_cast<CListUI*>(built->GetInterface(L"List"));
        ASSERT_NE(list, nullptr);
        root->Add(std::move(built));
        Layout(200, 140);
        recorder.received.clear();
    }

    CControlUI* Item(int index) { return list->GetItemAt(index); }
    IListItemUI* AsItem(int index) { return static_cast<IListItemUI*>(Item(index)->GetInterface(L"ListItem")); }
    POINT Centre(int index) {
        RECT r = Item(index)->GetPos();
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Key(wchar_t key) { Send(Item(std::max(list->GetCurSel(), 0)), UIEVENT_KEYDOWN, POINT{}, key); }
    void KeyDown(CControlUI* target, wchar_t key) {
        UiEvent event = MakeKeyEvent(UIEVENT_KEYDOWN, key);
        event.pSender = target;
        target->Event(event);
    }

    CListUI* list = nullptr;
};

}  // namespace

TEST_F(ListTest, TheLayoutFillsHeaderAndBodyAndNumbersTheItems) {
    EXPECT_STREQ(list->GetHeader()->GetClass(), L"ListHeaderUI");
    EXPECT_EQ(list->GetHeader()->GetCount(), 2);
    EXPECT_EQ(list->CVerticalLayoutUI::GetCount(), 2) << "the layout's header took the default one's place";
    EXPECT_EQ(list->GetListInfo()->columns, 2);
    EXPECT_EQ(list->GetListInfo()->column[0].right - list->GetListInfo()->column[0].left, 80);
    ASSERT_EQ(list->GetCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(AsItem(i)->GetIndex(), i);
        EXPECT_EQ(AsItem(i)->GetOwner(), static_cast<IListOwnerUI*>(list));
    }
    EXPECT_NE(Item(3)->GetInterface(L"ListLabelElement"), nullptr);
    EXPECT_NE(Item(3)->GetInterface(L"ListElement"), nullptr);
    EXPECT_EQ(list->GetCurSel(), 2) << "the item attribute \"selected\" selects";
    EXPECT_EQ(Item(0)->GetPos().top, list->GetHeader()->GetPos().bottom) << "the body starts below the header";
}

TEST_F(ListTest, ClickingAnEntrySendsItemClickThenItemSelectAndADisabledOneNothing) {
    Click(Item(0), Centre(0));
    ASSERT_EQ(recorder.Types(), (std::vector<std::wstring>{L"itemclick", L"itemselect"}));
    EXPECT_EQ(recorder.received[0].pSender, Item(0));
    EXPECT_EQ(recorder.received[1].pSender, list);
    EXPECT_EQ(recorder.received[1].wParam, 0u);
    EXPECT_TRUE(AsItem(0)->IsSelected());

    recorder.received.clear();
    Click(Item(1), Centre(1));
    EXPECT_TRUE(recorder.received.empty());
    EXPECT_FALSE(AsItem(1)->IsSelected());
    EXPECT_EQ(list->GetCurSel(), 0);
}

TEST_F(ListTest, DoubleClickAndReturnActivate) {
    Send(Item(3), UIEVENT_DBLCLICK, Centre(3));
    EXPECT_EQ(recorder.Count(L"itemactivate", Item(3)), 1);
    KeyDown(Item(0), VK_RETURN);
    EXPECT_EQ(recorder.Count(L"itemactivate", Item(0)), 1);
    KeyDown(Item(1), VK_RETURN);
    EXPECT_EQ(recorder.Count(L"itemactivate", Item(1)), 0) << "a disabled entry is not activated";
}

TEST_F(ListTest, SingleSelectKeepsOneItemAndMultipleSelectKeepsAll) {
    ASSERT_TRUE(list->SelectItem(0));
    ASSERT_TRUE(list->SelectItem(2));
    EXPECT_FALSE(AsItem(0)->IsSelected());
    EXPECT_TRUE(AsItem(2)->IsSelected());
    EXPECT_EQ(list->GetSelectedItems(), std::vector<int>{2});
    EXPECT_EQ(recorder.Count(L"itemselect"), 2) << "one notification per selection";

    EXPECT_FALSE(list->SelectItem(1)) << "disabled";
    EXPECT_FALSE(list->SelectItem(9));
    EXPECT_TRUE(AsItem(2)->IsSelected());

    list->SetAttribute(L"multipleitem", L"true");
    ASSERT_TRUE(list->SelectItem(0));
    EXPECT_TRUE(AsItem(0)->IsSelected());
    EXPECT_TRUE(AsItem(2)->IsSelected());
    list->SetMultiSelect(false);
    EXPECT_EQ(list->GetSelectedItems().size(), 1u);

    EXPECT_FALSE(list->SelectItem(-1));
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_FALSE(AsItem(0)->IsSelected() || AsItem(2)->IsSelected());
}

TEST_F(ListTest, ArrowKeysSkipDisabledItemsAndStopAtTheEnds) {
    list->SelectItem(0);
    KeyDown(Item(0), VK_DOWN);
    EXPECT_EQ(list->GetCurSel(), 2) << "item 1 is disabled";
    KeyDown(Item(2), VK_DOWN);
    EXPECT_EQ(list->GetCurSel(), 3);
    KeyDown(Item(3), VK_DOWN);
    EXPECT_EQ(list->GetCurSel(), 3) << "nothing below: the selection stays";
    KeyDown(Item(3), VK_HOME);
    EXPECT_EQ(list->GetCurSel(), 0);
    KeyDown(Item(0), VK_UP);
    EXPECT_EQ(list->GetCurSel(), 0);
    KeyDown(Item(0), VK_END);
    EXPECT_EQ(list->GetCurSel(), 3);
    KeyDown(Item(3), VK_UP);
    EXPECT_EQ(list->GetCurSel(), 2);
}

TEST_F(ListTest, InsertingAndRemovingRenumbersAndMovesTheSelection) {
    ASSERT_EQ(list->GetCurSel(), 2);
    auto inserted = std::make_unique<CListLabelElementUI>();
    CControlUI* raw = inserted.get();
    ASSERT_TRUE(list->AddAt(std::move(inserted), 0));
    EXPECT_EQ(list->GetItemIndex(raw), 0);
    EXPECT_EQ(AsItem(3)->GetIndex(), 3);
    EXPECT_EQ(list->GetCurSel(), 3) << "the selected item moved down by one";
    EXPECT_TRUE(AsItem(3)->IsSelected());

    ASSERT_TRUE(list->RemoveAt(0));
    EXPECT_EQ(list->GetCurSel(), 2);
    for (int i = 0; i < list->GetCount(); ++i) EXPECT_EQ(AsItem(i)->GetIndex(), i);
    ASSERT_TRUE(list->Remove(Item(2)));
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(list->GetCount(), 3);
}

TEST_F(ListTest, ItemBackgroundsFollowTheState) {
    TestCanvas canvas{200, 140};
    auto paint = [&] {
        canvas.Fill(0xFFFFFF);
        manager.GetRoot()->DoPaint(canvas.DC(), canvas.Bounds());
    };
    auto inside = [&](int index) {
        RECT r = Item(index)->GetPos();
        return RECT{r.left, r.top, r.right, r.bottom};
    };
    auto area = [&](int index) {
        RECT r = inside(index);
        return (r.right - r.left) * (r.bottom - r.top);
    };

    Send(Item(3), UIEVENT_MOUSEENTER, Centre(3));
    paint();
    EXPECT_GT(CountNear(canvas, inside(3), 0xE9F5FF, 2), area(3) * 8 / 10) << "hot background";
    EXPECT_GT(CountNear(canvas, inside(2), 0xC1E3FF, 2), area(2) * 9 / 10) << "selected background";
    EXPECT_EQ(CountNear(canvas, inside(0), 0xE9F5FF, 2), 0);
    EXPECT_GT(CountNear(canvas, inside(3), 0x00A000, 60), 0) << "hot text colour";

    Send(Item(3), UIEVENT_MOUSELEAVE, Centre(3));
    paint();
    EXPECT_EQ(CountNear(canvas, inside(3), 0xE9F5FF, 2), 0);
    EXPECT_GT(CountNear(canvas, inside(3), 0x102030, 60), 0) << "normal text colour";

    list->SetAttribute(L"itemdisabledbkcolor", L"#FF800000");
    paint();
    EXPECT_GT(CountNear(canvas, inside(1), 0x800000, 2), area(1) * 9 / 10) << "disabled background";

    // A hot image takes the place of the hot colour; one that cannot be loaded is dropped.
    list->SetAttribute(L"itemhotimage", L"no-such-image.png");
    Send(Item(0), UIEVENT_MOUSEENTER, Centre(0));
    paint();
    EXPECT_GT(CountNear(canvas, inside(0), 0xE9F5FF, 2), area(0) * 8 / 10);
    EXPECT_TRUE(list->GetListInfo()->hotImage.empty());
}

TEST_F(ListTest, AHeaderCanBeHiddenAndTheBodyTakesItsPlace) {
    list->SetAttribute(L"header", L"hidden");
    Layout(200, 140);
    EXPECT_FALSE(list->GetHeader()->IsVisible());
    EXPECT_EQ(Item(0)->GetPos().top, list->GetPos().top);
}

TEST_F(ListTest, ASecondHeaderIsRefusedAndNonItemsStillGoToTheBody) {
    EXPECT_FALSE(list->Add(std::make_unique<CListHeaderUI>())) << "the header is not empty";
    auto plain = std::make_unique<CControlUI>();
    CControlUI* raw = plain.get();
    ASSERT_TRUE(list->Add(std::move(plain)));
    EXPECT_EQ(list->GetItemIndex(raw), 4);
    EXPECT_FALSE(list->SelectItem(4)) << "not a list item";
}
