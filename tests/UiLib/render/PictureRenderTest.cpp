#include "UiLib/render/PictureRender.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "UiLib/render/SkinResources.h"
#include "UiLib/render/UIImage.h"
#include "UiLib/render/UIRender.h"
#include "UiLib/render/UIResource.h"
#include "tests/UiLib/support/SkinFolder.h"
#include "tests/UiLib/support/TestCanvas.h"
#include "tests/support/TestFolder.h"

using namespace UiLib;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kBlack = 0x000000;

const CDpiScale k96(96), k120(120), k144(144), k192(192);

std::vector<uint32_t> Filled(int width, int height, uint32_t argb) {
    return std::vector<uint32_t>(static_cast<size_t>(width) * height, argb);
}

// A nine-grid picture of `size` pixels with red corners of `corner` pixels, green edges, a blue
// middle; `outlined` draws the outer row and column of each corner black, a detail one pixel wide.
std::vector<uint32_t> NineGrid(int size, int corner, bool outlined) {
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const bool edgeX = x < corner || x >= size - corner;
            const bool edgeY = y < corner || y >= size - corner;
            const bool outline = x == 0 || y == 0 || x == size - 1 || y == size - 1;
            uint32_t colour = edgeX && edgeY ? 0xFFFF0000 : (edgeX || edgeY ? 0xFF00FF00 : 0xFF0000FF);
            if (edgeX && edgeY && outlined && outline) colour = 0xFF000000;
            pixels[y * size + x] = colour;
        }
    }
    return pixels;
}

bool Draw(TestCanvas& canvas, CSkinResources& resources, const RECT& item, const std::wstring& image,
          const CDpiScale& dpi) {
    return CSkinRenderer::DrawImageString(canvas.DC(), &resources, item, canvas.Bounds(), image, std::wstring(), dpi);
}

}  // namespace

TEST(PictureRenderTest, RendersAreChosenNearestFirstAndNamedBesideThePicture) {
    using Order = std::array<int, kPictureRenderCount>;
    EXPECT_EQ(PreferredPictureRenders(k96), (Order{100, 150, 200}));
    EXPECT_EQ(PreferredPictureRenders(k120), (Order{150, 100, 200})) << "a tie scales the larger one down";
    EXPECT_EQ(PreferredPictureRenders(k144), (Order{150, 200, 100}));
    EXPECT_EQ(PreferredPictureRenders(k192), (Order{200, 150, 100}));
    EXPECT_EQ(PreferredPictureRenders(CDpiScale(288)), (Order{200, 150, 100}));

    EXPECT_EQ(PictureRenderName(L"btn.png", 100), L"btn.png");
    EXPECT_EQ(PictureRenderName(L"btn.png", 150), L"btn@1.5x.png");
    EXPECT_EQ(PictureRenderName(L"sysset/msg.top.png", 200), L"sysset/msg.top@2x.png");
    EXPECT_EQ(PictureRenderName(L"my.skin\\logo", 200), L"my.skin\\logo@2x") << "a dot in a folder is no extension";
}

