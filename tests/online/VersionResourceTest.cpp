#include "online/VersionResource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "shared/ScopedHandle.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

namespace {

std::wstring VersionOf(const std::wstring& path) {
    ScopedHandle file = AdoptFileHandle(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? ImageFileVersion(file.get()) : L"not opened";
}

void WriteAt(HANDLE file, size_t offset, char byte) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, &byte, 1, &written, &at));
}

}  // namespace

TEST(ImageFileVersion, ReadsTheFileVersionOfAProgram) {
    EXPECT_EQ(VersionOf(LudoraExePath()), L"1.0.0.0");
    EXPECT_EQ(VersionOf(HostPathToWindows(UPDATE_PACKAGES) + L"\\signed.exe"), L"1.0.0.1");
}

// The package comes from the network: a cut or changed file gives no version or a wrong one, and
// never a read outside the file.
TEST(ImageFileVersion, ABrokenFileGivesNoVersionAndIsReadOnlyWithinItsBounds) {
    TestFolder folder;
    const std::string program = ReadFileBytes(HostPathToWindows(UPDATE_PACKAGES) + L"\\unsigned.exe");
    ASSERT_GT(program.size(), 0x2000u);
    for (size_t size : {size_t{0}, size_t{2}, size_t{0x40}, size_t{0x100}, size_t{0x3ff}}) {
        WriteFileBytes(folder.File(L"cut.exe"), program.substr(0, size));
        EXPECT_EQ(VersionOf(folder.File(L"cut.exe")), L"") << size;
    }
    for (size_t size : {program.size() / 2, program.size() - 1}) {
        WriteFileBytes(folder.File(L"cut.exe"), program.substr(0, size));
        const std::wstring version = VersionOf(folder.File(L"cut.exe"));
        EXPECT_TRUE(version.empty() || version == L"1.0.0.1") << size;
    }
    WriteFileBytes(folder.File(L"html.exe"), "<html>MZ</html>");
    EXPECT_EQ(VersionOf(folder.File(L"html.exe")), L"");

    // Every byte of the headers and of the version resource's start changed, one at a time.
    const std::string key("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0", 30);
    const size_t versionStart = program.find(key);
    ASSERT_NE(versionStart, std::string::npos);
    std::vector<size_t> offsets;
    for (size_t offset = 0; offset < 0x400; ++offset) offsets.push_back(offset);
    for (size_t offset = versionStart - 6; offset < versionStart + 96; ++offset) offsets.push_back(offset);
    WriteFileBytes(folder.File(L"changed.exe"), program);
    ScopedHandle file = AdoptFileHandle(CreateFileW(folder.File(L"changed.exe").c_str(), GENERIC_READ | GENERIC_WRITE,
                                                    0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    for (size_t offset : offsets) {
        WriteAt(file.get(), offset, static_cast<char>(program[offset] ^ 0x80));
        ImageFileVersion(file.get());
        WriteAt(file.get(), offset, program[offset]);
    }
    EXPECT_EQ(ImageFileVersion(file.get()), L"1.0.0.1");
}
