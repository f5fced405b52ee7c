#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "UiLib/core/UIManager.h"
#include "UiLib/layouts/UIHorizontalLayout.h"
#include "UiLib/layouts/UITabLayout.h"
#include "UiLib/layouts/UIVerticalLayout.h"

using namespace UiLib;

namespace {

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

#define EXPECT_RECT(control, l, t, r, b) \
    EXPECT_EQ(Describe((control)->GetPos()), Describe(RECT{l, t, r, b})) << #control

// Adds a child configured by an attribute list and returns it.
template <typename Control = CControlUI>
Control* AddChild(CContainerUI& parent, const std::wstring& attributes = std::wstring()) {
    auto child = std::make_unique<Control>();
    child->ApplyAttributeList(attributes);
    Control* raw = child.get();
    parent.Add(std::move(child));
    return raw;
}

// Counts its own destruction.
class CountedControl : public CControlUI {
public:
    ~CountedControl() override {
        if (destroyed) ++*destroyed;
    }
    int* destroyed = nullptr;
};

class Recorder : public INotifyUI {
public:
    void Notify(UiNotify& msg) override {
        types.push_back(msg.sType);
        last = msg;
    }
    std::vector<std::wstring> types;
    UiNotify last;
};

// A window-less manager that owns the tree under test.
template <typename Root>
class LayoutFixture : public ::testing::Test {
protected:
    LayoutFixture() {
        auto owned = std::make_unique<Root>();
        root = owned.get();
        manager.AttachDialog(std::move(owned));
        manager.AddNotifier(&recorder);
    }
    void Layout(const RECT& rect) { root->SetPos(rect); }

    CPaintManagerUI manager;
    Recorder recorder;
    Root* root;
};

using VerticalLayout = LayoutFixture<CVerticalLayoutUI>;
using HorizontalLayout = LayoutFixture<CHorizontalLayoutUI>;
using TabLayout = LayoutFixture<CTabLayoutUI>;

}  // namespace

TEST_F(VerticalLayout, StretchedChildrenShareWhatFixedOnesLeaveAndFillTheBox) {
    root->SetChildPadding(5);
    CControlUI* first = AddChild(*root);
    CControlUI* second = AddChild(*root, L"height=\"30\"");
    CControlUI* third = AddChild(*root);
    Layout(RECT{0, 0, 50, 100});
    EXPECT_RECT(first, 0, 0, 50, 30);
    EXPECT_RECT(second, 0, 35, 50, 65);
    EXPECT_RECT(third, 0, 70, 50, 100);
}

TEST_F(VerticalLayout, TheLastStretchedChildTakesTheRemainder) {
    CControlUI* first = AddChild(*root);
    CControlUI* second = AddChild(*root);
    Layout(RECT{0, 0, 10, 101});
    EXPECT_RECT(first, 0, 0, 10, 50);
    EXPECT_RECT(second, 0, 50, 10, 101);
}

TEST_F(VerticalLayout, PaddingIsAnOuterMarginAndTheLastChildStillEndsAtTheBottom) {
    CControlUI* first = AddChild(*root, L"padding=\"2,3,4,5\"");
    CControlUI* second = AddChild(*root, L"height=\"20\" padding=\"1,1,1,1\"");
    CControlUI* third = AddChild(*root, L"padding=\"0,0,0,10\"");
    Layout(RECT{0, 0, 100, 100});
    // Fixed room: 3 + 5, 20 + 1 + 1 and 10 = 40; two stretched children share 60.
    EXPECT_RECT(first, 2, 3, 96, 33);
    EXPECT_RECT(second, 1, 39, 99, 59);
    EXPECT_RECT(third, 0, 60, 100, 90);
}