// The cache keeps one record per name and render: windows of different DPI draw their own, and a
// picture with its 1x file alone (no SVG source, or not a skin file) serves every DPI from it.
TEST(PictureRenderTest, CacheKeysByNameAndRenderAndFallsBackToTheOneTimesFile) {
    SkinFolder skin;
    skin.AddPng(L"pic.png", 2, 2, Filled(2, 2, 0xFFFF0000));
    skin.AddPng(L"pic@1.5x.png", 3, 3, Filled(3, 3, 0xFF00FF00));
    skin.AddPng(L"pic@2x.png", 4, 4, Filled(4, 4, 0xFF0000FF));
    skin.AddPng(L"plain.png", 2, 2, Filled(2, 2, 0xFFFF0000));
    CSkinResources resources;

    const TImageInfo* at96 = resources.GetImageEx(L"pic.png", L"", 0, k96);
    const TImageInfo* at120 = resources.GetImageEx(L"pic.png", L"", 0, k120);
    const TImageInfo* at144 = resources.GetImageEx(L"pic.png", L"", 0, k144);
    const TImageInfo* at192 = resources.GetImageEx(L"pic.png", L"", 0, k192);
    ASSERT_TRUE(at96 && at120 && at144 && at192);
    EXPECT_EQ(at96->renderPercent, 100);
    EXPECT_EQ(at96->width, 2);
    EXPECT_EQ(at120->renderPercent, 125) << "the 1.5x render made smaller";
    EXPECT_EQ(at120->width, 3);
    EXPECT_EQ(at144->renderPercent, 150);
    EXPECT_EQ(at144->width, 3);
    EXPECT_NE(at144, at120);
    EXPECT_EQ(at192->renderPercent, 200);
    EXPECT_EQ(at192->width, 4);
    EXPECT_EQ(resources.GetImage(L"pic.png"), at96) << "the 96-DPI record keeps its plain name";
    EXPECT_EQ(resources.GetImage(L"pic.png", k192), at192);

    const TImageInfo* plain = resources.GetImageEx(L"plain.png");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(resources.GetImageEx(L"plain.png", L"", 0, k192), plain);
    EXPECT_EQ(resources.GetImageEx(L"plain.png", L"", 0, k144), plain);

    // A picture named by a path outside the skin has its 1x file alone, even where a larger one lies beside it.
    const std::wstring outside = skin.File(L"pic.png");
    const TImageInfo* byPath = resources.GetImageEx(outside, L"", 0, k192);
    ASSERT_NE(byPath, nullptr);
    EXPECT_EQ(byPath->renderPercent, 100);
    resources.RemoveAllImages();
    EXPECT_EQ(resources.GetImage(L"pic.png", k192), nullptr);
}

