#include "UiLib/render/UIRender.h"

#include <gtest/gtest.h>

#include <vector>

#include "UiLib/render/RenderClip.h"
#include "UiLib/render/SkinResources.h"
#include "tests/UiLib/core/SkinFixtures.h"
#include "tests/UiLib/support/SkinFolder.h"
#include "tests/UiLib/support/TestCanvas.h"

using namespace UiLib;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;

// A 10 by 10 picture for nine-grid drawing: 2-pixel red corners, green edges, blue middle.
std::vector<uint32_t> NineGridPicture() {
    std::vector<uint32_t> pixels(100);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            bool edgeX = x < 2 || x >= 8;
            bool edgeY = y < 2 || y >= 8;
            pixels[y * 10 + x] = edgeX && edgeY ? 0xFFFF0000 : (edgeX || edgeY ? 0xFF00FF00 : 0xFF0000FF);
        }
    }
    return pixels;
}

class RenderTest : public ::testing::Test {
protected:
    void TearDown() override {
        CSkinRenderer::OverrideBlendFunction(nullptr);
        CSkinRenderer::DisableGradientFill(false);
    }

    bool Draw(TestCanvas& canvas, const RECT& item, const std::wstring& image) {
        return CSkinRenderer::DrawImageString(canvas.DC(), &resources, item, canvas.Bounds(), image);
    }

    SkinFolder skin;
    CSkinResources resources;
};

}  // namespace

TEST_F(RenderTest, OpaqueColourFillsExactlyTheRectangle) {
    TestCanvas canvas(20, 20);
    CSkinRenderer::DrawColor(canvas.DC(), RECT{2, 2, 10, 10}, 0xFFFF0000);
    EXPECT_EQ(canvas.Rgb(2, 2), kRed);
    EXPECT_EQ(canvas.Rgb(9, 9), kRed);
    EXPECT_EQ(canvas.Rgb(10, 10), kWhite);
    EXPECT_EQ(canvas.Rgb(1, 5), kWhite);
}

// Solid fills take the DC's brush; they write every byte of every pixel as the opaque text fill
// they replace did, also where a translucent fill is drawn over them.
TEST_F(RenderTest, SolidFillsWriteTheBytesThatAnOpaqueTextFillWrote) {
    const RECT fill{3, 2, 17, 15};
    TestCanvas ours(20, 20), reference(20, 20);
    CSkinRenderer::DrawColor(ours.DC(), fill, 0xFF1F5AA8);
    SetBkColor(reference.DC(), RGB(0x1F, 0x5A, 0xA8));
    ExtTextOutW(reference.DC(), 0, 0, ETO_OPAQUE, &fill, nullptr, 0, nullptr);
    for (TestCanvas* canvas : {&ours, &reference}) CSkinRenderer::DrawColor(canvas->DC(), RECT{0, 0, 10, 20}, 0x80FF8000);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) ASSERT_EQ(ours.Pixel(x, y), reference.Pixel(x, y)) << x << "," << y;
    }
}

TEST_F(RenderTest, TranslucentColourBlendsAndZeroAlphaDrawsNothing) {
    for (AlphaBlendFunction blend : {AlphaBlendFunction(nullptr), &SoftwareAlphaBlend}) {
        CSkinRenderer::OverrideBlendFunction(blend);
        TestCanvas canvas(20, 20);
        CSkinRenderer::DrawColor(canvas.DC(), RECT{0, 0, 10, 20}, 0x80FF0000);
        CSkinRenderer::DrawColor(canvas.DC(), RECT{10, 0, 20, 20}, 0x000000FF);
        EXPECT_TRUE(NearRgb(canvas.Rgb(5, 5), 0xFF7F7F)) << std::hex << canvas.Rgb(5, 5);
        EXPECT_EQ(canvas.Rgb(15, 5), kWhite);
    }
}