TEST_F(VerticalLayout, MinAndMaxSizesClampFixedAndStretchedChildren) {
    CControlUI* tall = AddChild(*root, L"height=\"200\" maxheight=\"150\"");
    CControlUI* stretched = AddChild(*root, L"minheight=\"80\"");
    CControlUI* narrow = AddChild(*root, L"height=\"10\" width=\"30\"");
    CControlUI* wide = AddChild(*root, L"height=\"10\" maxwidth=\"40\"");
    Layout(RECT{0, 0, 100, 200});
    EXPECT_RECT(tall, 0, 0, 100, 150);
    EXPECT_EQ(stretched->GetHeight(), 80) << "the share (30) is raised to the minimum";
    EXPECT_EQ(narrow->GetWidth(), 30);
    EXPECT_EQ(wide->GetWidth(), 40);
}

TEST_F(VerticalLayout, InsetShrinksTheInnerArea) {
    root->ApplyAttributeList(L"inset=\"5,6,7,8\"");
    CControlUI* child = AddChild(*root);
    Layout(RECT{10, 10, 110, 110});
    EXPECT_RECT(child, 15, 16, 103, 102);
}

TEST_F(VerticalLayout, FloatChildrenIgnoreInsetAndFlow) {
    root->ApplyAttributeList(L"inset=\"20,20,20,20\"");
    CControlUI* flowing = AddChild(*root, L"height=\"10\"");
    CControlUI* floating = AddChild(*root, L"float=\"true\" pos=\"10,3,0,0\" width=\"40\" height=\"33\"");
    CControlUI* fromRight = AddChild(*root, L"float=\"true\" pos=\"-30,-20,-10,-5\"");
    Layout(RECT{100, 50, 300, 250});
    EXPECT_RECT(floating, 110, 53, 150, 86);
    EXPECT_RECT(fromRight, 270, 230, 290, 245);
    EXPECT_RECT(flowing, 120, 70, 280, 80) << "the float child takes no room";
}

TEST_F(VerticalLayout, RelativeFloatChildFollowsTheGrowthOfItsParent) {
    CControlUI* child = AddChild(*root, L"float=\"true\" pos=\"10,10,30,30\" relativepos=\"50,100,50,0\"");
    Layout(RECT{0, 0, 100, 100});
    EXPECT_RECT(child, 10, 10, 30, 30);
    Layout(RECT{0, 0, 200, 150});
    // Grew by 100 and 50: moved by 50 and 50, widened by 50.
    EXPECT_RECT(child, 60, 60, 130, 80);
}

TEST_F(VerticalLayout, HiddenChildrenTakeNoRoom) {
    CControlUI* first = AddChild(*root, L"height=\"10\"");
    AddChild(*root, L"height=\"40\" visible=\"false\"");
    CControlUI* last = AddChild(*root);
    Layout(RECT{0, 0, 10, 100});
    EXPECT_RECT(first, 0, 0, 10, 10);
    EXPECT_RECT(last, 0, 10, 10, 100);
}

TEST_F(VerticalLayout, OverflowShowsTheScrollBarAndLinesScroll) {
    root->SetAttribute(L"vscrollbar", L"true");
    CControlUI* first = AddChild(*root, L"height=\"150\"");
    CControlUI* second = AddChild(*root, L"height=\"150\"");
    Layout(RECT{0, 0, 100, 200});
    CScrollBarUI* bar = root->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 100);
    EXPECT_EQ(bar->GetScrollPos(), 0);
    EXPECT_RECT(first, 0, 0, 84, 150) << "narrower by the bar";
    EXPECT_RECT(bar, 84, 0, 100, 200);

    int line = manager.GetDefaultFontInfo().tm.tmHeight + 8;
    root->LineDown();
    EXPECT_EQ(bar->GetScrollPos(), line);
    EXPECT_RECT(second, 0, 150 - line, 84, 300 - line);
    root->EndDown();
    EXPECT_RECT(second, 0, 50, 84, 200);
    root->PageDown();
    EXPECT_EQ(bar->GetScrollPos(), 100) << "clamped to the range";
    root->HomeUp();
    EXPECT_RECT(first, 0, 0, 84, 150);

    UiEvent wheel;
    wheel.Type = UIEVENT_SCROLLWHEEL;
    wheel.wParam = 1;
    root->Event(wheel);
    EXPECT_EQ(bar->GetScrollPos(), line);

    second->SetVisible(false);
    Layout(root->GetPos());
    EXPECT_FALSE(bar->IsVisible()) << "no overflow, no bar";
    EXPECT_EQ(bar->GetScrollPos(), 0);
    EXPECT_RECT(first, 0, 0, 100, 150);
}