// Image strings give source, corner and dest in 96-DPI units of the 1x picture: the source and the
// corners are mapped into the chosen render, the destination and the corners drawn into the window.
TEST(PictureRenderTest, SourceCornerAndDestinationMapIntoTheRenderAndTheWindow) {
    SkinFolder skin;
    CSkinResources resources;

    // A nine-grid at 2x keeps crisp corners twice as large, with the render's one-pixel outline.
    skin.AddPng(L"frame.png", 10, 10, NineGrid(10, 2, false));
    skin.AddPng(L"frame@2x.png", 20, 20, NineGrid(20, 4, true));
    TestCanvas grid(80, 60);
    ASSERT_TRUE(Draw(grid, resources, grid.Bounds(), L"file='frame.png' corner='2,2,2,2'", k192));
    for (POINT p : {POINT{0, 0}, POINT{79, 0}, POINT{0, 59}, POINT{79, 59}, POINT{0, 3}, POINT{3, 0}})
        EXPECT_EQ(grid.Rgb(p.x, p.y), kBlack) << p.x << "," << p.y;
    for (POINT p : {POINT{1, 1}, POINT{3, 3}, POINT{76, 56}, POINT{78, 58}})
        EXPECT_EQ(grid.Rgb(p.x, p.y), kRed) << p.x << "," << p.y;
    for (POINT p : {POINT{4, 1}, POINT{75, 3}, POINT{1, 4}, POINT{78, 55}})
        EXPECT_EQ(grid.Rgb(p.x, p.y), kGreen) << p.x << "," << p.y;
    for (POINT p : {POINT{4, 4}, POINT{40, 30}, POINT{75, 55}})
        EXPECT_EQ(grid.Rgb(p.x, p.y), kBlue) << p.x << "," << p.y;
    grid.Fill(kWhite);
    ASSERT_TRUE(Draw(grid, resources, grid.Bounds(), L"file='frame.png' corner='2,2,2,2' hole='true'", k192));
    EXPECT_EQ(grid.Rgb(40, 30), kWhite);
    EXPECT_EQ(grid.Rgb(4, 4), kWhite) << "the hole begins where the scaled corner ends";
    EXPECT_EQ(grid.Rgb(3, 3), kRed);

    // The right half of a strip, in 1x units, is the right half of the 2x render.
    std::vector<uint32_t> strip2x(40 * 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) strip2x[y * 40 + x] = x < 20 ? 0xFF0000FF : 0xFFFFFF00;
    skin.AddPng(L"strip.png", 20, 10, Filled(20, 10, 0xFFFF0000));
    skin.AddPng(L"strip@2x.png", 40, 20, strip2x);
    TestCanvas half(20, 20);
    ASSERT_TRUE(Draw(half, resources, half.Bounds(), L"file='strip.png' source='10,0,20,10'", k192));
    for (POINT p : {POINT{0, 0}, POINT{19, 0}, POINT{0, 19}, POINT{19, 19}, POINT{10, 10}})
        EXPECT_EQ(half.Rgb(p.x, p.y), kYellow) << p.x << "," << p.y;

    // A destination in 1x units lands at twice its place, cut to the item.
    skin.AddPng(L"red.png", 1, 1, {0xFFFF0000});
    TestCanvas placed(30, 30);
    ASSERT_TRUE(Draw(placed, resources, RECT{2, 2, 22, 22}, L"file='red.png' dest='1,1,6,20'", k192));
    EXPECT_EQ(placed.Rgb(3, 10), kWhite);
    EXPECT_EQ(placed.Rgb(4, 4), kRed);
    EXPECT_EQ(placed.Rgb(13, 21), kRed);
    EXPECT_EQ(placed.Rgb(14, 10), kWhite);
    EXPECT_EQ(placed.Rgb(10, 22), kWhite) << "cut to the item";

    // Tiles of a 1x picture are twice as large at 192 DPI (each stretched, so every other column
    // is a blend); the last one, cut by the edge, takes its share of the source.
    skin.AddPng(L"dots.png", 4, 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
    TestCanvas tiles(26, 2, 0);
    ASSERT_TRUE(Draw(tiles, resources, tiles.Bounds(), L"file='dots.png' xtiled='true'", k192));
    const uint32_t expected[] = {kRed, kGreen, kBlue, kWhite};
    for (int x = 0; x < 26; x += 2) EXPECT_EQ(tiles.Rgb(x, 1), expected[(x / 2) % 4]) << "x " << x;
    for (int x = 8; x < 24; ++x) EXPECT_EQ(tiles.Rgb(x, 1), tiles.Rgb(x % 8, 1)) << "x " << x;
    EXPECT_EQ(tiles.Rgb(25, 1), kRed);

    // The transparent colour is applied to the render that is drawn.
    std::vector<uint32_t> masked2x = Filled(4, 4, 0xFF0000FF);
    masked2x[0] = 0xFFFF00FF;
    skin.AddBmp(L"bar.bmp", 2, 2, Filled(2, 2, 0xFF0000FF));
    skin.AddBmp(L"bar@2x.bmp", 4, 4, masked2x);
    TestCanvas bar(4, 4, kGreen);
    ASSERT_TRUE(Draw(bar, resources, bar.Bounds(), L"file='bar.bmp' mask='#FFFF00FF'", k192));
    EXPECT_EQ(bar.Rgb(0, 0), kGreen);
    EXPECT_EQ(bar.Rgb(1, 0), kBlue);
}

namespace {

// The test skin, packed by the build's own packer from its drawings: "dot.png" comes from
// "dot.png.svg" in its three renders.
class SvgSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        CResourceConfig::SetResourcePath(HostPathToWindows(PICTURE_SKIN_FOLDER).c_str());
        CResourceConfig::SetResourceZip(L"picture-skin.zip");
        ASSERT_NE(CResourceConfig::GetResourceZipHandle(), nullptr);
    }
    void TearDown() override {
        CResourceConfig::SetResourceZip(nullptr);
        CResourceConfig::SetResourcePath(nullptr);
    }

    // The member decoded as it is, without the framework choosing anything.
    static std::unique_ptr<TImageInfo> Member(const std::wstring& name) {
        std::vector<uint8_t> bytes;
        if (ReadSkinFile(name, 1 << 20, bytes) != ResourceReadStatus::Ok) return nullptr;
        return DecodeImage(bytes.data(), bytes.size(), 0);
    }

    // `picture` stretched (or copied) whole into `size` pixels on a white canvas.
    static std::vector<uint32_t> Drawn(const TImageInfo& picture, int size) {
        TestCanvas canvas(size, size);
        CSkinRenderer::DrawImage(canvas.DC(), picture.hBitmap, canvas.Bounds(), canvas.Bounds(),
                                 RECT{0, 0, picture.width, picture.height}, RECT{}, picture.alpha);
        return Pixels(canvas);
    }

    std::vector<uint32_t> DrawnAt(const CDpiScale& dpi) {
        TestCanvas canvas(dpi.Scale(10), dpi.Scale(10));
        EXPECT_TRUE(Draw(canvas, resources, canvas.Bounds(), L"dot.png", dpi));
        return Pixels(canvas);
    }

    static std::vector<uint32_t> Pixels(const TestCanvas& canvas) {
        std::vector<uint32_t> pixels;
        const RECT bounds = canvas.Bounds();
        for (int y = 0; y < bounds.bottom; ++y)
            for (int x = 0; x < bounds.right; ++x) pixels.push_back(canvas.Rgb(x, y));
        return pixels;
    }

    CSkinResources resources;
};

}  // namespace

