#include "tests/UiLib/support/SkinFolder.h"

#include "UiLib/core/UIManager.h"
#include "tests/UiLib/core/SkinFixtures.h"

namespace {

std::vector<SkinFixtures::Rgba> ToRgba(const std::vector<uint32_t>& pixels) {
    std::vector<SkinFixtures::Rgba> rgba;
    rgba.reserve(pixels.size());
    for (uint32_t p : pixels)
        rgba.push_back(SkinFixtures::Rgba{static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
                                          static_cast<uint8_t>(p), static_cast<uint8_t>(p >> 24)});
    return rgba;
}

}  // namespace

SkinFolder::SkinFolder() { UiLib::CPaintManagerUI::SetResourcePath(folder_.Path().c_str()); }

SkinFolder::~SkinFolder() { UiLib::CPaintManagerUI::SetResourcePath(nullptr); }

void SkinFolder::AddPng(const std::wstring& name, int width, int height, const std::vector<uint32_t>& pixels) {
    WriteFileBytes(folder_.File(name), SkinFixtures::EncodePng(width, height, ToRgba(pixels)));
}

void SkinFolder::AddBmp(const std::wstring& name, int width, int height, const std::vector<uint32_t>& pixels) {
    WriteFileBytes(folder_.File(name), SkinFixtures::EncodeBmp(width, height, ToRgba(pixels)));
}
