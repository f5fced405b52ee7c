#include "UiLib/core/UIImage.h"

#include <climits>
#include <cstring>

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

namespace UiLib {
namespace {

struct StbPixels {
    stbi_uc* pixels;
    ~StbPixels() { stbi_image_free(pixels); }
};

HBITMAP CreateTopDownDib(int width, int height, void** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

// RGBA in, premultiplied BGRA out; returns whether any pixel ended up not fully opaque.
bool PremultiplyAndMask(const stbi_uc* source, uint32_t* target, size_t count, DWORD mask) {
    bool alpha = false;
    for (size_t i = 0; i < count; ++i, source += 4) {
        uint32_t rgba;  // 0xAABBGGRR on this little-endian machine
        std::memcpy(&rgba, source, 4);
        const uint32_t a = rgba >> 24;
        uint32_t pixel;
        if (a == 255) {
            pixel = (rgba & 0xFF00FF00u) | ((rgba & 0xFFu) << 16) | ((rgba >> 16) & 0xFFu);
        } else {
            const uint32_t r = (rgba & 0xFFu) * a / 255;
            const uint32_t g = ((rgba >> 8) & 0xFFu) * a / 255;
            const uint32_t b = ((rgba >> 16) & 0xFFu) * a / 255;
            pixel = (a << 24) | (r << 16) | (g << 8) | b;
            alpha = true;
        }
        const bool masked = pixel == mask;
        alpha |= masked;
        target[i] = masked ? 0 : pixel;
    }
    return alpha;
}

}  // namespace

TImageInfo::~TImageInfo() {
    if (hBitmap != nullptr) DeleteObject(hBitmap);
}

std::unique_ptr<TImageInfo> DecodeImage(const uint8_t* data, size_t size, DWORD mask) {
    if (data == nullptr || size == 0 || size > static_cast<size_t>(INT_MAX)) return nullptr;
    int width = 0, height = 0, components = 0;
    StbPixels decoded{stbi_load_from_memory(data, static_cast<int>(size), &width, &height, &components, 4)};
    if (decoded.pixels == nullptr || width <= 0 || height <= 0) return nullptr;

    void* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(width, height, &bits);
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap != nullptr) DeleteObject(bitmap);
        return nullptr;
    }
    auto image = std::make_unique<TImageInfo>();
    image->hBitmap = bitmap;
    image->bits = static_cast<const uint8_t*>(bits);
    image->width = width;
    image->height = height;
    image->mask = mask;
    image->alpha = PremultiplyAndMask(decoded.pixels, static_cast<uint32_t*>(bits),
                                      static_cast<size_t>(width) * static_cast<size_t>(height), mask);
    return image;
}

}  // namespace UiLib
