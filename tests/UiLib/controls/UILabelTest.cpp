#include "UiLib/controls/UILabel.h"

#include <gtest/gtest.h>

#include "UiLib/controls/UIText.h"
#include "tests/UiLib/controls/ControlFixture.h"

using namespace UiLib;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr UINT kAlignFlags = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM;

UINT AlignOf(const wchar_t* value, UINT start = DT_VCENTER) {
    CLabelUI label;
    label.SetTextStyle(start);
    label.SetAttribute(L"align", value);
    return label.GetTextStyle() & kAlignFlags;
}

class LabelTest : public ::testing::Test, public ControlFixture {
protected:
    TestCanvas canvas{120, 40};
};

}  // namespace

TEST(LabelAttributes, AlignWordsApplyInOrder) {
    EXPECT_EQ(AlignOf(L"centerbottom"), static_cast<UINT>(DT_CENTER | DT_BOTTOM));
    EXPECT_EQ(AlignOf(L"vcenter", 0), static_cast<UINT>(DT_CENTER | DT_VCENTER)) << "vcenter contains center";
    EXPECT_EQ(AlignOf(L"right", DT_CENTER | DT_VCENTER), static_cast<UINT>(DT_RIGHT | DT_VCENTER))
        << "right replaces center instead of mixing with it";
    EXPECT_EQ(AlignOf(L"left", DT_RIGHT | DT_BOTTOM), static_cast<UINT>(DT_BOTTOM));
    EXPECT_EQ(AlignOf(L"top", DT_CENTER | DT_BOTTOM), static_cast<UINT>(DT_CENTER));
    EXPECT_EQ(AlignOf(L"wrap"), static_cast<UINT>(DT_VCENTER)) << "wrap itself sets nothing";
}

TEST(LabelAttributes, TextAttributesAndDefaults) {
    CLabelUI label;
    EXPECT_EQ(label.GetTextStyle(), static_cast<UINT>(DT_VCENTER));
    EXPECT_EQ(label.GetFont(), -1);
    label.ApplyAttributeList(L"endellipsis=\"true\" font=\"3\" textcolor=\"#FF112233\" "
                             L"disabledtextcolor=\"#FF445566\" textpadding=\"1,2,3,4\" showhtml=\"true\"");
    EXPECT_TRUE(label.GetTextStyle() & DT_END_ELLIPSIS);
    EXPECT_EQ(label.GetFont(), 3);
    EXPECT_EQ(label.GetTextColor(), 0xFF112233u);
    EXPECT_EQ(label.GetDisabledTextColor(), 0xFF445566u);
    EXPECT_EQ(label.GetTextPadding().bottom, 4);
    EXPECT_TRUE(label.IsShowHtml());
    label.SetAttribute(L"endellipsis", L"false");
    EXPECT_FALSE(label.GetTextStyle() & DT_END_ELLIPSIS);
    label.SetAttribute(L"strokecolor", L"#FF000000");
    label.SetAttribute(L"width", L"30");
    EXPECT_EQ(label.GetFixedWidth(), 30) << "the base attributes still apply";

    CTextUI text;
    EXPECT_EQ(text.GetTextStyle(), static_cast<UINT>(DT_WORDBREAK));
    EXPECT_EQ(text.GetTextPadding().left, 2);
    EXPECT_EQ(text.GetTextPadding().right, 2);
    EXPECT_STREQ(text.GetClass(), L"TextUI");
    EXPECT_NE(text.GetInterface(L"Label"), nullptr);
}

TEST_F(LabelTest, EstimateIsTheFontHeightPlusFourWithoutAFixedHeight) {
    CLabelUI* label = Add<CLabelUI>(L"align=\"center\" width=\"50\"");
    SIZE size = label->EstimateSize(SIZE{200, 200});
    EXPECT_EQ(size.cx, 50);
    EXPECT_EQ(size.cy, manager.GetDefaultFontInfo().tm.tmHeight + 4);
    label->SetFixedHeight(33);
    EXPECT_EQ(label->EstimateSize(SIZE{200, 200}).cy, 33);
}

TEST_F(LabelTest, TextIsDrawnInItsColourInsideThePadding) {
    CLabelUI* label = Add<CLabelUI>(L"float=\"true\" pos=\"0,0,120,40\" text=\"MMMM\" textcolor=\"#FFFF0000\" "
                                    L"textpadding=\"60,0,0,0\"");
    Layout(120, 40);
    label->DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_GT(CountInk(canvas, RECT{60, 0, 120, 40}, 0xFF0000), 10);
    EXPECT_EQ(CountNear(canvas, RECT{0, 0, 60, 40}, kWhite, 0), 60 * 40) << "nothing in the padding";
}

