#include "UiLib/render/UIResource.h"

#include <gtest/gtest.h>

#include "UiLib/render/UISkinArchive.h"
#include "tests/UiLib/core/SkinFixtures.h"
#include "tests/support/TestFolder.h"

using namespace UiLib;
using namespace SkinFixtures;

namespace {

class ResourceConfig : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        CResourceConfig::SetResourceZip(static_cast<const wchar_t*>(nullptr), false);
        CResourceConfig::SetResourcePath(nullptr);
    }
    static std::string ReadAll(const std::wstring& name) {
        std::vector<uint8_t> bytes;
        if (ReadSkinFile(name, 1u << 20, bytes) != ResourceReadStatus::Ok) return "<none>";
        return std::string(bytes.begin(), bytes.end());
    }
    TestFolder folder;
};

std::string OnePixelPng(Rgba colour) { return EncodePng(1, 1, {colour}); }

}  // namespace

TEST_F(ResourceConfig, ResourcePathGainsOneSeparator) {
    CResourceConfig::SetResourcePath(L"C:\\skin");
    EXPECT_EQ(CResourceConfig::GetResourcePath(), L"C:\\skin\\");
    CResourceConfig::SetResourcePath(L"C:/skin/");
    EXPECT_EQ(CResourceConfig::GetResourcePath(), L"C:/skin/");
    CResourceConfig::SetResourcePath(L"C:\\skin\\");
    EXPECT_EQ(CResourceConfig::GetResourcePath(), L"C:\\skin\\");
    CResourceConfig::SetResourcePath(L"");
    EXPECT_EQ(CResourceConfig::GetResourcePath(), L"");
    CResourceConfig::SetResourcePath(nullptr);
    EXPECT_EQ(CResourceConfig::GetResourcePath(), L"");
}

TEST_F(ResourceConfig, InstancePathAndResourceModule) {
    CResourceConfig::SetInstance(GetModuleHandleW(nullptr));
    const std::wstring path = CResourceConfig::GetInstancePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.back(), L'\\');
    EXPECT_EQ(CResourceConfig::GetResourceInstance(), GetModuleHandleW(nullptr));
    HMODULE other = GetModuleHandleW(L"kernel32.dll");
    CResourceConfig::SetResourceInstance(other);
    EXPECT_EQ(CResourceConfig::GetResourceInstance(), other);
    CResourceConfig::SetResourceInstance(nullptr);
}

TEST_F(ResourceConfig, TheFirstMemoryArchiveStays) {
    const std::string first = BuildZip({Stored("which.txt", "first")});
    const std::string second = BuildZip({Stored("which.txt", "second")});
    CResourceConfig::SetResourceZip(first.data(), first.size());
    EXPECT_EQ(CResourceConfig::GetResourceZip(), L"membuffer");
    EXPECT_TRUE(CResourceConfig::IsCachedResourceZip());
    CSkinArchive* handle = CResourceConfig::GetResourceZipHandle();
    ASSERT_NE(handle, nullptr);
    CResourceConfig::SetResourceZip(second.data(), second.size());
    EXPECT_EQ(CResourceConfig::GetResourceZipHandle(), handle);
    EXPECT_EQ(ReadAll(L"WHICH.TXT"), "first");
}

TEST_F(ResourceConfig, FilesComeFromTheFolderOrTheArchiveNeverBoth) {
    CResourceConfig::SetResourcePath(folder.Path().c_str());
    WriteFileBytes(folder.File(L"loose.xml"), "loose");
    WriteFileBytes(folder.File(L"skin.zip"), BuildZip({Deflated("inside.xml", "inside")}));
    EXPECT_EQ(ReadAll(L"loose.xml"), "loose");
    EXPECT_EQ(ReadAll(L"inside.xml"), "<none>");

    CResourceConfig::SetResourceZip(L"skin.zip", false);  // opened for each lookup
    EXPECT_EQ(CResourceConfig::GetResourceZipHandle(), nullptr);
    EXPECT_EQ(ReadAll(L"inside.xml"), "inside");
    EXPECT_EQ(ReadAll(L"loose.xml"), "<none>");

    CResourceConfig::SetResourceZip(L"skin.zip", true);  // opened once and kept
    EXPECT_NE(CResourceConfig::GetResourceZipHandle(), nullptr);
    EXPECT_EQ(ReadAll(L"inside.xml"), "inside");
    CResourceConfig::CloseResourceZip();
    EXPECT_EQ(CResourceConfig::GetResourceZipHandle(), nullptr);
}

TEST_F(ResourceConfig, ImagesFallBackToTheBareName) {
    CResourceConfig::SetResourcePath(folder.Path().c_str());
    const std::string zip = BuildZip({Stored("img/red.png", OnePixelPng({255, 0, 0, 255}))});
    CResourceConfig::SetResourceZip(zip.data(), zip.size());
    WriteFileBytes(folder.File(L"blue.png"), OnePixelPng({0, 0, 255, 255}));

    auto red = LoadImageRecord(L"IMG\\Red.png", nullptr, 0);
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(ReadPixels(*red).at(0), 0xFFFF0000u);
    EXPECT_TRUE(red->resourceType.empty());
    // Not in the archive: the name itself is a path.
    auto blue = LoadImageRecord(folder.File(L"blue.png"), nullptr, 0);
    ASSERT_NE(blue, nullptr);
    EXPECT_EQ(ReadPixels(*blue).at(0), 0xFF0000FFu);
    EXPECT_EQ(LoadImageRecord(L"blue.png", nullptr, 0), nullptr);
    // With a resource type the name must be a number, and nothing else is tried.
    EXPECT_EQ(LoadImageRecord(folder.File(L"blue.png"), L"PNG", 0), nullptr);
    EXPECT_EQ(LoadImageRecord(L"777", L"PNG", 0), nullptr);
}

TEST_F(ResourceConfig, DefaultFontName) {
    CResourceConfig::SetDefaultFontName(L"宋体");
    EXPECT_EQ(CResourceConfig::GetDefaultFontName(), L"宋体");
    CResourceConfig::SetDefaultFontName(nullptr);
    EXPECT_EQ(CResourceConfig::GetDefaultFontName(), L"");
}
