#include "UiLib/controls/UIButton.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "UiLib/layouts/UITabLayout.h"
#include "tests/UiLib/controls/ControlFixture.h"
#include "tests/UiLib/support/SkinFolder.h"

using namespace UiLib;

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kWhite = 0xFFFFFF;

constexpr POINT kInside{20, 10};
constexpr POINT kOutside{100, 30};

// A layout that records the events its children hand on to it.
class EventSink : public CVerticalLayoutUI {
public:
    void DoEvent(UiEvent& event) override {
        seen.push_back(event.Type);
        CVerticalLayoutUI::DoEvent(event);
    }
    std::vector<uint32_t> seen;
};

class ButtonTest : public ::testing::Test, public ControlFixture {
protected:
    CButtonUI* AddButton(const std::wstring& attributes = std::wstring()) {
        return Add<CButtonUI>(L"float=\"true\" pos=\"0,0,60,20\" " + attributes);
    }
};

class ButtonPaint : public ButtonTest {
protected:
    ButtonPaint() {
        skin.AddPng(L"red.png", 1, 1, {0xFFFF0000});
        skin.AddPng(L"green.png", 1, 1, {0xFF00FF00});
        skin.AddPng(L"blue.png", 1, 1, {0xFF0000FF});
        skin.AddPng(L"grey.png", 1, 1, {0xFF808080});
        skin.AddPng(L"yellow.png", 1, 1, {0xFFFFFF00});
    }

    // The colour in the middle of the button and in its fore-image corner after a paint.
    uint32_t PaintedMiddle(CButtonUI* button) {
        canvas.Fill(kWhite);
        button->DoPaint(canvas.DC(), canvas.Bounds());
        return canvas.Rgb(30, 15);
    }

    SkinFolder skin;
    TestCanvas canvas{60, 20};
};

}  // namespace

TEST_F(ButtonTest, ClickOnButtonUpInside) {
    CButtonUI* button = AddButton();
    Layout(200, 100);
    Send(button, UIEVENT_BUTTONDOWN, kInside);
    EXPECT_EQ(button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED),
              static_cast<UINT>(UISTATE_PUSHED | UISTATE_CAPTURED));
    EXPECT_EQ(recorder.Count(L"click"), 0) << "nothing on the way down";
    Send(button, UIEVENT_BUTTONUP, kInside);
    EXPECT_EQ(recorder.Count(L"click", button), 1);
    EXPECT_EQ(button->GetButtonState() & (UISTATE_PUSHED | UISTATE_CAPTURED), 0u);
}

TEST_F(ButtonTest, ReleasingOutsideSendsNoClick) {
    CButtonUI* button = AddButton();
    Layout(200, 100);
    Send(button, UIEVENT_BUTTONDOWN, kInside);
    Send(button, UIEVENT_MOUSEMOVE, kOutside);
    EXPECT_FALSE(button->GetButtonState() & UISTATE_PUSHED) << "pushed follows the mouse";
    Send(button, UIEVENT_MOUSEMOVE, kInside);
    EXPECT_TRUE(button->GetButtonState() & UISTATE_PUSHED);
    Send(button, UIEVENT_BUTTONUP, kOutside);
    EXPECT_EQ(recorder.Count(L"click"), 0);
    EXPECT_EQ(button->GetButtonState() & UISTATE_CAPTURED, 0u);

    Send(button, UIEVENT_BUTTONUP, kInside);
    EXPECT_EQ(recorder.Count(L"click"), 0) << "a button up without a press is no click";
    Send(button, UIEVENT_BUTTONDOWN, kOutside);
    Send(button, UIEVENT_BUTTONUP, kInside);
    EXPECT_EQ(recorder.Count(L"click"), 0) << "a press outside does not capture";
}

TEST_F(ButtonTest, DisabledOrHiddenButtonsDoNotClick) {
    CButtonUI* button = AddButton(L"enabled=\"false\"");
    Layout(200, 100);
    Send(button, UIEVENT_MOUSEENTER, kInside);
    Click(button, kInside);
    EXPECT_EQ(button->GetButtonState(), 0u);
    EXPECT_EQ(recorder.Count(L"click"), 0);
    EXPECT_FALSE(button->Activate());

    button->SetEnabled(true);
    Send(button, UIEVENT_MOUSEENTER, kInside);
    Send(button, UIEVENT_BUTTONDOWN, kInside);
    button->SetEnabled(false);
    EXPECT_EQ(button->GetButtonState(), 0u) << "disabling drops hot, pushed and captured";

    button->SetEnabled(true);
    button->SetVisible(false);
    EXPECT_FALSE(button->Activate());
    EXPECT_EQ(recorder.Count(L"click"), 0);
}

