#include "UiLib/render/RgbaPngRows.h"

#include <windows.h>
#include <zlib.h>

#include <emmintrin.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace UiLib {
namespace {

constexpr size_t kBytesPerPixel = 4;

struct Span {
    const uint8_t* data;
    uint32_t size;
};

uint32_t BigEndian32(const uint8_t* bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

bool IsChunk(const uint8_t* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

// The picture's IHDR gives width and height when its shape is the one this path takes.
bool ReadRgbaHeader(const uint8_t* header, uint32_t maxDimension, uint64_t maxPixels, uint32_t& width, uint32_t& height) {
    width = BigEndian32(header);
    height = BigEndian32(header + 4);
    const uint8_t depth = header[8], colourType = header[9], compression = header[10], filter = header[11],
                  interlace = header[12];
    return width != 0 && height != 0 && width <= maxDimension && height <= maxDimension &&
           uint64_t{width} * height <= maxPixels && depth == 8 && colourType == 6 && compression == 0 && filter == 0 &&
           interlace == 0;
}

// The IDAT chunks in order, after an IHDR of the taken shape. An unknown critical chunk, which
// may change how the pixels read, or a chunk that runs past the end sends the picture elsewhere.
bool FindImageData(const uint8_t* data, size_t size, uint32_t maxDimension, uint64_t maxPixels, uint32_t& width,
                   uint32_t& height, std::vector<Span>& imageData) {
    size_t at = 8;
    bool headerSeen = false;
    while (size - at >= 12) {
        const uint32_t length = BigEndian32(data + at);
        const uint8_t* type = data + at + 4;
        if (length > size - at - 12) return false;
        const uint8_t* body = type + 4;
        if (!headerSeen) {
            if (!IsChunk(type, "IHDR") || length != 13 || !ReadRgbaHeader(body, maxDimension, maxPixels, width, height))
                return false;
            headerSeen = true;
        } else if (IsChunk(type, "IDAT")) {
            if (length != 0) imageData.push_back({body, length});
        } else if (IsChunk(type, "IEND")) {
            break;
        } else if ((type[0] & 0x20) == 0) {
            return false;
        }
        at += 12 + size_t{length};
    }
    return headerSeen && !imageData.empty();
}

// One inflate over the whole output, with Z_FINISH on the last chunk so that zlib keeps no window.
bool InflateAll(const std::vector<Span>& imageData, uint8_t* output, size_t outputSize) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    inflateValidate(&stream, 0);
    stream.next_out = output;
    stream.avail_out = static_cast<uInt>(outputSize);
    int result = Z_OK;
    for (size_t i = 0; i < imageData.size() && result == Z_OK && stream.avail_out != 0; ++i) {
        stream.next_in = const_cast<Bytef*>(imageData[i].data);
        stream.avail_in = imageData[i].size;
        result = inflate(&stream, i + 1 == imageData.size() ? Z_FINISH : Z_NO_FLUSH);
        if (result == Z_BUF_ERROR && stream.avail_out == 0) result = Z_OK;
    }
    inflateEnd(&stream);
    return (result == Z_OK || result == Z_STREAM_END) && stream.avail_out == 0;
}

uint8_t Paeth(int left, int above, int aboveLeft) {
    const int estimate = left + above - aboveLeft;
    const int toLeft = std::abs(estimate - left), toAbove = std::abs(estimate - above),
              toAboveLeft = std::abs(estimate - aboveLeft);
    if (toLeft <= toAbove && toLeft <= toAboveLeft) return static_cast<uint8_t>(left);
    return static_cast<uint8_t>(toAbove <= toAboveLeft ? above : aboveLeft);
}

bool UnfilterPlain(uint8_t filter, uint8_t* row, const uint8_t* above, size_t length) {
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (size_t i = kBytesPerPixel; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - kBytesPerPixel]);
        return true;
    case 2:
        for (size_t i = 0; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
        return true;
    case 3:
        for (size_t i = 0; i < kBytesPerPixel; ++i) row[i] = static_cast<uint8_t>(row[i] + (above[i] >> 1));
        for (size_t i = kBytesPerPixel; i < length; ++i)
            row[i] = static_cast<uint8_t>(row[i] + ((row[i - kBytesPerPixel] + above[i]) >> 1));
        return true;
    case 4:
        for (size_t i = 0; i < kBytesPerPixel; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
        for (size_t i = kBytesPerPixel; i < length; ++i) {
            row[i] = static_cast<uint8_t>(
                row[i] + Paeth(row[i - kBytesPerPixel], above[i], above[i - kBytesPerPixel]));
        }
        return true;
    default:
        return false;
    }
}

__attribute__((target("sse2"))) __m128i LoadPixel(const uint8_t* bytes) {
    int32_t pixel;
    std::memcpy(&pixel, bytes, sizeof pixel);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(pixel), _mm_setzero_si128());
}

__attribute__((target("sse2"))) void StorePixel(uint8_t* bytes, __m128i lanes) {
    const int32_t pixel = _mm_cvtsi128_si32(_mm_packus_epi16(lanes, lanes));
    std::memcpy(bytes, &pixel, sizeof pixel);
}

__attribute__((target("sse2"))) __m128i Select(__m128i where, __m128i chosen, __m128i otherwise) {
    return _mm_or_si128(_mm_and_si128(where, chosen), _mm_andnot_si128(where, otherwise));
}

__attribute__((target("sse2"))) __m128i Distance(__m128i lanes) {
    return _mm_max_epi16(lanes, _mm_sub_epi16(_mm_setzero_si128(), lanes));
}

// The Paeth predictor for the four bytes of a pixel at once, in 16-bit lanes.
__attribute__((target("sse2"))) __m128i PaethSse2(__m128i left, __m128i above, __m128i aboveLeft) {
    const __m128i towardsAbove = _mm_sub_epi16(above, aboveLeft), towardsLeft = _mm_sub_epi16(left, aboveLeft);
    const __m128i toLeft = Distance(towardsAbove), toAbove = Distance(towardsLeft),
                  toAboveLeft = Distance(_mm_add_epi16(towardsAbove, towardsLeft));
    const __m128i nearest = _mm_min_epi16(toAboveLeft, _mm_min_epi16(toLeft, toAbove));
    return Select(_mm_cmpeq_epi16(toLeft, nearest), left,
                  Select(_mm_cmpeq_epi16(toAbove, nearest), above, aboveLeft));
}

// A pixel at a time for the filters that build on the pixel to the left, sixteen bytes at a time
// for Up. The 16-bit lanes wrap as the bytes would once packed back.
__attribute__((target("sse2"))) bool UnfilterSse2(uint8_t filter, uint8_t* row, const uint8_t* above, size_t length) {
    const __m128i lowBytes = _mm_set1_epi16(0xFF);
    __m128i left = _mm_setzero_si128(), aboveLeft = _mm_setzero_si128();
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (size_t i = 0; i < length; i += kBytesPerPixel) {
            left = _mm_and_si128(_mm_add_epi16(LoadPixel(row + i), left), lowBytes);
            StorePixel(row + i, left);
        }
        return true;
    case 2: {
        size_t i = 0;
        for (; i + 16 <= length; i += 16) {
            const __m128i sum = _mm_add_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i)),
                                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + i)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), sum);
        }
        for (; i < length; ++i) row[i] = static_cast<uint8_t>(row[i] + above[i]);
        return true;
    }
    case 3:
        for (size_t i = 0; i < length; i += kBytesPerPixel) {
            const __m128i average = _mm_srli_epi16(_mm_add_epi16(left, LoadPixel(above + i)), 1);
            left = _mm_and_si128(_mm_add_epi16(LoadPixel(row + i), average), lowBytes);
            StorePixel(row + i, left);
        }
        return true;
    case 4:
        for (size_t i = 0; i < length; i += kBytesPerPixel) {
            const __m128i up = LoadPixel(above + i);
            left = _mm_and_si128(_mm_add_epi16(LoadPixel(row + i), PaethSse2(left, up, aboveLeft)), lowBytes);
            aboveLeft = up;
            StorePixel(row + i, left);
        }
        return true;
    default:
        return false;
    }
}

