#include "UiLib/render/UIImage.h"

#include <gtest/gtest.h>

#include "tests/UiLib/core/SkinFixtures.h"

using namespace UiLib;
using namespace SkinFixtures;

namespace {

std::unique_ptr<TImageInfo> Decode(const std::string& bytes, DWORD mask = 0) {
    return DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), mask);
}

uint32_t Pixel(const TImageInfo& image, int x, int y) {
    return ReadPixels(image).at(static_cast<size_t>(y) * image.width + x);
}

const std::vector<Rgba> kTwoByTwo = {{255, 0, 255, 255}, {10, 20, 30, 255}, {200, 100, 50, 128}, {255, 0, 255, 255}};

}  // namespace

TEST(SkinImage, PremultipliedTopDownPixels) {
    auto image = Decode(EncodePng(2, 2, kTwoByTwo));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(Pixel(*image, 0, 0), 0xFFFF00FFu);
    EXPECT_EQ(Pixel(*image, 1, 0), 0xFF0A141Eu);
    // 200*128/255 = 100, 100*128/255 = 50, 50*128/255 = 25
    EXPECT_EQ(Pixel(*image, 0, 1), 0x80643219u);
    EXPECT_TRUE(image->alpha);
    BITMAP info{};
    ASSERT_EQ(GetObjectW(image->hBitmap, sizeof(info), &info), static_cast<int>(sizeof(info)));
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(info.bmWidth, 2);
}

TEST(SkinImage, MaskColourBecomesTransparentAndSetsAlpha) {
    const std::vector<Rgba> opaque = {{255, 0, 255, 255}, {1, 2, 3, 255}};
    auto plain = Decode(EncodePng(2, 1, opaque));
    ASSERT_NE(plain, nullptr);
    EXPECT_FALSE(plain->alpha);
    auto masked = Decode(EncodePng(2, 1, opaque), 0xFFFF00FF);
    ASSERT_NE(masked, nullptr);
    EXPECT_TRUE(masked->alpha);
    EXPECT_EQ(masked->mask, 0xFFFF00FFu);
    EXPECT_EQ(Pixel(*masked, 0, 0), 0u);
    EXPECT_EQ(Pixel(*masked, 1, 0), 0xFF010203u);
    // A bitmap file goes the same way.
    auto bmp = Decode(EncodeBmp(2, 1, opaque), 0xFFFF00FF);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(Pixel(*bmp, 0, 0), 0u);
    EXPECT_EQ(Pixel(*bmp, 1, 0), 0xFF010203u);
}

// Every colour byte meets every alpha value; the width leaves a few pixels over a multiple of four
// so that both the block-wise and the pixel-wise conversion are checked.
namespace {

void ExpectExactPremultiplication(int width, int height) {
    std::vector<Rgba> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back({static_cast<uint8_t>(x), static_cast<uint8_t>(255 - x), static_cast<uint8_t>(x * 7), static_cast<uint8_t>(y)});
        }
    }
    const auto premultiplied = [](const Rgba& p) {
        return (uint32_t{p.a} << 24) | (p.r * p.a / 255u) << 16 | (p.g * p.a / 255u) << 8 | (p.b * p.a / 255u);
    };
    // A translucent mask: the pixels that premultiply to it become transparent.
    const uint32_t mask = premultiplied(pixels[128 * width + 200]);
    auto image = Decode(EncodePng(width, height, pixels), mask);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->alpha);
    const std::vector<uint32_t> decoded = ReadPixels(*image);
    ASSERT_EQ(decoded.size(), pixels.size());
    int maskedPixels = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t expected = premultiplied(pixels[y * width + x]);
            maskedPixels += expected == mask;
            ASSERT_EQ(decoded[y * width + x], expected == mask ? 0u : expected) << x << "," << y;
        }
    }
    EXPECT_GT(maskedPixels, 0);
}

}  // namespace

// Small pictures are decoded whole, large ones a row at a time into their bitmaps: the pixels are
// the same either way.
TEST(SkinImage, EveryColourAndAlphaPremultipliesExactly) {
    ExpectExactPremultiplication(257, 255);
    ExpectExactPremultiplication(263, 300);
}

TEST(SkinImage, LargePicturesCutOrMutatedGiveNothingOrAWholeBitmap) {
    std::vector<Rgba> pixels(300 * 300, Rgba{10, 20, 30, 200});
    const std::string png = EncodePng(300, 300, pixels);
    ASSERT_NE(Decode(png), nullptr);
    // Cut anywhere before its closing chunk (12 bytes), the picture is incomplete.
    for (size_t cut = 0; cut + 12 < png.size(); cut += 7) EXPECT_EQ(Decode(png.substr(0, cut)), nullptr) << cut;
    Mutator mutator(7);
    for (int i = 0; i < 300; ++i) {
        auto image = Decode(mutator.Mutate(png));
        if (image != nullptr) {
            volatile uint32_t last = Pixel(*image, image->width - 1, image->height - 1);
            (void)last;
        }
    }
}

TEST(SkinImage, BrokenImagesGiveNothing) {
    EXPECT_EQ(Decode(""), nullptr);
    EXPECT_EQ(Decode("not an image"), nullptr);
    EXPECT_EQ(DecodeImage(nullptr, 10, 0), nullptr);
    const std::string png = EncodePng(2, 2, kTwoByTwo);
    for (size_t cut = 0; cut < png.size(); ++cut) Decode(png.substr(0, cut));
    // A header that claims an enormous picture.
    std::string huge = png;
    huge[16] = '\x7F';
    EXPECT_EQ(Decode(huge), nullptr);
}

TEST(SkinImage, MutatedImagesDecodeOrFailCleanly) {
    std::vector<Rgba> pixels;
    for (int i = 0; i < 16 * 16; ++i) {
        pixels.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i * 7), static_cast<uint8_t>(i * 13),
                          static_cast<uint8_t>(i % 3 ? 255 : i)});
    }
    const std::string inputs[] = {EncodePng(16, 16, pixels), EncodeBmp(16, 16, pixels)};
    Mutator mutator(99);
    for (int i = 0; i < 3000; ++i) {
        auto image = Decode(mutator.Mutate(inputs[i % 2]), 0xFFFF00FF);
        if (image != nullptr) {
            ASSERT_GT(image->width, 0);
            ASSERT_EQ(ReadPixels(*image).size(), static_cast<size_t>(image->width) * image->height);
        }
    }
}
