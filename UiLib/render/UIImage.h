#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace UiLib {

// One decoded image: a 32-bit top-down DIB section in blue-green-red-alpha order with premultiplied
// alpha. (Plain bitmaps would be cheaper to make, but drawing from them is several times slower.)
// The record owns its bitmap and deletes it.
struct TImageInfo {
    TImageInfo() = default;
    ~TImageInfo();
    TImageInfo(const TImageInfo&) = delete;
    TImageInfo& operator=(const TImageInfo&) = delete;

    HBITMAP hBitmap = nullptr;
    int width = 0;
    int height = 0;
    bool alpha = false;         // some pixel is not fully opaque (after masking)
    std::wstring resourceType;  // module resource type it came from; empty for files and members
    DWORD mask = 0;             // 0xAARRGGBB colour made transparent when decoding
    int renderPercent = 100;    // the render's size in percent of the 1x picture
};

// Decodes PNG, JPEG, BMP or GIF bytes. A pixel whose premultiplied value, read as 0xAARRGGBB, equals
// `mask` becomes fully transparent. Null for anything that is not a decodable image.
std::unique_ptr<TImageInfo> DecodeImage(const uint8_t* data, size_t size, DWORD mask);

// The image's pixels, top row first, each 0xAARRGGBB premultiplied; empty when they cannot be read.
std::vector<uint32_t> ReadPixels(const TImageInfo& image);

// The image resampled to `width` by `height`: each new pixel is the mean of the area of the old
// picture it covers, so a picture scaled for a DPI between its renders stays smooth where a
// stretched blit would drop or double pixels. Null when it cannot be made.
std::unique_ptr<TImageInfo> ResampleImage(const TImageInfo& image, int width, int height);

}  // namespace UiLib
