#include <gtest/gtest.h>

#include <string>

#include "UiLib/render/SkinResources.h"
#include "UiLib/render/UIRender.h"
#include "tests/UiLib/core/SkinFixtures.h"
#include "tests/UiLib/support/SkinFolder.h"
#include "tests/UiLib/support/TestCanvas.h"

using namespace UiLib;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

class MarkupTextTest : public ::testing::Test {
protected:
    MarkupTextTest() { skin.SetDefaultFont(L"Arial", 16, false, false, false); }

    // Draws and returns how many pixels are not white.
    int Ink(TestCanvas& canvas, const std::wstring& text, UINT style = DT_LEFT | DT_TOP) {
        RECT rect = canvas.Bounds();
        int links = 0;
        CSkinRenderer::DrawMarkupText(canvas.DC(), &skin, rect, text, 0xFF000000, nullptr, nullptr, links, style);
        int ink = 0;
        for (int y = 0; y < canvas.Bounds().bottom; ++y)
            for (int x = 0; x < canvas.Bounds().right; ++x) ink += canvas.Rgb(x, y) != kWhite;
        return ink;
    }

    SIZE Measure(const std::wstring& text, UINT style = 0, int width = 400) {
        TestCanvas canvas(1, 1);
        RECT rect{0, 0, width, 400};
        int links = 0;
        CSkinRenderer::DrawMarkupText(canvas.DC(), &skin, rect, text, 0xFF000000, nullptr, nullptr, links,
                                      style | DT_CALCRECT);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }

    CSkinResources skin;
};

bool HasColour(const TestCanvas& canvas, bool (*wanted)(uint32_t)) {
    for (int y = 0; y < canvas.Bounds().bottom; ++y)
        for (int x = 0; x < canvas.Bounds().right; ++x)
            if (wanted(canvas.Rgb(x, y))) return true;
    return false;
}

}  // namespace

TEST_F(MarkupTextTest, ColourTagPaintsTheTextInThatColour) {
    TestCanvas canvas(60, 30);
    EXPECT_GT(Ink(canvas, L"{c #0054E3}\u4e00{/c}"), 5);
    EXPECT_TRUE(HasColour(canvas, [](uint32_t rgb) { return rgb == 0x0054E3; }));
    EXPECT_FALSE(HasColour(canvas, [](uint32_t rgb) { return rgb == 0x000000; }));
}

TEST_F(MarkupTextTest, BoldUsesTheBoldVariantOfTheCurrentFont) {
    TestCanvas plain(120, 30);
    TestCanvas bold(120, 30);
    int plainInk = Ink(plain, L"WWWW");
    int boldInk = Ink(bold, L"{b}WWWW{/b}");
    EXPECT_GT(boldInk, plainInk);
    EXPECT_NE(skin.FindFont(L"Arial", 16, true, false, false), nullptr) << "the bold font was added once";
    int fonts = skin.FontCount();
    Ink(bold, L"{b}W{/b}");
    EXPECT_EQ(skin.FontCount(), fonts) << "and found the next time";
}

TEST_F(MarkupTextTest, LineBreaksParagraphsAndWrapping) {
    SIZE one = Measure(L"abc");
    SIZE two = Measure(L"abc{n}def");
    EXPECT_EQ(two.cy, 2 * one.cy);
    EXPECT_EQ(Measure(L"abc{n}def", DT_SINGLELINE).cy, one.cy) << "line breaks are ignored on one line";
    SIZE indented = Measure(L"{p 30}abc{/p}");
    EXPECT_EQ(indented.cx, one.cx + 30);
    SIZE wrapped = Measure(L"word word word word word word", 0, 80);
    EXPECT_GE(wrapped.cy, 3 * one.cy);
    EXPECT_LE(wrapped.cx, 80);
    EXPECT_EQ(Measure(L"{y 40}abc").cy, 40);
    EXPECT_EQ(Measure(L"{x 25}abc").cx, one.cx + 25);
}