TEST_F(RenderTest, SoftwareBlendHonoursConstantAndPerPixelAlpha) {
    TestCanvas source(2, 1, 0x000000);
    // Premultiplied: opaque blue and a half-transparent red.
    CDibSection pixels(2, 1);
    pixels.Pixels()[0] = 0xFF0000FF;
    pixels.Pixels()[1] = 0x80800000;
    CMemoryDC sourceDC(nullptr);
    CSelectObject select(sourceDC.Get(), pixels.Get());
    TestCanvas canvas(2, 1, kWhite);
    SoftwareAlphaBlend(canvas.DC(), 0, 0, 2, 1, sourceDC.Get(), 0, 0, 2, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
    EXPECT_EQ(canvas.Rgb(0, 0), kBlue);
    EXPECT_TRUE(NearRgb(canvas.Rgb(1, 0), 0xFF7F7F)) << std::hex << canvas.Rgb(1, 0);

    canvas.Fill(kWhite);
    SoftwareAlphaBlend(canvas.DC(), 0, 0, 2, 1, sourceDC.Get(), 0, 0, 2, 1, BLENDFUNCTION{AC_SRC_OVER, 0, 128, AC_SRC_ALPHA});
    EXPECT_TRUE(NearRgb(canvas.Rgb(0, 0), 0x7F7FFF)) << std::hex << canvas.Rgb(0, 0);
}

TEST_F(RenderTest, GradientsRunInTheGivenDirection) {
    for (bool withGradientFill : {true, false}) {
        CSkinRenderer::DisableGradientFill(!withGradientFill);
        TestCanvas canvas(64, 64);
        CSkinRenderer::DrawGradient(canvas.DC(), RECT{0, 0, 64, 64}, 0xFF000000, 0xFFFFFFFF, true, 16);
        EXPECT_LT(canvas.Rgb(10, 1) & 0xFF, 0x20u);
        EXPECT_GT(canvas.Rgb(10, 62) & 0xFF, 0xE0u);
        EXPECT_EQ(canvas.Rgb(0, 30), canvas.Rgb(63, 30)) << "a vertical gradient is even across each row";
        EXPECT_LT(canvas.Rgb(10, 20) & 0xFF, canvas.Rgb(10, 40) & 0xFF);

        canvas.Fill(kWhite);
        CSkinRenderer::DrawGradient(canvas.DC(), RECT{0, 0, 64, 64}, 0xFFFF0000, 0xFF0000FF, false, 16);
        EXPECT_TRUE(NearRgb(canvas.Rgb(0, 5), kRed, 0x20));
        EXPECT_TRUE(NearRgb(canvas.Rgb(63, 5), kBlue, 0x20));
        EXPECT_EQ(canvas.Rgb(30, 0), canvas.Rgb(30, 63)) << "a horizontal gradient is even down each column";
    }
}

TEST_F(RenderTest, TranslucentGradientBlendsAndBandCountsArePowersOfTwo) {
    TestCanvas canvas(10, 10);
    CSkinRenderer::DrawGradient(canvas.DC(), RECT{0, 0, 10, 10}, 0x80000000, 0x80000000, true, 16);
    EXPECT_TRUE(NearRgb(canvas.Rgb(5, 5), 0x7F7F7F)) << std::hex << canvas.Rgb(5, 5);
    CSkinRenderer::DrawGradient(canvas.DC(), RECT{0, 0, 10, 10}, 0x00000000, 0x01000000, true, 16);
    EXPECT_TRUE(NearRgb(canvas.Rgb(5, 5), 0x7F7F7F)) << "alpha (0 + 1) / 2 = 0 draws nothing";

    EXPECT_EQ(GradientBandCount(0), 2);
    EXPECT_EQ(GradientBandCount(7), 4);
    EXPECT_EQ(GradientBandCount(8), 8);
    EXPECT_EQ(GradientBandCount(16), 16);
    EXPECT_EQ(GradientBandCount(63), 32);
    EXPECT_EQ(GradientBandCount(500), 64);
}

TEST_F(RenderTest, LinesAndFrames) {
    TestCanvas canvas(20, 20);
    CSkinRenderer::DrawRect(canvas.DC(), RECT{2, 2, 12, 12}, 1, 0xFF0000FF);
    EXPECT_EQ(canvas.Rgb(2, 2), kBlue);
    EXPECT_EQ(canvas.Rgb(11, 11), kBlue);
    EXPECT_EQ(canvas.Rgb(6, 6), kWhite) << "frames are not filled";
    EXPECT_EQ(canvas.Rgb(12, 12), kWhite) << "the frame stays inside the rectangle";

    CSkinRenderer::DrawLine(canvas.DC(), RECT{0, 15, 20, 15}, 1, 0xFF00FF00);
    EXPECT_EQ(canvas.Rgb(0, 15), kGreen);
    EXPECT_EQ(canvas.Rgb(18, 15), kGreen);
    EXPECT_EQ(canvas.Rgb(5, 16), kWhite);
}

TEST_F(RenderTest, ClipsNestAndRestore) {
    TestCanvas canvas(20, 20);
    {
        CRenderClip outer(canvas.DC(), RECT{0, 0, 10, 10});
        {
            CRenderClip inner(canvas.DC(), RECT{5, 5, 20, 20});
            CSkinRenderer::DrawColor(canvas.DC(), canvas.Bounds(), 0xFFFF0000);
        }
        CSkinRenderer::DrawColor(canvas.DC(), RECT{0, 0, 20, 5}, 0xFF0000FF);
    }
    EXPECT_EQ(canvas.Rgb(7, 7), kRed);
    EXPECT_EQ(canvas.Rgb(12, 12), kWhite) << "the inner clip is intersected with the outer one";
    EXPECT_EQ(canvas.Rgb(2, 2), kBlue);
    EXPECT_EQ(canvas.Rgb(15, 2), kWhite) << "the outer clip is back after the inner one ends";
    CSkinRenderer::DrawColor(canvas.DC(), RECT{15, 15, 20, 20}, 0xFF00FF00);
    EXPECT_EQ(canvas.Rgb(17, 17), kGreen) << "no clipping is left behind";
}

TEST_F(RenderTest, RoundClipCutsTheCorners) {
    TestCanvas canvas(20, 20);
    {
        CRenderClip clip(canvas.DC(), canvas.Bounds(), RECT{0, 0, 19, 19}, 10, 10);
        CSkinRenderer::DrawColor(canvas.DC(), canvas.Bounds(), 0xFFFF0000);
    }
    EXPECT_EQ(canvas.Rgb(0, 0), kWhite);
    EXPECT_EQ(canvas.Rgb(10, 10), kRed);
    EXPECT_EQ(canvas.Rgb(10, 0), kRed);
}

TEST_F(RenderTest, NineGridKeepsCornersCrispAndStretchesTheMiddle) {
    skin.AddPng(L"btn.png", 10, 10, NineGridPicture());
    TestCanvas canvas(40, 30);
    ASSERT_TRUE(Draw(canvas, canvas.Bounds(), L"file='btn.png' corner='2,2,2,2'"));
    for (POINT p : {POINT{0, 0}, POINT{1, 1}, POINT{39, 0}, POINT{38, 28}, POINT{0, 29}, POINT{39, 29}})
        EXPECT_EQ(canvas.Rgb(p.x, p.y), kRed) << p.x << "," << p.y;
    for (POINT p : {POINT{2, 0}, POINT{20, 1}, POINT{0, 15}, POINT{39, 15}, POINT{20, 29}})
        EXPECT_EQ(canvas.Rgb(p.x, p.y), kGreen) << p.x << "," << p.y;
    for (POINT p : {POINT{2, 2}, POINT{20, 15}, POINT{37, 27}})
        EXPECT_EQ(canvas.Rgb(p.x, p.y), kBlue) << p.x << "," << p.y;
}

TEST_F(RenderTest, HoleLeavesTheMiddleUntouched) {
    skin.AddPng(L"frame.png", 10, 10, NineGridPicture());
    TestCanvas canvas(40, 30);
    ASSERT_TRUE(Draw(canvas, canvas.Bounds(), L"file='frame.png' corner='2,2,2,2' hole='true'"));
    EXPECT_EQ(canvas.Rgb(20, 15), kWhite);
    EXPECT_EQ(canvas.Rgb(0, 0), kRed);
    EXPECT_EQ(canvas.Rgb(20, 0), kGreen);
}

TEST_F(RenderTest, TilingRepeatsTheSourceInsteadOfStretching) {
    skin.AddPng(L"dots.png", 4, 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
    TestCanvas canvas(18, 1, 0);
    ASSERT_TRUE(Draw(canvas, canvas.Bounds(), L"file='dots.png' xtiled='true'"));
    const uint32_t expected[] = {kRed, kGreen, kBlue, kWhite};
    for (int x = 0; x < 18; ++x) EXPECT_EQ(canvas.Rgb(x, 0), expected[x % 4]) << "x " << x;

    skin.AddPng(L"checker.png", 2, 2, {0xFFFF0000, 0xFF0000FF, 0xFF0000FF, 0xFFFF0000});
    TestCanvas grid(7, 5, 0);
    ASSERT_TRUE(Draw(grid, grid.Bounds(), L"file='checker.png' xtiled='true' ytiled='true'"));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(grid.Rgb(x, y), (x + y) % 2 ? kBlue : kRed) << x << "," << y;
}

TEST_F(RenderTest, SourceRectangleWithMagentaMask) {
    // A strip of 16 by 120: rows 90..105 hold the wanted part, a magenta frame around blue.
    std::vector<uint32_t> strip(16 * 120, 0xFFFFFF00);
    for (int y = 90; y < 106; ++y)
        for (int x = 0; x < 16; ++x)
            strip[y * 16 + x] = (x < 2 || x >= 14 || y < 92 || y >= 104) ? 0xFFFF00FF : 0xFF0000FF;
    skin.AddBmp(L"scrollbar.bmp", 16, 120, strip);
    TestCanvas canvas(16, 16, kGreen);
    ASSERT_TRUE(Draw(canvas, canvas.Bounds(), L"file='scrollbar.bmp' source='0,90,16,106' mask='#FFFF00FF'"));
    EXPECT_EQ(canvas.Rgb(0, 0), kGreen) << "magenta is transparent";
    EXPECT_EQ(canvas.Rgb(15, 8), kGreen);
    EXPECT_EQ(canvas.Rgb(8, 15), kGreen);
    EXPECT_EQ(canvas.Rgb(8, 8), kBlue);
    EXPECT_EQ(canvas.Rgb(2, 2), kBlue);
    const TImageInfo* image = resources.GetImage(L"scrollbar.bmp");
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->alpha) << "masked pixels make the image one with alpha";
}

TEST_F(RenderTest, FadeBlendsAnOpaqueImage) {
    skin.AddPng(L"blue.png", 2, 2, std::vector<uint32_t>(4, 0xFF0000FF));
    TestCanvas canvas(10, 10);
    ASSERT_TRUE(Draw(canvas, canvas.Bounds(), L"file='blue.png' fade='128'"));
    EXPECT_TRUE(NearRgb(canvas.Rgb(5, 5), 0x7F7FFF)) << std::hex << canvas.Rgb(5, 5);
}

TEST_F(RenderTest, TranslucentImagePixelsBlend) {
    skin.AddPng(L"glass.png", 1, 1, {0x80FF0000});
    TestCanvas canvas(4, 4);
    ASSERT_TRUE(Draw(canvas, canvas.Bounds(), L"glass.png"));
    EXPECT_TRUE(NearRgb(canvas.Rgb(2, 2), 0xFF7F7F)) << std::hex << canvas.Rgb(2, 2);
}

// Drawing reuses one source DC and one colour pixel per thread: what lands must be exactly what
// fresh GDI objects give, colour after colour and picture after picture.
TEST_F(RenderTest, ReusedSourceObjectsDrawExactlyWhatFreshOnesDraw) {
    skin.AddPng(L"glass.png", 2, 2, {0x80FF0000, 0xFF00FF00, 0x400000FF, 0x00000000});
    const TImageInfo* glass = resources.GetImageEx(L"glass.png");
    ASSERT_NE(glass, nullptr);
    const UiColor colours[] = {0x80FF0000, 0x4000FF00, 0xC00000FF, 0x20FFFFFF};
    TestCanvas ours(64, 16, 0x336699);
    TestCanvas fresh(64, 16, 0x336699);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    for (int i = 0; i < 4; ++i) {
        const RECT cell{i * 16, 0, i * 16 + 16, 8};
        CSkinRenderer::DrawColor(ours.DC(), cell, colours[i]);
        CDibSection pixel(1, 1);
        const uint32_t a = colours[i] >> 24;
        pixel.Pixels()[0] = a << 24 | ((colours[i] >> 16 & 0xFF) * a / 255) << 16 |
                            ((colours[i] >> 8 & 0xFF) * a / 255) << 8 | (colours[i] & 0xFF) * a / 255;
        CMemoryDC pixelDC(fresh.DC());
        CSelectObject selectPixel(pixelDC.Get(), pixel.Get());
        ::AlphaBlend(fresh.DC(), cell.left, 0, 16, 8, pixelDC.Get(), 0, 0, 1, 1, blend);

        ASSERT_TRUE(Draw(ours, RECT{i * 16, 8, i * 16 + 16, 16}, L"glass.png"));
        CMemoryDC pictureDC(fresh.DC());
        CSelectObject selectPicture(pictureDC.Get(), glass->hBitmap);
        const int oldMode = ::SetStretchBltMode(fresh.DC(), HALFTONE);
        ::AlphaBlend(fresh.DC(), i * 16, 8, 16, 8, pictureDC.Get(), 0, 0, 2, 2, blend);
        ::SetStretchBltMode(fresh.DC(), oldMode);
    }
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(ours.Rgb(x, y), fresh.Rgb(x, y)) << x << "," << y;
}

TEST_F(RenderTest, DestinationIsRelativeToTheItemAndCutToIt) {
    skin.AddPng(L"check.png", 14, 13, std::vector<uint32_t>(14 * 13, 0xFFFF0000));
    TestCanvas canvas(40, 40);
    RECT item{3, 3, 15, 20};
    ASSERT_TRUE(Draw(canvas, item, L"file='check.png' source='0,0,14,13' dest='0,2,14,15'"));
    EXPECT_EQ(canvas.Rgb(3, 4), kWhite);
    EXPECT_EQ(canvas.Rgb(3, 5), kRed);
    EXPECT_EQ(canvas.Rgb(14, 17), kRed);
    EXPECT_EQ(canvas.Rgb(15, 10), kWhite) << "cut to the item's right edge";
    EXPECT_EQ(canvas.Rgb(10, 18), kWhite);
}

TEST_F(RenderTest, PaintRectangleLimitsDrawing) {
    skin.AddPng(L"red.png", 1, 1, {0xFFFF0000});
    TestCanvas canvas(20, 20);
    ASSERT_TRUE(CSkinRenderer::DrawImageString(canvas.DC(), &resources, canvas.Bounds(), RECT{0, 0, 10, 10},
                                               L"file='red.png' corner='0,0,0,0'"));
    // A stretched image is drawn whole when it meets the paint area; a same-size copy is cut.
    skin.AddPng(L"same.png", 20, 20, std::vector<uint32_t>(400, 0xFF0000FF));
    TestCanvas exact(20, 20);
    ASSERT_TRUE(CSkinRenderer::DrawImageString(exact.DC(), &resources, exact.Bounds(), RECT{0, 0, 10, 10},
                                               L"same.png"));
    EXPECT_EQ(exact.Rgb(5, 5), kBlue);
    EXPECT_EQ(exact.Rgb(15, 15), kWhite);
}

TEST_F(RenderTest, SeveralImagesInOneStringAndModifierOverrides) {
    skin.AddPng(L"r.png", 1, 1, {0xFFFF0000});
    skin.AddPng(L"b.png", 1, 1, {0xFF0000FF});
    TestCanvas canvas(20, 10);
    ASSERT_TRUE(Draw(canvas, canvas.Bounds(), L"file='r.png' dest='0,0,10,10' file='b.png' dest='10,0,20,10'"));
    EXPECT_EQ(canvas.Rgb(5, 5), kRed);
    EXPECT_EQ(canvas.Rgb(15, 5), kBlue);

    canvas.Fill(kWhite);
    ASSERT_TRUE(CSkinRenderer::DrawImageString(canvas.DC(), &resources, canvas.Bounds(), canvas.Bounds(),
                                               L"file='r.png'", L"dest='5,0,6,10'"));
    EXPECT_EQ(canvas.Rgb(5, 5), kRed);
    EXPECT_EQ(canvas.Rgb(7, 5), kWhite);
}

TEST_F(RenderTest, MissingOrMalformedImagesFailWithoutDrawing) {
    TestCanvas canvas(10, 10);
    EXPECT_FALSE(Draw(canvas, canvas.Bounds(), L"file='nothere.png'"));
    EXPECT_FALSE(Draw(canvas, canvas.Bounds(), L"dest='0,0,5,5'"));
    EXPECT_FALSE(CSkinRenderer::DrawImageString(canvas.DC(), nullptr, canvas.Bounds(), canvas.Bounds(), L"x.png"));
    skin.AddPng(L"red.png", 1, 1, {0xFFFF0000});
    // An unterminated value ends the parse; what came before still counts.
    EXPECT_TRUE(Draw(canvas, canvas.Bounds(), L"file='red.png' dest='0,0,5"));
    EXPECT_EQ(canvas.Rgb(0, 0), kRed);
    EXPECT_EQ(canvas.Rgb(9, 9), kRed) << "the broken destination is not applied";
}

TEST_F(RenderTest, TwoReferencesToOneNameShareOneRecord) {
    skin.AddPng(L"one.png", 1, 1, {0xFFFF0000});
    const TImageInfo* first = resources.GetImageEx(L"one.png");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(resources.GetImageEx(L"one.png"), first);
    EXPECT_EQ(resources.AddImage(L"one.png"), first) << "the existing record stays";
    const TImageInfo* other = resources.GetImageEx(L"./one.png");
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, first) << "another spelling is decoded again";
    resources.RemoveAllImages();
    EXPECT_EQ(resources.GetImage(L"one.png"), nullptr);
}

