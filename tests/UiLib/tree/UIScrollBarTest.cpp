#include "UiLib/tree/UIScrollBar.h"

#include <gtest/gtest.h>

#include "UiLib/tree/UIState.h"
#include "tests/UiLib/controls/ControlFixture.h"
#include "tests/UiLib/support/SkinFolder.h"

using namespace UiLib;

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kBlack = 0x000000;

::testing::AssertionResult RectIs(const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
    if (r.left == left && r.top == top && r.right == right && r.bottom == bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "rect " << r.left << "," << r.top << "," << r.right << ","
                                         << r.bottom;
}

void Tick(CScrollBarUI* bar, int ticks = 1) {
    for (int i = 0; i < ticks; ++i) Send(bar, UIEVENT_TIMER, POINT{}, CScrollBarUI::kRepeatTimerId);
}

POINT Middle(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// A free-standing vertical bar 16 wide and 200 long at the top-left of the window.
class ScrollBarTest : public ::testing::Test, public ControlFixture {
protected:
    ScrollBarTest() {
        bar = Add<CScrollBarUI>(L"float=\"true\" pos=\"0,0,16,200\"");
        Layout(300, 300);
    }

    CScrollBarUI* bar;
};

}  // namespace

TEST(ScrollBarGeometry, ThumbSizeAndPlaceFollowRangeAndPosition) {
    CScrollBarUI bar;
    bar.SetPos(RECT{0, 0, 16, 200});
    EXPECT_TRUE(RectIs(bar.GetButton1Rect(), 0, 0, 16, 16));
    EXPECT_TRUE(RectIs(bar.GetButton2Rect(), 0, 184, 16, 200));
    // Track 168; thumb 200 * 168 / (200 + 100) = 112.
    EXPECT_TRUE(RectIs(bar.GetThumbRect(), 0, 16, 16, 128));
    bar.SetScrollPos(50);
    EXPECT_TRUE(RectIs(bar.GetThumbRect(), 0, 44, 16, 156));
    bar.SetScrollPos(500);
    EXPECT_EQ(bar.GetScrollPos(), 100) << "clamped to the range";
    EXPECT_TRUE(RectIs(bar.GetThumbRect(), 0, 72, 16, 184)) << "ends at button 2";
    EXPECT_TRUE(RectIs(bar.GetRailRect(), 0, 120, 16, 136)) << "a grip centred on the thumb";

    bar.SetScrollRange(100000);
    EXPECT_EQ(bar.GetThumbRect().bottom - bar.GetThumbRect().top, 16) << "never shorter than a button";
    bar.SetScrollRange(0);
    EXPECT_TRUE(RectIs(bar.GetThumbRect(), 0, 16, 16, 184)) << "without a range the thumb fills the track";
    const RECT rail = bar.GetRailRect();
    EXPECT_TRUE(::IsRectEmpty(&rail));
}

TEST(ScrollBarGeometry, HiddenButtonsShortBarsAndHorizontalBars) {
    CScrollBarUI bar;
    bar.SetAttribute(L"showbutton1", L"false");
    bar.SetPos(RECT{0, 0, 16, 200});
    EXPECT_TRUE(RectIs(bar.GetButton1Rect(), 0, 0, 16, 0));
    EXPECT_EQ(bar.GetThumbRect().top, 0);

    bar.SetShowButton1(true);
    bar.SetPos(RECT{0, 0, 16, 40});
    EXPECT_TRUE(RectIs(bar.GetButton1Rect(), 0, 0, 16, 16));
    EXPECT_TRUE(RectIs(bar.GetButton2Rect(), 0, 24, 16, 40));
    EXPECT_TRUE(::IsRectEmpty(&bar.GetThumbRect())) << "too short for a thumb";
    bar.SetPos(RECT{0, 0, 16, 20});
    EXPECT_TRUE(RectIs(bar.GetButton1Rect(), 0, 0, 16, 10)) << "buttons share a very short bar";

    CScrollBarUI hor;
    hor.SetAttribute(L"hor", L"true");
    EXPECT_EQ(hor.GetFixedHeight(), 16);
    EXPECT_EQ(hor.GetFixedWidth(), 0);
    hor.SetAttribute(L"range", L"100");
    hor.SetAttribute(L"value", L"50");
    hor.SetPos(RECT{10, 0, 210, 16});
    EXPECT_TRUE(RectIs(hor.GetButton1Rect(), 10, 0, 26, 16));
    EXPECT_TRUE(RectIs(hor.GetThumbRect(), 54, 0, 166, 16));
}

TEST(ScrollBarAttributes, PartImagesAndValues) {
    CScrollBarUI bar;
    bar.ApplyAttributeList(L"button1normalimage=\"a.png\" button2hotimage=\"b.png\" thumbpushedimage=\"c.png\" "
                           L"raildisabledimage=\"d.png\" bknormalimage=\"e.png\" linesize=\"20\" range=\"40\" "
                           L"value=\"60\"");
    EXPECT_EQ(bar.GetPartImage(CScrollBarUI::kButton1, CScrollBarUI::kNormal), L"a.png");
    EXPECT_EQ(bar.GetPartImage(CScrollBarUI::kButton2, CScrollBarUI::kHot), L"b.png");
    EXPECT_EQ(bar.GetPartImage(CScrollBarUI::kThumb, CScrollBarUI::kPushed), L"c.png");
    EXPECT_EQ(bar.GetPartImage(CScrollBarUI::kRail, CScrollBarUI::kDisabled), L"d.png");
    EXPECT_EQ(bar.GetPartImage(CScrollBarUI::kBackground, CScrollBarUI::kNormal), L"e.png");
    EXPECT_EQ(bar.GetLineSize(), 20);
    EXPECT_EQ(bar.GetScrollRange(), 40);
    EXPECT_EQ(bar.GetScrollPos(), 40);
    bar.SetAttribute(L"button1normal", L"x.png");
    EXPECT_EQ(bar.GetPartImage(CScrollBarUI::kButton1, CScrollBarUI::kNormal), L"a.png") << "partial names do nothing";
}

TEST_F(ScrollBarTest, ArrowButtonsStepAtOnceAndRepeatAfterADelay) {
    Send(bar, UIEVENT_BUTTONDOWN, Middle(bar->GetButton2Rect()));
    EXPECT_EQ(bar->GetScrollPos(), 8);
    EXPECT_EQ(recorder.Count(L"scroll", bar), 1);
    Tick(bar, CScrollBarUI::kRepeatDelayTicks);
    EXPECT_EQ(bar->GetScrollPos(), 8) << "no repeat during the first ticks";
    Tick(bar, 2);
    EXPECT_EQ(bar->GetScrollPos(), 24);
    Send(bar, UIEVENT_BUTTONUP, Middle(bar->GetButton2Rect()));
    Tick(bar, 10);
    EXPECT_EQ(bar->GetScrollPos(), 24) << "released: no more steps";

    Send(bar, UIEVENT_BUTTONDOWN, Middle(bar->GetButton1Rect()));
    Send(bar, UIEVENT_BUTTONUP, Middle(bar->GetButton1Rect()));
    EXPECT_EQ(bar->GetScrollPos(), 16);
    EXPECT_EQ(recorder.Count(L"scroll", bar), 4);

    bar->SetScrollPos(0);
    Click(bar, Middle(bar->GetButton1Rect()));
    EXPECT_EQ(recorder.Count(L"scroll", bar), 4) << "no change, no notification";
}

TEST_F(ScrollBarTest, RailPagesTowardTheClick) {
    Send(bar, UIEVENT_BUTTONDOWN, POINT{8, 170});
    EXPECT_EQ(bar->GetScrollPos(), 100) << "a page is the bar's length, clamped";
    Send(bar, UIEVENT_BUTTONUP, POINT{8, 170});
    bar->SetScrollRange(1000);
    bar->SetScrollPos(1000);
    Send(bar, UIEVENT_BUTTONDOWN, POINT{8, 50});
    EXPECT_EQ(bar->GetScrollPos(), 800);
    Tick(bar, CScrollBarUI::kRepeatDelayTicks + 1);
    EXPECT_EQ(bar->GetScrollPos(), 600);
    // Thumb 28 long over a travel of 140: at 200 it covers the mouse and paging stops.
    Tick(bar, 10);
    EXPECT_EQ(bar->GetScrollPos(), 200);
    Send(bar, UIEVENT_BUTTONUP, POINT{8, 50});
}

TEST_F(ScrollBarTest, DraggingTheThumbFollowsTheMouse) {
    POINT grip = Middle(bar->GetThumbRect());
    Send(bar, UIEVENT_BUTTONDOWN, grip);
    EXPECT_EQ(bar->GetScrollPos(), 0) << "pressing the thumb does not scroll";
    // The thumb (112) travels 56 pixels over the range of 100.
    Send(bar, UIEVENT_MOUSEMOVE, POINT{grip.x, grip.y + 28});
    Tick(bar);
    EXPECT_EQ(bar->GetScrollPos(), 50);
    EXPECT_EQ(bar->GetThumbRect().top, 44);
    Send(bar, UIEVENT_MOUSEMOVE, POINT{grip.x + 300, grip.y + 400});
    Tick(bar);
    EXPECT_EQ(bar->GetScrollPos(), 100) << "clamped; the mouse may leave the bar";
    Send(bar, UIEVENT_MOUSEMOVE, POINT{grip.x, grip.y - 50});
    Tick(bar);
    EXPECT_EQ(bar->GetScrollPos(), 0);
    Send(bar, UIEVENT_BUTTONUP, grip);
    Send(bar, UIEVENT_MOUSEMOVE, POINT{grip.x, grip.y + 28});
    Tick(bar);
    EXPECT_EQ(bar->GetScrollPos(), 0) << "released: the thumb stays";
}

TEST_F(ScrollBarTest, DisabledBarsIgnoreTheMouse) {
    bar->SetEnabled(false);
    Click(bar, Middle(bar->GetButton2Rect()));
    Send(bar, UIEVENT_BUTTONDOWN, POINT{8, 170});
    EXPECT_EQ(bar->GetScrollPos(), 0);
    EXPECT_EQ(recorder.Count(L"scroll"), 0);
}

TEST(ScrollBarOwner, ScrollsItsContainer) {
    ControlFixture fixture;
    fixture.root->SetAttribute(L"vscrollbar", L"true");
    CControlUI* first = fixture.Add<CControlUI>(L"height=\"150\"");
    fixture.Add<CControlUI>(L"height=\"150\"");
    fixture.Layout(100, 200);
    CScrollBarUI* bar = fixture.root->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->GetScrollRange(), 100);

    const int line = fixture.manager.GetDefaultFontInfo().tm.tmHeight + 8;
    Click(bar, Middle(bar->GetButton2Rect()));
    EXPECT_EQ(bar->GetScrollPos(), line) << "the owner's line down";
    EXPECT_EQ(first->GetPos().top, -line);

    bar->GetOwner()->HomeUp();
    POINT grip = Middle(bar->GetThumbRect());
    const RECT thumb = bar->GetThumbRect();
    const int travel = (184 - 16) - (thumb.bottom - thumb.top);
    Send(bar, UIEVENT_BUTTONDOWN, grip);
    Send(bar, UIEVENT_MOUSEMOVE, POINT{grip.x, grip.y + travel / 2});
    Tick(bar);
    Send(bar, UIEVENT_BUTTONUP, grip);
    EXPECT_EQ(bar->GetScrollPos(), 50);
    EXPECT_EQ(first->GetPos().top, -50) << "the children follow the thumb";
    EXPECT_EQ(fixture.recorder.Count(L"scroll"), 0) << "a bar with an owner sends no scroll";
}