TEST_F(MarkupTextTest, RawTextAndUnknownTagsAreLiteral) {
    EXPECT_GT(Measure(L"{r}{b}x{/b}{/r}").cx, Measure(L"x").cx * 4) << "the tags inside are text";
    EXPECT_GT(Measure(L"{z}").cx, 0) << "z opens no tag";
    EXPECT_GT(Measure(L"{bold}").cx, 0) << "a tag letter must be followed by a blank or the end";
    EXPECT_GT(Measure(L"{b").cx, 0);
    EXPECT_EQ(Measure(L"{b}{/b}").cx, 0);
}

TEST_F(MarkupTextTest, LinksAreRecordedUpToTheGivenCount) {
    TestCanvas canvas(300, 30);
    RECT rect = canvas.Bounds();
    RECT linkRects[1];
    std::wstring targets[1];
    int count = 1;
    CSkinRenderer::DrawMarkupText(canvas.DC(), &skin, rect, L"see {a http://x}here{/a} and {a y}there{/a}",
                                  0xFF000000, linkRects, targets, count, DT_LEFT | DT_SINGLELINE);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(targets[0], L"http://x");
    EXPECT_GT(linkRects[0].left, 0);
    EXPECT_GT(linkRects[0].right, linkRects[0].left);
    EXPECT_TRUE(HasColour(canvas, [](uint32_t rgb) { return rgb == 0x0000FF; })) << "links use the link colour";
}

TEST_F(MarkupTextTest, EllipsisCutsSingleLineText) {
    SIZE cut = Measure(L"a long long long long text", DT_SINGLELINE | DT_END_ELLIPSIS, 60);
    EXPECT_LE(cut.cx, 60);
}

TEST_F(MarkupTextTest, InlineImagesTakeTheirPart) {
    SkinFolder skin;
    skin.AddPng(L"icons.png", 30, 10, std::vector<uint32_t>(300, 0xFFFF0000));
    SIZE whole = Measure(L"{i icons.png}");
    EXPECT_EQ(whole.cx, 30);
    EXPECT_EQ(Measure(L"{i icons.png 3 1}").cx, 10);
    EXPECT_EQ(Measure(L"{i file='icons.png'}").cx, 30);
    TestCanvas canvas(40, 20);
    Ink(canvas, L"{i icons.png 3 2}");
    EXPECT_EQ(canvas.Rgb(5, 5), 0xFF0000u);
    EXPECT_EQ(canvas.Rgb(15, 5), kWhite);
}

TEST_F(MarkupTextTest, AlignmentFlagsPlaceTheText) {
    TestCanvas left(200, 40);
    TestCanvas right(200, 40);
    Ink(left, L"II", DT_LEFT | DT_SINGLELINE);
    Ink(right, L"II", DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    EXPECT_NE(left.Rgb(1, 8), kWhite);
    bool inkRight = false;
    for (int x = 180; x < 200; ++x) inkRight |= right.Rgb(x, 34) != kWhite;
    EXPECT_TRUE(inkRight);
}

TEST_F(MarkupTextTest, RandomMarkupNeverBreaksTheRenderer) {
    SkinFixtures::Mutator mutator(1234);
    const std::string seed = "{b}bold {c #FF0000}red{/c}{/b}{n}{a t}link{/a} {i x.png 2 1}{p 4}para{/p}{r}{f 0}{/r}";
    TestCanvas canvas(100, 40);
    for (int i = 0; i < 1500; ++i) {
        std::string bytes = mutator.Mutate(seed);
        std::wstring text(bytes.begin(), bytes.end());
        RECT rect{0, 0, static_cast<LONG>(mutator.Next() % 120), 40};
        RECT links[2];
        std::wstring targets[2];
        int count = 2;
        CSkinRenderer::DrawMarkupText(canvas.DC(), &skin, rect, text, 0xFF000000, links, targets, count,
                                      mutator.Next() & 0xFFFF);
        ASSERT_LE(count, 2);
    }
}
