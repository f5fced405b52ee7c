#include "tests/games/InstalledGameKeys.h"

#include <windows.h>

#include <algorithm>

#include "tests/support/LudoraProcess.h"

namespace {

const std::wstring kUninstallKey = L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

}  // namespace

InstalledGameKeys::InstalledGameKeys() : marker_(L"T" + std::to_wstring(GetCurrentProcessId()) + L"-") {}

InstalledGameKeys::~InstalledGameKeys() {
    for (const std::wstring& subkey : made_) DeleteMachineKey(kUninstallKey + L"\\" + subkey);
}

void InstalledGameKeys::Add(const std::wstring& subkey, const Values& values) {
    const std::wstring name = marker_ + subkey;
    made_.push_back(name);
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kUninstallKey + L"\\" + name).c_str(), 0, nullptr, 0,
                    KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr);
    for (const auto& value : values) WriteMachineString(kUninstallKey + L"\\" + name, value.first, value.second);
    if (key != nullptr) RegCloseKey(key);
}

std::vector<std::wstring> InstalledGameKeys::InEnumerationOrder() const {
    std::vector<std::wstring> order;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
        return order;
    wchar_t name[512];
    for (DWORD index = 0;; ++index) {
        DWORD length = 512;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (std::find(made_.begin(), made_.end(), name) != made_.end()) order.push_back(name);
    }
    RegCloseKey(key);
    return order;
}

std::vector<GameRecord> InstalledGameKeys::Own(const std::vector<GameRecord>& games) const {
    std::vector<GameRecord> own;
    for (const GameRecord& record : games) {
        if (record.name.compare(0, marker_.size(), marker_) == 0) own.push_back(record);
    }
    return own;
}
