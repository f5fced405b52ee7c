#pragma once
// What both demo programs need: their arguments, file names, UTF-8 text files and the rights
// they run with.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace demo {

inline std::vector<std::wstring> Arguments() {
    int count = 0;
    LPWSTR* list = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 1; list && i < count; ++i) arguments.emplace_back(list[i]);
    if (list) ::LocalFree(list);
    return arguments;
}

inline std::wstring OwnPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

inline std::wstring CurrentFolder() {
    DWORD length = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(length, L'\0');
    folder.resize(::GetCurrentDirectoryW(length, folder.data()));
    return folder;
}

inline std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// Writes `text` as UTF-8 at the end of the file, or into a new file when `append` is false.
inline bool WriteText(const std::wstring& path, const std::wstring& text, bool append) {
    HANDLE file = ::CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string bytes = Utf8(text);
    DWORD written = 0;
    bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    ::CloseHandle(file);
    return ok;
}

// The rights this program runs with: whether its token is elevated, the token's elevation type (1
// default, 2 full, 3 limited) and whether the Administrators group counts in it, as
// "elevated=0 elevation-type=3 administrators=0"; -1 for what cannot be read.
inline std::wstring TokenRecord() {
    int elevated = -1, elevationType = -1;
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        TOKEN_ELEVATION elevation{};
        TOKEN_ELEVATION_TYPE type{};
        DWORD size = 0;
        if (::GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size))
            elevated = elevation.TokenIsElevated ? 1 : 0;
        if (::GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size)) elevationType = type;
        ::CloseHandle(token);
    }
    int administrators = -1;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof(sid);
    BOOL member = FALSE;
    if (::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize) &&
        ::CheckTokenMembership(nullptr, sid, &member))
        administrators = member ? 1 : 0;
    return L"elevated=" + std::to_wstring(elevated) + L" elevation-type=" + std::to_wstring(elevationType) +
           L" administrators=" + std::to_wstring(administrators);
}

}  // namespace demo