// At 192 DPI the picture is its 2x render, not the 1x one stretched; at 144 its 1.5x render; at 120
// the nearest render (1.5x) scaled down. At 96 it is the 1x render as ever.
TEST_F(SvgSkinTest, PictureFromAnSvgIsDrawnFromItsNearestRender) {
    std::unique_ptr<TImageInfo> oneX = Member(L"dot.png");
    std::unique_ptr<TImageInfo> oneAndHalf = Member(L"dot@1.5x.png");
    std::unique_ptr<TImageInfo> twoX = Member(L"dot@2x.png");
    ASSERT_TRUE(oneX && oneAndHalf && twoX) << "the packer renders the drawing three times";
    EXPECT_EQ(oneX->width, 10);
    EXPECT_EQ(oneAndHalf->width, 15);
    EXPECT_EQ(twoX->width, 20);

    EXPECT_EQ(DrawnAt(k96), Drawn(*oneX, 10));
    const std::vector<uint32_t> at192 = DrawnAt(k192);
    EXPECT_EQ(at192, Drawn(*twoX, 20));
    EXPECT_NE(at192, Drawn(*oneX, 20)) << "a stretched 1x picture would look otherwise";
    EXPECT_EQ(DrawnAt(k144), Drawn(*oneAndHalf, 15));
    const std::vector<uint32_t> at120 = DrawnAt(k120);
    std::unique_ptr<TImageInfo> smaller = ResampleImage(*oneAndHalf, 13, 13);
    ASSERT_NE(smaller, nullptr);
    EXPECT_EQ(at120, Drawn(*smaller, 13));
    EXPECT_NE(at120, Drawn(*oneX, 13));
    EXPECT_NE(at120, Drawn(*oneAndHalf, 13)) << "a blit that drops pixels would look otherwise";
}

// Each pixel of a resampled picture is the mean of the area it covers, alpha included.
TEST(PictureRenderTest, ResamplingAveragesTheAreaEachPixelCovers) {
    SkinFolder skin;
    skin.AddPng(L"row.png", 3, 1, {0xFFFF0000, 0xFF00FF00, 0x00000000});
    CSkinResources resources;
    const TImageInfo* row = resources.GetImageEx(L"row.png");
    ASSERT_NE(row, nullptr);
    std::unique_ptr<TImageInfo> half = ResampleImage(*row, 2, 1);
    ASSERT_NE(half, nullptr);
    const std::vector<uint32_t> pixels = ReadPixels(*half);
    ASSERT_EQ(pixels.size(), 2u);
    // The first covers red and half of green; the second half of green and the transparent pixel.
    EXPECT_EQ(pixels[0], 0xFFAA5500u);
    EXPECT_EQ(pixels[1], 0x55005500u);
    EXPECT_TRUE(half->alpha);
}
