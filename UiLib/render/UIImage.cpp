#include "UiLib/render/UIImage.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include <emmintrin.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
// Skin pictures are small; a header that claims more is not worth an allocation.
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>
#pragma GCC diagnostic pop

#include <spng.h>

#include "UiLib/render/DibSection.h"
#include "UiLib/render/RgbaPngRows.h"
#include "UiLib/render/ScopedDC.h"

namespace UiLib {
namespace {

struct StbPixels {
    stbi_uc* pixels;
    ~StbPixels() { stbi_image_free(pixels); }
};

// An opaque RGBA pixel (0xAABBGGRR as read on this little-endian machine) as BGRA (0xAARRGGBB).
uint32_t SwapRedAndBlue(uint32_t rgba) { return (rgba & 0xFF00FF00u) | ((rgba & 0xFFu) << 16) | ((rgba >> 16) & 0xFFu); }

// c * a / 255 for the two colour bytes held in the 16-bit halves of `pair` (0x00XX00YY) at once:
// each product fits in its half, and for every v up to 255 * 255, (v + (v >> 8) + 1) >> 8 is
// exactly v / 255 without carrying into the other half.
uint32_t PremultiplyPair(uint32_t pair, uint32_t a) {
    const uint32_t v = pair * a;
    return ((v + ((v >> 8) & 0x00FF00FFu) + 0x00010001u) >> 8) & 0x00FF00FFu;
}

uint32_t PremultiplyTranslucent(uint32_t rgba, uint32_t a) {
    const uint32_t redBlue = PremultiplyPair(rgba & 0x00FF00FFu, a);  // 0x00bb00rr
    const uint32_t green = PremultiplyPair((rgba >> 8) & 0xFFu, a);
    return (a << 24) | ((redBlue & 0xFFu) << 16) | (green << 8) | (redBlue >> 16);
}

// Which pixels the mask colour can match. A premultiplied pixel keeps its alpha byte, so an opaque
// mask can only match opaque pixels and a translucent one only translucent pixels. A mask with
// alpha 0 can only match the pixel 0, which a fully transparent pixel already is and which marks
// the image as having alpha anyway: such a mask changes nothing.
enum class MaskMatch { Never, OpaquePixels, TranslucentPixels };

MaskMatch WhereMaskCanMatch(DWORD mask) {
    const uint32_t alpha = mask >> 24;
    if (alpha == 255) return MaskMatch::OpaquePixels;
    return alpha == 0 ? MaskMatch::Never : MaskMatch::TranslucentPixels;
}

// RGBA in, premultiplied BGRA out; returns whether any pixel ended up not fully opaque. One loop
// per kind of mask, so that the mask is compared only where it can match.
template <MaskMatch kMatch>
bool ConvertPixels(const stbi_uc* source, uint32_t* target, size_t count, uint32_t mask) {
    bool alpha = false;
    for (size_t i = 0; i < count; ++i) {
        uint32_t rgba;
        std::memcpy(&rgba, source + 4 * i, 4);
        const uint32_t a = rgba >> 24;
        uint32_t pixel;
        if (a == 255) {
            pixel = SwapRedAndBlue(rgba);
            if (kMatch == MaskMatch::OpaquePixels && pixel == mask) {
                pixel = 0;
                alpha = true;
            }
        } else {
            pixel = PremultiplyTranslucent(rgba, a);
            if (kMatch == MaskMatch::TranslucentPixels && pixel == mask) pixel = 0;
            alpha = true;
        }
        target[i] = pixel;
    }
    return alpha;
}

// c * a / 255 in the 16-bit lanes of two RGBA pixels, as PremultiplyPair does; the alpha lane is
// multiplied by 255, which keeps it.
__attribute__((target("sse2"))) __m128i PremultiplyTwoSse2(__m128i lanes) {
    const __m128i colourLanes = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    const __m128i alphaLanes = _mm_set_epi16(255, 0, 0, 0, 255, 0, 0, 0);
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(lanes, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    alpha = _mm_or_si128(_mm_and_si128(alpha, colourLanes), alphaLanes);
    const __m128i v = _mm_mullo_epi16(lanes, alpha);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), _mm_set1_epi16(1)), 8);
}

