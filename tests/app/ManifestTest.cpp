// The program's manifest as the system's loader reads it from the built program.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/LudoraProcess.h"

namespace {

// What the loader knows of the program's compatibility section. The layout of its elements grew
// between Windows versions, so the test looks for the identifiers' bytes rather than walking them.
std::vector<BYTE> CompatibilityInformation() {
    std::wstring program = LudoraExePath();
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = program.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE context = CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE) return {};
    std::vector<BYTE> buffer(4096);
    SIZE_T written = 0;
    if (!QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, buffer.data(), buffer.size(),
                      &written))
        written = 0;
    ReleaseActCtx(context);
    buffer.resize(written);
    return buffer;
}

bool Holds(const std::vector<BYTE>& information, const GUID& id) {
    const auto* bytes = reinterpret_cast<const BYTE*>(&id);
    return std::search(information.begin(), information.end(), bytes, bytes + sizeof(id)) != information.end();
}

}  // namespace

TEST(ManifestTest, DeclaresWindows7To11AsSupported) {
    std::vector<BYTE> information = CompatibilityInformation();
    ASSERT_GE(information.size(), sizeof(DWORD));
    EXPECT_EQ(reinterpret_cast<const ACTIVATION_CONTEXT_COMPATIBILITY_INFORMATION*>(information.data())->ElementCount,
              4u);
    EXPECT_TRUE(Holds(information, {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}}))
        << "Windows 7";
    EXPECT_TRUE(Holds(information, {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}}))
        << "Windows 8";
    EXPECT_TRUE(Holds(information, {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}}))
        << "Windows 8.1";
    EXPECT_TRUE(Holds(information, {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}}))
        << "Windows 10 and 11";
}