class ScrollBarPaint : public ScrollBarTest {
protected:
    ScrollBarPaint() {
        skin.AddPng(L"red.png", 1, 1, {0xFFFF0000});
        skin.AddPng(L"green.png", 1, 1, {0xFF00FF00});
        skin.AddPng(L"blue.png", 1, 1, {0xFF0000FF});
        skin.AddPng(L"grey.png", 1, 1, {0xFF808080});
        skin.AddPng(L"yellow.png", 1, 1, {0xFFFFFF00});
        skin.AddPng(L"black.png", 1, 1, {0xFF000000});
        bar->ApplyAttributeList(L"bknormalimage=\"black.png\" button1normalimage=\"red.png\" "
                                L"button2normalimage=\"green.png\" thumbnormalimage=\"blue.png\" "
                                L"railnormalimage=\"grey.png\" button1pushedimage=\"yellow.png\" "
                                L"thumbhotimage=\"yellow.png\"");
    }

    void Paint() {
        canvas.Fill(0xFFFFFF);
        bar->DoPaint(canvas.DC(), canvas.Bounds());
    }

    SkinFolder skin;
    TestCanvas canvas{16, 200};
};

TEST_F(ScrollBarPaint, PartsAreDrawnInTheirRectangles) {
    bar->SetScrollPos(50);
    Paint();
    EXPECT_EQ(canvas.Rgb(8, 8), kRed);
    EXPECT_EQ(canvas.Rgb(8, 192), kGreen);
    EXPECT_EQ(canvas.Rgb(8, 50), kBlue) << "thumb 44..156";
    EXPECT_EQ(canvas.Rgb(8, 100), kGrey) << "the rail grip in the thumb's middle";
    EXPECT_EQ(canvas.Rgb(8, 30), kBlack) << "the background shows in the track";
    EXPECT_EQ(canvas.Rgb(8, 170), kBlack);
}

TEST_F(ScrollBarPaint, PartImagesFollowTheirStates) {
    Send(bar, UIEVENT_MOUSEENTER, Middle(bar->GetThumbRect()));
    Paint();
    EXPECT_EQ(canvas.Rgb(8, 20), kYellow) << "hot thumb";
    EXPECT_EQ(canvas.Rgb(8, 8), kRed) << "the button is not hot";
    Send(bar, UIEVENT_MOUSELEAVE, POINT{100, 100});
    Send(bar, UIEVENT_BUTTONDOWN, Middle(bar->GetButton1Rect()));
    Paint();
    EXPECT_EQ(canvas.Rgb(8, 8), kYellow) << "pushed button 1";
    EXPECT_EQ(canvas.Rgb(8, 20), kBlue);
    Send(bar, UIEVENT_BUTTONUP, Middle(bar->GetButton1Rect()));
    Paint();
    EXPECT_EQ(canvas.Rgb(8, 8), kRed);

    bar->SetPartImage(CScrollBarUI::kButton2, CScrollBarUI::kNormal, L"missing.png");
    Paint();
    EXPECT_TRUE(bar->GetPartImage(CScrollBarUI::kButton2, CScrollBarUI::kNormal).empty());
}