// Four pixels a step with SSE2. Opaque pixels go through the same multiplication (c * 255 / 255
// is c), and the mask is compared everywhere, which gives the same pixels as comparing it only
// where it can match. Returns whether any pixel ended up not fully opaque; leaves `count % 4`
// pixels to the caller.
__attribute__((target("sse2"))) bool ConvertPixelsSse2(const stbi_uc* source, uint32_t* target, size_t count, DWORD mask) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i redBlue = _mm_set1_epi32(0x00FF00FF);
    const __m128i maskPixel = _mm_set1_epi32(static_cast<int>(mask));
    __m128i notOpaqueSeen = zero;
    for (size_t i = 0; i + 4 <= count; i += 4) {
        const __m128i rgba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + 4 * i));
        const __m128i premultiplied = _mm_packus_epi16(PremultiplyTwoSse2(_mm_unpacklo_epi8(rgba, zero)),
                                                       PremultiplyTwoSse2(_mm_unpackhi_epi8(rgba, zero)));
        const __m128i swapped = _mm_or_si128(_mm_andnot_si128(redBlue, premultiplied),
                                             _mm_or_si128(_mm_slli_epi32(_mm_and_si128(premultiplied, redBlue), 16),
                                                          _mm_srli_epi32(_mm_and_si128(premultiplied, redBlue), 16)));
        const __m128i masked = _mm_cmpeq_epi32(swapped, maskPixel);
        const __m128i opaque = _mm_cmpeq_epi32(_mm_and_si128(rgba, alphaBytes), alphaBytes);
        notOpaqueSeen = _mm_or_si128(notOpaqueSeen, _mm_or_si128(masked, _mm_andnot_si128(opaque, alphaBytes)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i), _mm_andnot_si128(masked, swapped));
    }
    return _mm_movemask_epi8(notOpaqueSeen) != 0;
}

bool ConvertPixelsPlain(const stbi_uc* source, uint32_t* target, size_t count, DWORD mask) {
    switch (WhereMaskCanMatch(mask)) {
    case MaskMatch::OpaquePixels: return ConvertPixels<MaskMatch::OpaquePixels>(source, target, count, mask);
    case MaskMatch::TranslucentPixels: return ConvertPixels<MaskMatch::TranslucentPixels>(source, target, count, mask);
    case MaskMatch::Never: break;
    }
    return ConvertPixels<MaskMatch::Never>(source, target, count, mask);
}

// The program is built for every 32-bit x86 processor; the SSE2 form is used where there is one.
const bool kHasSse2 = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != 0;

bool PremultiplyAndMask(const stbi_uc* source, uint32_t* target, size_t count, DWORD mask) {
    if (!kHasSse2) return ConvertPixelsPlain(source, target, count, mask);
    const size_t wide = count - count % 4;
    const bool alpha = ConvertPixelsSse2(source, target, wide, mask);
    return ConvertPixelsPlain(source + 4 * wide, target + wide, count - wide, mask) || alpha;
}

constexpr uint32_t kMaxDimension = 16384;

struct SpngContext {
    spng_ctx* context = spng_ctx_new(SPNG_CTX_IGNORE_ADLER32);
    ~SpngContext() { spng_ctx_free(context); }
};

bool IsPng(const uint8_t* data, size_t size) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= sizeof(kSignature) && std::memcmp(data, kSignature, sizeof(kSignature)) == 0;
}

std::unique_ptr<TImageInfo> ImageRecord(CDibSection& surface, DWORD mask, bool alpha) {
    auto image = std::make_unique<TImageInfo>();
    image->width = surface.Width();
    image->height = surface.Height();
    image->hBitmap = surface.Release();
    image->mask = mask;
    image->alpha = alpha;
    return image;
}

// Below this many pixels a second copy costs little and a whole-picture decoder, which inflates in
// one call instead of a row at a time, is the faster one.
constexpr uint64_t kRowByRowPixels = 64 * 1024;

// A large PNG picture is decoded a row at a time straight into its bitmap and converted there, so
// that no second copy of it is ever held. Small pictures, and interlaced ones, which deliver their
// rows in passes, take the whole-picture decoder (`wholePicture` is set); a broken picture gives
// nothing. Checksums are not enforced, as the whole-picture decoder never did.
std::unique_ptr<TImageInfo> DecodePngByRows(const uint8_t* data, size_t size, DWORD mask, bool& wholePicture) {
    SpngContext png;
    spng_ihdr header{};
    if (!png.context || spng_set_image_limits(png.context, kMaxDimension, kMaxDimension) ||
        spng_set_crc_action(png.context, SPNG_CRC_USE, SPNG_CRC_USE) ||
        spng_set_png_buffer(png.context, data, size) || spng_get_ihdr(png.context, &header)) {
        return nullptr;
    }
    wholePicture = header.interlace_method != 0 || uint64_t{header.width} * header.height < kRowByRowPixels;
    if (wholePicture) return nullptr;
    if (spng_decode_image(png.context, nullptr, 0, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE))
        return nullptr;
    CDibSection surface(static_cast<int>(header.width), static_cast<int>(header.height));
    if (!surface.IsValid()) return nullptr;
    bool alpha = false;
    for (uint32_t y = 0; y < header.height; ++y) {
        uint32_t* row = surface.Pixels() + static_cast<size_t>(y) * header.width;
        const int result = spng_decode_row(png.context, row, static_cast<size_t>(header.width) * 4);
        if (result != 0 && !(result == SPNG_EOI && y + 1 == header.height)) return nullptr;
        alpha = PremultiplyAndMask(reinterpret_cast<const stbi_uc*>(row), row, header.width, mask) || alpha;
    }
    return ImageRecord(surface, mask, alpha);
}

