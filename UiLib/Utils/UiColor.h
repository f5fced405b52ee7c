#pragma once
#include <windows.h>

#include <cstdint>

namespace UiLib {

// A colour of the framework: 0xAARRGGBB. 0 means "none" or "the default".
using UiColor = uint32_t;

constexpr uint8_t AlphaOf(UiColor color) { return static_cast<uint8_t>(color >> 24); }
constexpr uint8_t RedOf(UiColor color) { return static_cast<uint8_t>(color >> 16); }
constexpr uint8_t GreenOf(UiColor color) { return static_cast<uint8_t>(color >> 8); }
constexpr uint8_t BlueOf(UiColor color) { return static_cast<uint8_t>(color); }

// GDI takes red, green and blue in the opposite byte order and has no alpha.
constexpr COLORREF ToColorRef(UiColor color) {
    return static_cast<COLORREF>(RedOf(color) | (GreenOf(color) << 8) | (BlueOf(color) << 16));
}

constexpr UiColor MakeColor(uint8_t alpha, uint8_t red, uint8_t green, uint8_t blue) {
    return (static_cast<UiColor>(alpha) << 24) | (static_cast<UiColor>(red) << 16) |
           (static_cast<UiColor>(green) << 8) | blue;
}

}  // namespace UiLib