TEST_F(LabelTest, ZeroColoursTakeTheManagersDefaults) {
    manager.SetDefaultFontColor(0xFF0000FF);
    manager.SetDefaultDisabledColor(0xFF00FF00);
    CLabelUI* label = Add<CLabelUI>(L"float=\"true\" pos=\"0,0,120,40\" text=\"MMMM\"");
    Layout(120, 40);
    label->DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_GT(CountInk(canvas, canvas.Bounds(), 0x0000FF), 10);

    canvas.Fill(kWhite);
    label->SetEnabled(false);
    label->DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_GT(CountInk(canvas, canvas.Bounds(), 0x00FF00), 10);
    EXPECT_EQ(CountNear(canvas, canvas.Bounds(), 0x0000FF), 0);
}

TEST_F(LabelTest, LabelIsDrawnOnOneLineAndTextWraps) {
    const wchar_t* words = L"text=\"MMM MMM MMM MMM MMM MMM\" textcolor=\"#FF000000\" align=\"top\"";
    CLabelUI* label = Add<CLabelUI>(std::wstring(L"float=\"true\" pos=\"0,0,60,40\" ") + words);
    CTextUI* text = Add<CTextUI>(std::wstring(L"float=\"true\" pos=\"60,0,120,40\" ") + words);
    Layout(120, 40);
    label->DoPaint(canvas.DC(), canvas.Bounds());
    text->DoPaint(canvas.DC(), canvas.Bounds());
    const int lineHeight = manager.GetDefaultFontInfo().tm.tmHeight;
    EXPECT_EQ(CountNear(canvas, RECT{0, lineHeight + 1, 60, 40}, 0), 0) << "the label stays on one line";
    EXPECT_GT(CountNear(canvas, RECT{60, lineHeight + 1, 120, 40}, 0), 0) << "the text goes on to a second line";
}

TEST_F(LabelTest, TextEstimateMeasuresTheWrappedText) {
    CTextUI* text = Add<CTextUI>(L"text=\"MMM MMM MMM MMM MMM MMM\"");
    const int lineHeight = manager.GetDefaultFontInfo().tm.tmHeight;
    SIZE wide = text->EstimateSize(SIZE{2000, 100});
    SIZE narrow = text->EstimateSize(SIZE{60, 100});
    EXPECT_EQ(wide.cy, lineHeight);
    EXPECT_GE(narrow.cy, 2 * lineHeight);
    EXPECT_LE(narrow.cx, 60);
    text->SetFixedHeight(17);
    EXPECT_EQ(text->EstimateSize(SIZE{60, 100}).cy, 17);
}

TEST_F(LabelTest, TextLinksAreHoveredAndClicked) {
    CTextUI* text = Add<CTextUI>(L"float=\"true\" pos=\"0,0,120,40\" showhtml=\"true\" align=\"top\" "
                                 L"text=\"{a first}AAAA{/a} {a second}BBBB{/a}\"");
    Layout(120, 40);
    EXPECT_EQ(text->GetControlFlags(), 0u) << "no cursor handling before links are known";
    text->DoPaint(canvas.DC(), canvas.Bounds());
    ASSERT_EQ(text->GetLinkCount(), 2);
    EXPECT_EQ(text->GetLinkContent(1), L"second");
    EXPECT_EQ(text->GetControlFlags(), static_cast<UINT>(UIFLAG_SETCURSOR));

    const RECT second = text->GetLinkRect(1);
    POINT onSecond{(second.left + second.right) / 2, (second.top + second.bottom) / 2};
    Send(text, UIEVENT_MOUSEMOVE, onSecond);
    EXPECT_EQ(text->GetHoveredLink(), 1);
    Send(text, UIEVENT_MOUSEMOVE, POINT{118, 38});
    EXPECT_EQ(text->GetHoveredLink(), -1);
    Send(text, UIEVENT_MOUSEMOVE, onSecond);
    Send(text, UIEVENT_MOUSELEAVE, onSecond);
    EXPECT_EQ(text->GetHoveredLink(), -1);

    Click(text, onSecond);
    ASSERT_EQ(recorder.Count(L"link"), 1);
    EXPECT_EQ(recorder.received.back().wParam, 1u);
    Click(text, POINT{118, 38});
    EXPECT_EQ(recorder.Count(L"link"), 1) << "a click beside the links sends nothing";

    text->SetEnabled(false);
    Click(text, onSecond);
    EXPECT_EQ(recorder.Count(L"link"), 1) << "a disabled text has no links";
}
