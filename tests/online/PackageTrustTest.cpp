#include "online/PackageTrust.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "shared/ScopedHandle.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

// This test program is signed as the build signs Ludora.exe, so it trusts what the program trusts.
//
// What Wine shows: its trust provider refuses an unsigned file, a changed one (bad digest) and a
// bad signature value itself, as Windows does. It reports the self-signed development certificate
// as trusted where Windows reports an untrusted root; that answer, accepted only because the signer
// is pinned to the program's own, is therefore not seen under Wine.
namespace {

std::wstring UpdatePackage(const wchar_t* name) { return HostPathToWindows(UPDATE_PACKAGES) + L"\\" + name; }

ScopedHandle OpenForReading(const std::wstring& path) {
    return AdoptFileHandle(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool Trusted(const std::wstring& path, const std::wstring& version) {
    ScopedHandle package = OpenForReading(path);
    EXPECT_TRUE(package) << "cannot open " << std::string(path.begin(), path.end());
    return package && IsTrustedPackage(package.get(), version);
}

}  // namespace

TEST(PackageTrust, TrustsAProgramSignedByTheSamePublisherWithTheAnnouncedVersion) {
    EXPECT_TRUE(Trusted(UpdatePackage(L"signed.exe"), L"1.0.0.1"));
    EXPECT_TRUE(Trusted(UpdatePackage(L"signed.exe"), L"")) << "no version asked for";
    EXPECT_TRUE(Trusted(LudoraExePath(), L"1.0.0.0"));
}

TEST(PackageTrust, RefusesWhatItCannotVouchFor) {
    EXPECT_FALSE(Trusted(UpdatePackage(L"other-signer.exe"), L"1.0.0.1")) << "the same name with another key";
    EXPECT_FALSE(Trusted(UpdatePackage(L"unsigned.exe"), L"1.0.0.1"));
    EXPECT_FALSE(Trusted(UpdatePackage(L"changed-after-signing.exe"), L"1.0.0.1"));
    EXPECT_FALSE(Trusted(UpdatePackage(L"changed-after-signing.exe"), L""));
    EXPECT_FALSE(Trusted(UpdatePackage(L"signed.exe"), L"1.0.0.2")) << "another version";
    EXPECT_FALSE(Trusted(LudoraExePath(), L"1.0.0.1")) << "an older signed program";

    TestFolder folder;
    WriteFileBytes(folder.File(L"page.html"), "<html>error</html>");
    EXPECT_FALSE(Trusted(folder.File(L"page.html"), L""));
    // A signature value that its certificate's key did not make: the signature ends the file.
    std::string program = ReadFileBytes(UpdatePackage(L"signed.exe"));
    program[program.size() - 100] = static_cast<char>(program[program.size() - 100] ^ 0x5A);
    WriteFileBytes(folder.File(L"bad-signature.exe"), program);
    EXPECT_FALSE(Trusted(folder.File(L"bad-signature.exe"), L"1.0.0.1"));

    // A running program without a valid signature vouches for nothing, not even itself.
    ScopedHandle signedPackage = OpenForReading(UpdatePackage(L"signed.exe"));
    ScopedHandle unsignedProgram = OpenForReading(UpdatePackage(L"unsigned.exe"));
    ScopedHandle changedProgram = OpenForReading(UpdatePackage(L"changed-after-signing.exe"));
    EXPECT_FALSE(IsTrustedPackageOf(signedPackage.get(), L"1.0.0.1", unsignedProgram.get()));
    EXPECT_FALSE(IsTrustedPackageOf(signedPackage.get(), L"1.0.0.1", changedProgram.get()));
    EXPECT_FALSE(IsTrustedPackageOf(unsignedProgram.get(), L"", unsignedProgram.get()));
}
