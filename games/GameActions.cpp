#include "games/GameActions.h"

#include <shlwapi.h>


namespace {

bool FileExists(const std::wstring& path) { return !path.empty() && PathFileExistsW(path.c_str()) != FALSE; }

}  // namespace

std::wstring PathKey(const std::wstring& path) {
    std::wstring key = NativePath(path);
    // Most paths are plain ASCII, lowered here: the system's call costs a great deal more, and the
    // column asks for thousands of games at start.
    bool plain = true;
    for (wchar_t& c : key) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        else if (c > 0x7F) plain = false;
    }
    if (!plain) ::CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

std::wstring FolderOf(const std::wstring& path) {
    size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) return std::wstring();
    // "C:" alone would name the drive's current folder, not its root.
    if (slash == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, slash);
}

std::optional<ScopedHandle> StartGame(const std::wstring& path) {
    if (!FileExists(path)) return std::nullopt;
    const std::wstring native = NativePath(path);
    return OpenAsPlayer(native, FolderOf(native)).process;
}

bool OpenGameFolder(const std::wstring& path) {
    std::wstring folder = FolderOf(NativePath(path));
    // Given a name that is no folder, the shell would look for a program of that name and run it.
    if (folder.empty() || !PathIsDirectoryW(folder.c_str())) return false;
    return OpenFolderAsPlayer(folder).Started();
}

ScopedHandle StartUninstaller(const std::wstring& uninstallString, bool& missing) {
    CommandParts parts = SplitCommand(uninstallString);
    std::wstring executable = NativePath(parts.executable);
    missing = !FileExists(executable);
    if (missing) return nullptr;
    // The executable is named apart from the command line, so that a path with blanks can never
    // start another program; the command line keeps the arguments as the installer wrote them.
    return StartAsPlayer(executable, parts.arguments, FolderOf(executable)).process;
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
