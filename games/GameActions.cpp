#include "games/GameActions.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <vector>

namespace {

bool FileExists(const std::wstring& path) { return !path.empty() && PathFileExistsW(path.c_str()) != FALSE; }

std::wstring TrimLeft(const std::wstring& text) {
    size_t start = text.find_first_not_of(L" \t");
    return start == std::wstring::npos ? std::wstring() : text.substr(start);
}

}  // namespace

std::wstring NativePath(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring PathKey(const std::wstring& path) {
    std::wstring key = NativePath(path);
    if (!key.empty()) ::CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    // "C:" alone would name the drive's current folder, not its root.
    if (slash == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, slash);
}

CommandParts SplitCommand(const std::wstring& command) {
    std::wstring text = TrimLeft(command);
    if (!text.empty() && text[0] == L'"') {
        size_t close = text.find(L'"', 1);
        if (close == std::wstring::npos) return CommandParts{text.substr(1), std::wstring()};
        return CommandParts{text.substr(1, close - 1), TrimLeft(text.substr(close + 1))};
    }
    // Unquoted, a path may hold blanks: the longest leading part that names a file wins.
    std::vector<size_t> ends;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == L' ') ends.push_back(i);
    ends.push_back(text.size());
    for (auto end = ends.rbegin(); end != ends.rend(); ++end) {
        std::wstring candidate = text.substr(0, *end);
        if (FileExists(NativePath(candidate))) return CommandParts{candidate, TrimLeft(text.substr(*end))};
    }
    size_t blank = text.find(L' ');
    if (blank == std::wstring::npos) return CommandParts{text, std::wstring()};
    return CommandParts{text.substr(0, blank), TrimLeft(text.substr(blank))};
}

std::optional<ScopedHandle> StartGame(const std::wstring& path) {
    if (!FileExists(path)) return std::nullopt;
    const std::wstring native = NativePath(path);
    const std::wstring folder = FolderOf(native);
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOCLOSEPROCESS;
    start.lpVerb = L"open";
    start.lpFile = native.c_str();
    start.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&start)) return ScopedHandle();
    return ScopedHandle(start.hProcess);
}

bool OpenGameFolder(const std::wstring& path) {
    std::wstring folder = FolderOf(NativePath(path));
    // Given a name that is no folder, the shell would look for a program of that name and run it.
    if (folder.empty() || !PathIsDirectoryW(folder.c_str())) return false;
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result >= 32;
}

ScopedHandle StartUninstaller(const std::wstring& uninstallString, bool& missing) {
    CommandParts parts = SplitCommand(uninstallString);
    std::wstring executable = NativePath(parts.executable);
    missing = !FileExists(executable);
    if (missing) return nullptr;
    // The executable is named apart from the command line, so that a path with blanks can never
    // start another program; the command line keeps the arguments as the installer wrote them.
    std::wstring commandLine = L"\"" + executable + L"\"";
    if (!parts.arguments.empty()) commandLine += L" " + parts.arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    std::wstring folder = FolderOf(executable);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(executable.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started))
        return nullptr;
    CloseHandle(started.hThread);
    return ScopedHandle(started.hProcess);
}

bool WaitForUninstall(HANDLE uninstaller) {
    WaitForSingleObject(uninstaller, INFINITE);
    DWORD secondId = 0;
    if (!GetExitCodeProcess(uninstaller, &secondId) || secondId == 0) return false;
    ScopedHandle second(OpenProcess(SYNCHRONIZE, FALSE, secondId));
    if (!second) return false;
    WaitForSingleObject(second.get(), INFINITE);
    return true;
}

bool GameFilesGone(const std::wstring& path, const std::wstring& uninstallString) {
    return !FileExists(NativePath(path)) && !FileExists(NativePath(SplitCommand(uninstallString).executable));
}