TEST_F(RenderTest, PlainTextUsesTheManagersFonts) {
    TestCanvas canvas(120, 40);
    RECT rect{0, 0, 120, 40};
    CSkinRenderer::DrawText(canvas.DC(), &resources, rect, L"HHHH", 0xFF000000, 0, DT_SINGLELINE | DT_LEFT | DT_TOP);
    // Antialiased text: count the pixels that are clearly ink.
    int dark = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 120; ++x) {
            uint32_t rgb = canvas.Rgb(x, y);
            dark += (rgb >> 16 & 0xFF) < 0x70 && (rgb >> 8 & 0xFF) < 0x70 && (rgb & 0xFF) < 0x70;
        }
    EXPECT_GT(dark, 10);
    EXPECT_EQ(canvas.Rgb(110, 35), kWhite);

    RECT measured{0, 0, 500, 100};
    resources.AddFont(L"Arial", 40, false, false, false);
    CSkinRenderer::DrawText(canvas.DC(), &resources, measured, L"HHHH", 0xFF000000, 0, DT_SINGLELINE | DT_CALCRECT);
    RECT small{0, 0, 500, 100};
    CSkinRenderer::DrawText(canvas.DC(), &resources, small, L"HHHH", 0xFF000000, 7, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_GT(measured.bottom - measured.top, small.bottom - small.top) << "an index out of range uses the default font";
}