TEST_F(VerticalLayout, ScrollBarTakesTheDefaultAttributesOfTheWindow) {
    manager.AddDefaultAttributeList(L"VScrollBar", L"width=\"10\"");
    root->SetAttribute(L"vscrollbar", L"true");
    EXPECT_EQ(root->GetVerticalScrollBar()->GetFixedWidth(), 10);
    root->SetAttribute(L"vscrollbar", L"false");
    EXPECT_EQ(root->GetVerticalScrollBar(), nullptr);
}

TEST_F(HorizontalLayout, TheSameAlgorithmAlongX) {
    root->SetChildPadding(4);
    CControlUI* fixed = AddChild(*root, L"width=\"30\" height=\"20\"");
    CControlUI* stretched = AddChild(*root, L"padding=\"1,2,3,4\"");
    CControlUI* clamped = AddChild(*root, L"maxwidth=\"10\"");
    Layout(RECT{0, 0, 100, 50});
    EXPECT_RECT(fixed, 0, 0, 30, 20);
    // Fixed room: 30 + 4 + 2 * 4 = 42; the share is 29 each, then clamping.
    EXPECT_RECT(stretched, 35, 2, 64, 46);
    EXPECT_RECT(clamped, 71, 0, 81, 50);
}

TEST_F(HorizontalLayout, NeverShowsAScrollRangeForItsContent) {
    root->SetAttribute(L"vscrollbar", L"true");
    AddChild(*root, L"width=\"300\" height=\"300\"");
    Layout(RECT{0, 0, 100, 100});
    EXPECT_FALSE(root->GetVerticalScrollBar()->IsVisible());
}

TEST_F(TabLayout, ShowsOnePageAndSelectsWithANotification) {
    CControlUI* page0 = AddChild(*root);
    CControlUI* page1 = AddChild(*root, L"padding=\"1,2,3,4\"");
    CControlUI* page2 = AddChild(*root, L"width=\"10\" height=\"10\"");
    EXPECT_EQ(root->GetCurSel(), 0);
    EXPECT_TRUE(page0->IsVisible());
    EXPECT_FALSE(page1->IsVisible());
    Layout(RECT{0, 0, 100, 80});
    EXPECT_RECT(page0, 0, 0, 100, 80);

    EXPECT_TRUE(root->SelectItem(1));
    EXPECT_FALSE(page0->IsVisible());
    EXPECT_TRUE(page1->IsVisible());
    EXPECT_FALSE(page2->IsVisible());
    EXPECT_RECT(page1, 1, 2, 97, 76);
    ASSERT_FALSE(recorder.types.empty());
    EXPECT_EQ(recorder.types.back(), L"tabselect");
    EXPECT_EQ(recorder.last.wParam, 1u);
    EXPECT_EQ(recorder.last.lParam, 0);

    recorder.types.clear();
    EXPECT_TRUE(root->SelectItem(1)) << "the current page succeeds without effect";
    EXPECT_TRUE(recorder.types.empty());
    EXPECT_FALSE(root->SelectItem(3));
    EXPECT_FALSE(root->SelectItem(-1));
    EXPECT_EQ(root->GetCurSel(), 1);

    root->SetAttribute(L"selectedid", L"2");
    EXPECT_RECT(page2, 0, 0, 10, 10);
}

TEST_F(TabLayout, RemovingAndInsertingKeepTheSelectionOnItsPage) {
    AddChild(*root);
    CControlUI* page1 = AddChild(*root);
    AddChild(*root);
    root->SelectItem(1);
    root->AddAt(std::make_unique<CControlUI>(), 0);
    EXPECT_EQ(root->GetCurSel(), 2);
    EXPECT_EQ(root->GetItemAt(2), page1);
    EXPECT_FALSE(root->GetItemAt(0)->IsVisible());

    root->RemoveAt(0);
    EXPECT_EQ(root->GetCurSel(), 1);
    EXPECT_EQ(root->GetItemAt(1), page1);

    root->Remove(page1);
    EXPECT_EQ(root->GetCurSel(), 0);
    EXPECT_TRUE(root->GetItemAt(0)->IsVisible());
    root->RemoveAll();
    EXPECT_EQ(root->GetCurSel(), -1);
}

