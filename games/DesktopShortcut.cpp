#include "games/DesktopShortcut.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <cwchar>
#include <vector>

#include "games/GameActions.h"
#include "games/StartLink.h"
#include "shared/ComPtr.h"
#include "shared/PlayerRights.h"
#include "shared/TempFile.h"

namespace {

// Long names are cut: the desktop's path and ".lnk" must still fit in a path.
constexpr size_t kMaxFileNameLength = 100;

bool IsDeviceName(const std::wstring& name) {
    const std::wstring stem = name.substr(0, name.find(L'.'));
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL"};
    for (const wchar_t* device : kDevices)
        if (_wcsicmp(stem.c_str(), device) == 0) return true;
    return stem.size() == 4 && (_wcsnicmp(stem.c_str(), L"COM", 3) == 0 || _wcsnicmp(stem.c_str(), L"LPT", 3) == 0) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

std::wstring DesktopFolder() {
    PWSTR path = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_Desktop, 0, nullptr, &path))) return {};
    std::wstring folder = path;
    CoTaskMemFree(path);
    return folder;
}

// The shortcut's bytes, as the shell would write them to its file.
std::vector<char> ShortcutBytes(const GameRecord& game, const std::wstring& program) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.OutVoid())))
        return {};
    const std::wstring gamePath = NativePath(game.path);
    if (FAILED(link->SetPath(program.c_str())) || FAILED(link->SetArguments(StartArguments(game.name).c_str())) ||
        FAILED(link->SetWorkingDirectory(FolderOf(program).c_str())) ||
        FAILED(link->SetIconLocation(gamePath.c_str(), 0)))
        return {};
    ComPtr<IPersistStream> persist;
    ComPtr<IStream> stream;
    if (FAILED(link->QueryInterface(IID_IPersistStream, persist.OutVoid())) ||
        FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Out())) || FAILED(persist->Save(stream.Get(), TRUE)))
        return {};
    HGLOBAL memory = nullptr;
    if (FAILED(GetHGlobalFromStream(stream.Get(), &memory))) return {};
    STATSTG status{};
    if (FAILED(stream->Stat(&status, STATFLAG_NONAME))) return {};
    const auto* bytes = static_cast<const char*>(GlobalLock(memory));
    if (bytes == nullptr) return {};
    std::vector<char> copy(bytes, bytes + static_cast<size_t>(status.cbSize.QuadPart));
    GlobalUnlock(memory);
    return copy;
}

}  // namespace

std::wstring ShortcutFileName(const std::wstring& gameName) {
    std::wstring name;
    for (wchar_t c : gameName) name += (c < 0x20 || wcschr(L"<>:\"/\\|?*", c)) ? L'_' : c;
    if (name.size() > kMaxFileNameLength) name.resize(kMaxFileNameLength);
    // The system drops blanks and dots at the end of a file name, and a leading blank hides it.
    const size_t first = name.find_first_not_of(L" ");
    const size_t last = name.find_last_not_of(L" .");
    name = first == std::wstring::npos || last == std::wstring::npos ? std::wstring() : name.substr(first, last - first + 1);
    if (name.empty()) name = L"游戏";
    if (IsDeviceName(name)) name = L"_" + name;
    return name + L".lnk";
}

// The manager has administrator rights and the desktop belongs to the player: the file is written
// new beside its place and moved over it, so that a link planted under its name is replaced, never
// written through.
std::wstring CreateDesktopShortcut(const GameRecord& game, const std::wstring& program) {
    ScopedComApartment com;
    const std::wstring desktop = DesktopFolder();
    const std::vector<char> bytes = ShortcutBytes(game, program);
    if (desktop.empty() || bytes.empty()) return {};
    const std::wstring path = desktop + L"\\" + ShortcutFileName(game.name);
    std::optional<TempFile> file = TempFile::CreateBeside(path);
    if (!file || !file->Write(bytes.data(), bytes.size()) || !file->ReplaceTarget()) return {};
    SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSHNOWAIT, path.c_str(), nullptr);
    return path;
}