TEST_F(RenderTest, FontTenIsAlwaysCentredAndWrapped) {
    for (int i = 0; i < 11; ++i) resources.AddFont(L"Arial", 12, false, false, false);
    TestCanvas canvas(200, 100);
    RECT rect{0, 0, 200, 100};
    CSkinRenderer::DrawText(canvas.DC(), &resources, rect, L"II", 0xFF000000, 10, DT_LEFT | DT_TOP | DT_SINGLELINE);
    int left = 200, right = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            if (canvas.Rgb(x, y) != kWhite) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GT(left, 80) << "centred whatever the caller asked";
    EXPECT_LT(right, 120);

    RECT narrow{0, 0, 60, 100};
    RECT oneLine = narrow;
    CSkinRenderer::DrawText(canvas.DC(), &resources, oneLine, L"word", 0xFF000000, 10, DT_SINGLELINE | DT_CALCRECT);
    CSkinRenderer::DrawText(canvas.DC(), &resources, narrow, L"word word word word", 0xFF000000, 10,
                            DT_SINGLELINE | DT_CALCRECT);
    EXPECT_GT(narrow.bottom - narrow.top, oneLine.bottom - oneLine.top) << "word-wrapped";
}

TEST_F(RenderTest, RandomImageStringsNeverBreakTheRenderer) {
    skin.AddPng(L"btn.png", 10, 10, NineGridPicture());
    SkinFixtures::Mutator mutator(20240607);
    const std::string seed =
        "file='btn.png' source='0,0,10,10' dest='1,2,30,20' corner='2,2,2,2' mask='#FFFF00FF' fade='200' "
        "hole='false' xtiled='true' ytiled='true' restype='' file='btn.png'";
    TestCanvas canvas(40, 30);
    for (int i = 0; i < 2000; ++i) {
        std::string bytes = mutator.Mutate(seed);
        std::wstring image(bytes.begin(), bytes.end());
        RECT item{static_cast<LONG>(mutator.Next() % 50) - 10, static_cast<LONG>(mutator.Next() % 40) - 10,
                  static_cast<LONG>(mutator.Next() % 60), static_cast<LONG>(mutator.Next() % 50)};
        CSkinRenderer::DrawImageString(canvas.DC(), &resources, item, canvas.Bounds(), image);
    }
    // Still drawing correctly afterwards.
    canvas.Fill(kWhite);
    ASSERT_TRUE(Draw(canvas, canvas.Bounds(), L"file='btn.png' corner='2,2,2,2'"));
    EXPECT_EQ(canvas.Rgb(20, 15), kBlue);
}