TEST_F(VerticalLayout, RemovingHandsTheChildBackAliveAndDroppingItDeletesIt) {
    int destroyed = 0;
    auto* kept = AddChild<CountedControl>(*root);
    auto* dropped = AddChild<CountedControl>(*root);
    kept->destroyed = dropped->destroyed = &destroyed;

    std::unique_ptr<CControlUI> taken = root->Remove(kept);
    EXPECT_EQ(taken.get(), kept);
    EXPECT_EQ(root->GetCount(), 1);
    EXPECT_EQ(destroyed, 0) << "the caller holds it";
    EXPECT_EQ(root->Remove(kept), nullptr) << "no longer a child";

    root->RemoveAt(0);
    EXPECT_EQ(destroyed, 1) << "dropped at once, not left for the delayed clean-up";
    EXPECT_EQ(manager.DelayedCleanupCount(), 0u);
    EXPECT_EQ(root->RemoveAt(0), nullptr);
    CControlUI stranger;
    EXPECT_EQ(root->Remove(&stranger), nullptr);

    ASSERT_TRUE(root->Add(std::move(taken))) << "a removed child can be added again";
    EXPECT_EQ(root->GetItemAt(0), kept);
    EXPECT_EQ(destroyed, 1);
}

TEST_F(TabLayout, ARemovedPageComesBackAndTheNextPageShows) {
    CControlUI* first = AddChild(*root);
    CControlUI* second = AddChild(*root);
    std::unique_ptr<CControlUI> page = root->RemoveAt(0);
    EXPECT_EQ(page.get(), first);
    EXPECT_EQ(root->GetCurSel(), 0);
    EXPECT_TRUE(second->IsVisible());
    EXPECT_EQ(root->RemoveAt(1), nullptr);
}

namespace {

// The manager of a window on a 150 % display (LogPixels 144).
class OneAndAHalfDpiManager : public CPaintManagerUI {
public:
    CDpiScale GetDpiScale() const override { return CDpiScale(144); }
};

class ScaledVerticalLayout : public ::testing::Test {
protected:
    ScaledVerticalLayout() {
        auto owned = std::make_unique<CVerticalLayoutUI>();
        root = owned.get();
        manager.AttachDialog(std::move(owned));
    }

    OneAndAHalfDpiManager manager;
    CVerticalLayoutUI* root;
};

}  // namespace

// The skin's paddings and minimum and maximum sizes are 96-DPI pixels: on a 150 % display the
// layout gives them one and a half times the room, while the control keeps the skin's values.
TEST_F(ScaledVerticalLayout, PaddingsAndSizeLimitsScaleWithTheWindowsDpi) {
    CControlUI* padded = AddChild(*root, L"padding=\"2,3,4,5\" maxheight=\"20\"");
    CControlUI* tall = AddChild(*root, L"minheight=\"60\" maxwidth=\"40\"");
    root->SetPos(RECT{0, 0, 300, 300});
    // 3 and 5 scale to 5 and 8; maxheight 20 to 30; minheight 60 to 90 and maxwidth 40 to 60.
    EXPECT_RECT(padded, 3, 5, 294, 35);
    EXPECT_EQ(tall->GetHeight(), 300 - 43);
    EXPECT_EQ(tall->GetWidth(), 60);
    EXPECT_EQ(padded->GetPadding().bottom, 8);

    CControlUI unhosted;
    unhosted.ApplyAttributeList(L"padding=\"2,3,4,5\" minheight=\"60\"");
    EXPECT_EQ(unhosted.GetPadding().bottom, 5) << "without a window the skin's values are drawn as written";
    EXPECT_EQ(unhosted.GetMinHeight(), 60);
}
