#pragma once
#include <string>

// A fresh folder under the temporary folder, removed with everything in it at the end of a test.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);

// A Unix path of the build tree as the Windows programs see it (drive Z:).
std::wstring HostPathToWindows(const std::wstring& unixPath);

// The owner and DACL of a file or folder, as SDDL ("O:BAD:PAI(A;OICI;FA;;;SY)...").
std::wstring SecuritySddl(const std::wstring& path);
// Whether the platform keeps the rights given to a file. Wine does not: it keeps only Unix
// permission bits, which read back as entries of the account that runs and of Everyone.
bool PlatformKeepsFileRights();
// `path` holds exactly the rights `expected` (SDDL) where the platform keeps them; under Wine,
// Everyone, to whom those rights give nothing, has no entry (the Unix "other" bits are clear).
void ExpectRights(const std::wstring& path, const std::wstring& expected);
// Gives Everyone full control of `path`, as a careless or hostile program might.
bool GrantEveryoneFullControl(const std::wstring& path);