// The skin's usual small picture, whose rows are inflated whole and converted into its bitmap.
std::unique_ptr<TImageInfo> ConvertRgbaRows(const RgbaPngRows& rows, DWORD mask) {
    CDibSection surface(static_cast<int>(rows.width), static_cast<int>(rows.height));
    if (!surface.IsValid()) return nullptr;
    bool alpha = false;
    for (uint32_t y = 0; y < rows.height; ++y) {
        alpha = PremultiplyAndMask(rows.Row(y), surface.Pixels() + size_t{y} * rows.width, rows.width, mask) || alpha;
    }
    return ImageRecord(surface, mask, alpha);
}

std::unique_ptr<TImageInfo> DecodeWholePicture(const uint8_t* data, size_t size, DWORD mask) {
    int width = 0, height = 0, components = 0;
    StbPixels decoded{stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &components, 4)};
    if (decoded.pixels == nullptr || width <= 0 || height <= 0) return nullptr;
    CDibSection surface(width, height);
    if (!surface.IsValid()) return nullptr;
    const bool alpha = PremultiplyAndMask(decoded.pixels, surface.Pixels(),
                                          static_cast<size_t>(width) * static_cast<size_t>(height), mask);
    return ImageRecord(surface, mask, alpha);
}

// The share each source pixel has in each target pixel along one axis: target pixel t covers the
// source interval [t * from / to, (t + 1) * from / to).
struct AreaWeights {
    struct Tap {
        int source;
        float weight;
    };
    std::vector<std::vector<Tap>> taps;

    AreaWeights(int from, int to) : taps(static_cast<size_t>(to)) {
        const double step = static_cast<double>(from) / to;
        for (int t = 0; t < to; ++t) {
            const double begin = t * step;
            const double end = begin + step;
            for (int s = static_cast<int>(begin); s < from && s < end; ++s) {
                const double covered = std::min<double>(end, s + 1) - std::max<double>(begin, s);
                if (covered > 0) taps[t].push_back({s, static_cast<float>(covered / step)});
            }
        }
    }
};

// The weighted sum of premultiplied pixels, channel by channel.
uint32_t Mix(const uint32_t* pixels, size_t stride, const std::vector<AreaWeights::Tap>& taps) {
    float sums[4] = {};
    for (const AreaWeights::Tap& tap : taps) {
        const uint32_t pixel = pixels[static_cast<size_t>(tap.source) * stride];
        for (int channel = 0; channel < 4; ++channel) sums[channel] += tap.weight * ((pixel >> (8 * channel)) & 0xFF);
    }
    uint32_t mixed = 0;
    for (int channel = 0; channel < 4; ++channel)
        mixed |= static_cast<uint32_t>(std::clamp(sums[channel] + 0.5f, 0.0f, 255.0f)) << (8 * channel);
    return mixed;
}

}  // namespace

TImageInfo::~TImageInfo() {
    if (hBitmap != nullptr) DeleteObject(hBitmap);
}

std::unique_ptr<TImageInfo> DecodeImage(const uint8_t* data, size_t size, DWORD mask) {
    if (data == nullptr || size == 0 || size > static_cast<size_t>(INT_MAX)) return nullptr;
    if (IsPng(data, size)) {
        if (std::optional<RgbaPngRows> rows = InflateRgbaPng(data, size, kMaxDimension, kRowByRowPixels - 1))
            return ConvertRgbaRows(*rows, mask);
        bool wholePicture = false;
        std::unique_ptr<TImageInfo> image = DecodePngByRows(data, size, mask, wholePicture);
        if (!wholePicture) return image;
    }
    return DecodeWholePicture(data, size, mask);
}

std::vector<uint32_t> ReadPixels(const TImageInfo& image) {
    std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    CWindowDC screen(nullptr);
    if (pixels.empty() || ::GetDIBits(screen.Get(), image.hBitmap, 0, static_cast<UINT>(image.height), pixels.data(),
                                      &info, DIB_RGB_COLORS) != image.height) {
        return {};
    }
    return pixels;
}

std::unique_ptr<TImageInfo> ResampleImage(const TImageInfo& image, int width, int height) {
    const std::vector<uint32_t> pixels = ReadPixels(image);
    if (pixels.empty() || width <= 0 || height <= 0 || width > static_cast<int>(kMaxDimension) ||
        height > static_cast<int>(kMaxDimension))
        return nullptr;
    // Rows first, then columns: two passes of a few taps each instead of one over every area.
    const AreaWeights columns(image.width, width);
    const AreaWeights rows(image.height, height);
    std::vector<uint32_t> narrowed(static_cast<size_t>(width) * image.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < width; ++x)
            narrowed[static_cast<size_t>(y) * width + x] = Mix(&pixels[static_cast<size_t>(y) * image.width], 1, columns.taps[x]);
    CDibSection surface(width, height);
    if (!surface.IsValid()) return nullptr;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            surface.Pixels()[static_cast<size_t>(y) * width + x] = Mix(&narrowed[x], width, rows.taps[y]);
    std::unique_ptr<TImageInfo> scaled = ImageRecord(surface, image.mask, image.alpha);
    scaled->resourceType = image.resourceType;
    return scaled;
}

}  // namespace UiLib