TEST_F(ButtonTest, DoubleClickSendsDbClickAndPresses) {
    CButtonUI* button = AddButton();
    Layout(200, 100);
    Send(button, UIEVENT_DBLCLICK, kInside, 7, 9);
    ASSERT_EQ(recorder.Count(L"dbclick"), 1);
    EXPECT_EQ(recorder.received.back().wParam, 7u);
    EXPECT_EQ(recorder.received.back().lParam, 9);
    Send(button, UIEVENT_BUTTONUP, kInside);
    EXPECT_EQ(recorder.Count(L"click"), 1);
}

TEST_F(ButtonTest, KeysActivateWhenTheKeyboardFlagIsOn) {
    CButtonUI* button = AddButton();
    Layout(200, 100);
    UiEvent space = MakeKeyEvent(UIEVENT_KEYDOWN, VK_SPACE);
    button->Event(space);
    UiEvent enter = MakeKeyEvent(UIEVENT_KEYDOWN, VK_RETURN);
    button->Event(enter);
    UiEvent letter = MakeKeyEvent(UIEVENT_KEYDOWN, L'A');
    button->Event(letter);
    EXPECT_EQ(recorder.Count(L"click"), 2);
    EXPECT_EQ(button->GetControlFlags(), static_cast<UINT>(UIFLAG_TABSTOP | UIFLAG_SETCURSOR));

    button->SetKeyboardEnabled(false);
    button->Event(space);
    EXPECT_EQ(recorder.Count(L"click"), 2);
    EXPECT_EQ(button->GetControlFlags(), static_cast<UINT>(UIFLAG_SETCURSOR));
    button->SetEnabled(false);
    EXPECT_EQ(button->GetControlFlags(), 0u);
}

TEST_F(ButtonTest, HotStateFollowsEnterAndLeave) {
    CButtonUI* button = AddButton();
    Layout(200, 100);
    Send(button, UIEVENT_MOUSEENTER, kInside);
    EXPECT_TRUE(button->GetButtonState() & UISTATE_HOT);
    Send(button, UIEVENT_MOUSELEAVE, kOutside);
    EXPECT_FALSE(button->GetButtonState() & UISTATE_HOT);
    Send(button, UIEVENT_SETFOCUS);
    EXPECT_TRUE(button->IsFocused());
    EXPECT_TRUE(button->GetButtonState() & UISTATE_FOCUSED);
    Send(button, UIEVENT_KILLFOCUS);
    EXPECT_FALSE(button->GetButtonState() & UISTATE_FOCUSED);
}

TEST_F(ButtonTest, WithTheMouseFlagOffMouseEventsGoToTheParent) {
    auto sinkOwned = std::make_unique<EventSink>();
    EventSink* sink = sinkOwned.get();
    root->Add(std::move(sinkOwned));
    CButtonUI* button = Add<CButtonUI>(L"float=\"true\" pos=\"0,0,60,20\" mouse=\"false\"", sink);
    Layout(200, 100);
    Click(button, kInside);
    EXPECT_EQ(recorder.Count(L"click"), 0);
    EXPECT_EQ(button->GetButtonState(), 0u);
    ASSERT_EQ(sink->seen.size(), 2u);
    EXPECT_EQ(sink->seen[0], static_cast<uint32_t>(UIEVENT_BUTTONDOWN));

    button->SetMouseEnabled(true);
    Click(button, kInside);
    EXPECT_EQ(sink->seen.size(), 2u) << "the button keeps its own clicks";
}

TEST_F(ButtonTest, ContextMenuSendsMenuOnlyWhenEnabledForIt) {
    CButtonUI* button = AddButton();
    Layout(200, 100);
    Send(button, UIEVENT_CONTEXTMENU, kInside);
    EXPECT_EQ(recorder.Count(L"menu"), 0);
    button->SetAttribute(L"menu", L"true");
    Send(button, UIEVENT_CONTEXTMENU, kInside, 3, 4);
    EXPECT_EQ(recorder.Count(L"menu", button), 1);
}

