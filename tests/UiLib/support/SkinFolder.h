#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/TestFolder.h"

// A temporary skin folder that is the resource path for its lifetime; images are written into
// it by the tests.
class SkinFolder {
public:
    SkinFolder();
    ~SkinFolder();

    // `pixels` are 0xAARRGGBB, row by row from the top.
    void AddPng(const std::wstring& name, int width, int height, const std::vector<uint32_t>& pixels);
    void AddBmp(const std::wstring& name, int width, int height, const std::vector<uint32_t>& pixels);
    // The full path of a file in the folder.
    std::wstring File(const std::wstring& name) const { return folder_.File(name); }

private:
    TestFolder folder_;
};
