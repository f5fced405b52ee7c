#include "shared/DataFolder.h"

#include <windows.h>
#include <shlwapi.h>

namespace {

void CreateFolderIfMissing(const std::wstring& folder) {
    if (!PathFileExistsW(folder.c_str())) CreateDirectoryW(folder.c_str(), nullptr);
}

unsigned long OsMajorVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&info);
#pragma GCC diagnostic pop
    return info.dwMajorVersion;
}

}  // namespace

std::wstring DataFolderForMajorVersion(unsigned long majorVersion) {
    if (majorVersion > 5) return L"C:\\ProgramData\\Ludora";
    return L"C:\\Documents and Settings\\All Users\\Application Data\\Ludora";
}

void EnsureDataFolders(const std::wstring& folder) {
    CreateFolderIfMissing(folder);
    CreateFolderIfMissing(folder + L"\\Patchs");
}

std::wstring GetDataFolder() {
    std::wstring folder = DataFolderForMajorVersion(OsMajorVersion());
    EnsureDataFolders(folder);
    return folder;
}