TEST_F(ButtonTest, BoundTabPageIsSelectedAfterTheClick) {
    auto tabOwned = std::make_unique<CTabLayoutUI>();
    CTabLayoutUI* tab = tabOwned.get();
    tab->SetName(L"tabswitch");
    for (int i = 0; i < 3; ++i) tab->Add(std::make_unique<CControlUI>());
    root->Add(std::move(tabOwned));
    CButtonUI* button = AddButton(L"bindtablayoutname=\"tabswitch\" bindtabindex=\"2\"");
    Layout(200, 100);
    recorder.received.clear();
    Click(button, kInside);
    EXPECT_EQ(tab->GetCurSel(), 2);
    std::vector<std::wstring> types = recorder.Types();
    auto click = std::find(types.begin(), types.end(), L"click");
    auto tabSelect = std::find(types.begin(), types.end(), L"tabselect");
    ASSERT_NE(tabSelect, types.end());
    EXPECT_LT(click, tabSelect) << "the page changes after the click";

    CButtonUI* unbound = AddButton(L"bindtablayoutname=\"tabswitch\"");
    CButtonUI* missing = AddButton(L"bindtablayoutname=\"nowhere\" bindtabindex=\"1\"");
    Layout(200, 100);
    unbound->Activate();
    missing->Activate();
    EXPECT_EQ(tab->GetCurSel(), 2) << "without an index, or without such a tab layout, nothing changes";
}

TEST_F(ButtonPaint, StatusImageFollowsTheStateByPriority) {
    CButtonUI* button = AddButton(L"normalimage=\"red.png\" hotimage=\"green.png\" pushedimage=\"blue.png\" "
                                  L"disabledimage=\"grey.png\" focusedimage=\"yellow.png\"");
    Layout(200, 100);
    EXPECT_EQ(PaintedMiddle(button), kRed);
    Send(button, UIEVENT_SETFOCUS);
    EXPECT_EQ(PaintedMiddle(button), kYellow);
    Send(button, UIEVENT_MOUSEENTER, kInside);
    EXPECT_EQ(PaintedMiddle(button), kGreen) << "hot before focused";
    Send(button, UIEVENT_BUTTONDOWN, kInside);
    EXPECT_EQ(PaintedMiddle(button), kBlue) << "pushed before hot";
    Send(button, UIEVENT_BUTTONUP, kInside);
    button->SetEnabled(false);
    EXPECT_EQ(PaintedMiddle(button), kGrey);
}

TEST_F(ButtonPaint, ForeImagesAndTheHotBackground) {
    CButtonUI* button = AddButton(L"normalimage=\"red.png\" foreimage=\"file='blue.png' dest='0,0,4,4'\" "
                                  L"hotbkcolor=\"#FF00FF00\"");
    Layout(200, 100);
    EXPECT_EQ(PaintedMiddle(button), kRed);
    EXPECT_EQ(canvas.Rgb(1, 1), kBlue) << "the fore image is drawn over the state image";
    Send(button, UIEVENT_MOUSEENTER, kInside);
    EXPECT_EQ(PaintedMiddle(button), kGreen) << "hot background without a hot image";

    button->SetHotImage(L"grey.png");
    button->SetHotForeImage(L"file='yellow.png' dest='0,0,4,4'");
    EXPECT_EQ(PaintedMiddle(button), kGrey);
    EXPECT_EQ(canvas.Rgb(1, 1), kYellow) << "the hot fore image replaces the fore image";
}

TEST_F(ButtonPaint, AnImageThatCannotBeDrawnIsCleared) {
    CButtonUI* button = AddButton(L"normalimage=\"red.png\" hotimage=\"missing.png\"");
    Layout(200, 100);
    Send(button, UIEVENT_MOUSEENTER, kInside);
    EXPECT_EQ(PaintedMiddle(button), kRed) << "falls back to the normal image";
    EXPECT_TRUE(button->GetHotImage().empty());
}

TEST_F(ButtonPaint, TextColourFollowsTheState) {
    CButtonUI* button = AddButton(L"text=\"MMMMMM\" textcolor=\"#FF000000\" hottextcolor=\"#FFFF0000\" "
                                  L"pushedtextcolor=\"#FF0000FF\" focusedtextcolor=\"#FF00FF00\" "
                                  L"disabledtextcolor=\"#FF808080\"");
    Layout(200, 100);
    auto textIn = [&](uint32_t rgb) {
        canvas.Fill(kWhite);
        button->DoPaint(canvas.DC(), canvas.Bounds());
        return CountNear(canvas, canvas.Bounds(), rgb, 40) > 5;
    };
    EXPECT_TRUE(textIn(0x000000));
    Send(button, UIEVENT_SETFOCUS);
    EXPECT_TRUE(textIn(kGreen));
    Send(button, UIEVENT_MOUSEENTER, kInside);
    EXPECT_TRUE(textIn(kRed));
    Send(button, UIEVENT_BUTTONDOWN, kInside);
    EXPECT_TRUE(textIn(kBlue));
    EXPECT_FALSE(textIn(kRed));
    Send(button, UIEVENT_BUTTONUP, kOutside);
    button->SetEnabled(false);
    EXPECT_TRUE(textIn(kGrey));
    EXPECT_FALSE(textIn(kGreen)) << "a disabled button ignores its state colours";
}
