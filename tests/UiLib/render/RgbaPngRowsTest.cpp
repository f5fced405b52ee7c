#include "UiLib/render/RgbaPngRows.h"

#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstring>
#include <vector>

#include "UiLib/render/UIImage.h"
#include "tests/UiLib/core/SkinFixtures.h"

using namespace UiLib;
using namespace SkinFixtures;

namespace {

std::vector<Rgba> Noise(int count, uint32_t seed) {
    Mutator random(seed);
    std::vector<Rgba> pixels;
    for (int i = 0; i < count; ++i) {
        const uint32_t value = random.Next();
        pixels.push_back({static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                          static_cast<uint8_t>(i % 5 ? 255 : value >> 24)});
    }
    return pixels;
}

std::string PngWithFilter(int width, int height, const std::vector<Rgba>& pixels, int filter) {
    stbi_write_force_png_filter = filter;
    std::string png = EncodePng(width, height, pixels);
    stbi_write_force_png_filter = -1;
    return png;
}

std::optional<RgbaPngRows> Rows(const std::string& png) {
    return InflateRgbaPng(reinterpret_cast<const uint8_t*>(png.data()), png.size(), 16384, 1u << 20);
}

}  // namespace

// Each of the five filters, on noise and on a width that is no multiple of the vector steps.
TEST(RgbaPngRows, EveryFilterGivesBackTheEncodedBytes) {
    const int width = 37, height = 23;
    const std::vector<Rgba> pixels = Noise(width * height, 5);
    for (int filter = 0; filter <= 4; ++filter) {
        const std::optional<RgbaPngRows> rows = Rows(PngWithFilter(width, height, pixels, filter));
        ASSERT_TRUE(rows.has_value()) << filter;
        ASSERT_EQ(rows->width, 37u);
        ASSERT_EQ(rows->height, 23u);
        for (uint32_t y = 0; y < rows->height; ++y) {
            ASSERT_EQ(std::memcmp(rows->Row(y), &pixels[y * width], width * 4), 0) << "filter " << filter << " row " << y;
        }
    }
}

TEST(RgbaPngRows, VectorAndPlainUnfilteringAgree) {
    Mutator random(11);
    for (size_t length : {4u, 12u, 16u, 20u, 64u, 148u}) {
        std::vector<uint8_t> above(length), row(length);
        for (int round = 0; round < 20; ++round) {
            for (uint8_t& byte : above) byte = static_cast<uint8_t>(random.Next());
            for (uint8_t& byte : row) byte = static_cast<uint8_t>(random.Next());
            for (uint8_t filter = 0; filter <= 4; ++filter) {
                std::vector<uint8_t> plain = row, vector = row;
                ASSERT_TRUE(UnfilterRgbaRow(filter, plain.data(), above.data(), length, false));
                ASSERT_TRUE(UnfilterRgbaRow(filter, vector.data(), above.data(), length, true));
                ASSERT_EQ(plain, vector) << "filter " << int{filter} << " length " << length;
            }
        }
        EXPECT_FALSE(UnfilterRgbaRow(5, row.data(), above.data(), length, true));
        EXPECT_FALSE(UnfilterRgbaRow(5, row.data(), above.data(), length, false));
    }
}

// Pictures of other shapes, or too large for the whole-picture path, go to the general decoders,
// which still read them; a cut picture gives nothing either way.
TEST(RgbaPngRows, OtherShapesAndCutPicturesAreLeftToTheGeneralDecoders) {
    const std::vector<Rgba> pixels = Noise(16 * 16, 3);
    std::vector<uint8_t> rgb;
    for (const Rgba& pixel : pixels) rgb.insert(rgb.end(), {pixel.r, pixel.g, pixel.b});
    std::string rgbPng;
    stbi_write_png_to_func([](void* out, void* data, int size) { static_cast<std::string*>(out)->append(static_cast<char*>(data), size); },
                           &rgbPng, 16, 16, 3, rgb.data(), 16 * 3);
    EXPECT_FALSE(Rows(rgbPng).has_value());
    auto image = DecodeImage(reinterpret_cast<const uint8_t*>(rgbPng.data()), rgbPng.size(), 0);
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(image->alpha);

    const std::string png = EncodePng(16, 16, pixels);
    EXPECT_FALSE(InflateRgbaPng(reinterpret_cast<const uint8_t*>(png.data()), png.size(), 15, 1u << 20).has_value());
    EXPECT_FALSE(InflateRgbaPng(reinterpret_cast<const uint8_t*>(png.data()), png.size(), 16384, 255).has_value());
    for (size_t cut = 8; cut + 12 < png.size(); ++cut) {
        EXPECT_FALSE(Rows(png.substr(0, cut)).has_value()) << cut;
        EXPECT_EQ(DecodeImage(reinterpret_cast<const uint8_t*>(png.data()), cut, 0), nullptr) << cut;
    }
}
