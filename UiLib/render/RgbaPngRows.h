#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace UiLib {

// The unfiltered rows of a PNG picture in the skin's usual shape: 8-bit RGBA, not interlaced.
struct RgbaPngRows {
    uint32_t width = 0;
    uint32_t height = 0;
    std::unique_ptr<uint8_t[]> bytes;  // each row: its filter byte, then width * 4 bytes

    size_t Stride() const { return 1 + size_t{width} * 4; }
    const uint8_t* Row(uint32_t y) const { return bytes.get() + y * Stride() + 1; }
};

// Inflates the whole picture in one call of zlib, whose fast loop then covers nearly every byte,
// and unfilters it in place. Nothing for a picture of another shape, of more than `maxPixels`
// pixels or of more than `maxDimension` on a side, and for a broken one: the caller's general
// decoders take those. Checksums are not enforced, as the general decoders do not enforce them.
std::optional<RgbaPngRows> InflateRgbaPng(const uint8_t* data, size_t size, uint32_t maxDimension, uint64_t maxPixels);

// Undoes one row's PNG filter in place; `above` is the row before, already unfiltered (zeros for
// the first row). `vector` takes the SSE2 path where the processor has it. False for an unknown
// filter.
bool UnfilterRgbaRow(uint8_t filter, uint8_t* row, const uint8_t* above, size_t length, bool vector);

}  // namespace UiLib