const bool kHasSse2 = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != 0;

}  // namespace

bool UnfilterRgbaRow(uint8_t filter, uint8_t* row, const uint8_t* above, size_t length, bool vector) {
    return vector && kHasSse2 ? UnfilterSse2(filter, row, above, length) : UnfilterPlain(filter, row, above, length);
}

std::optional<RgbaPngRows> InflateRgbaPng(const uint8_t* data, size_t size, uint32_t maxDimension, uint64_t maxPixels) {
    RgbaPngRows rows;
    std::vector<Span> imageData;
    if (!FindImageData(data, size, maxDimension, maxPixels, rows.width, rows.height, imageData)) return std::nullopt;
    const size_t stride = rows.Stride(), total = stride * rows.height;
    rows.bytes.reset(new uint8_t[total]);
    if (!InflateAll(imageData, rows.bytes.get(), total)) return std::nullopt;
    const std::vector<uint8_t> zeros(stride - 1);
    for (uint32_t y = 0; y < rows.height; ++y) {
        uint8_t* line = rows.bytes.get() + y * stride;
        const uint8_t* above = y == 0 ? zeros.data() : line - stride + 1;
        if (!UnfilterRgbaRow(line[0], line + 1, above, stride - 1, true)) return std::nullopt;
    }
    return rows;
}

}  // namespace UiLib
