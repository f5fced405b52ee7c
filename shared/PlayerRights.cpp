#include "shared/PlayerRights.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "shared/ComPtr.h"

namespace {

// Declared by the headers of newer systems than the build names; the values are fixed.
constexpr DWORD kErrorElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED
// A link scheme's association follows the player's choice of default browser (Windows 8 and later).
constexpr ASSOCF kAssociationIsProtocol = 0x00001000;  // ASSOCF_IS_PROTOCOL

bool FileExists(const std::wstring& path) { return !path.empty() && PathFileExistsW(path.c_str()) != FALSE; }

std::wstring TrimLeft(const std::wstring& text) {
    size_t start = text.find_first_not_of(L" \t");
    return start == std::wstring::npos ? std::wstring() : text.substr(start);
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

bool HasExtension(const std::wstring& path, std::initializer_list<const wchar_t*> extensions) {
    const std::wstring extension = Lower(PathFindExtensionW(path.c_str()));
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](const wchar_t* candidate) { return extension == candidate; });
}

std::wstring ExpandEnvironment(const std::wstring& text) {
    DWORD length = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (length == 0) return text;
    std::wstring expanded(length, L'\0');
    expanded.resize(ExpandEnvironmentStringsW(text.c_str(), &expanded[0], length));
    if (!expanded.empty() && expanded.back() == L'\0') expanded.pop_back();
    return expanded;
}

// The token of this process is elevated; a token that cannot be read counts as elevated, so that
// nothing is started with more rights than meant.
bool RunsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return true;
    ScopedHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size)) return true;
    return elevation.TokenIsElevated != 0;
}

// The desktop shell's process, which runs with the player's own token; null when no shell runs.
ScopedHandle ShellProcess() {
    HWND shell = GetShellWindow();
    DWORD id = 0;
    if (!shell || !GetWindowThreadProcessId(shell, &id) || id == 0) return nullptr;
    return ScopedHandle(OpenProcess(PROCESS_CREATE_PROCESS, FALSE, id));
}

// The attribute that makes `parent` the parent of a new process, which then takes its token.
class ParentAttribute {
public:
    explicit ParentAttribute(HANDLE parent) : parent_(parent) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        list_ = list;
        if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_PARENT_PROCESS, &parent_, sizeof(parent_),
                                       nullptr, nullptr))
            Reset();
    }
    ~ParentAttribute() { Reset(); }
    ParentAttribute(const ParentAttribute&) = delete;
    ParentAttribute& operator=(const ParentAttribute&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return list_; }

private:
    void Reset() {
        if (list_) DeleteProcThreadAttributeList(list_);
        list_ = nullptr;
    }

    HANDLE parent_;  // the list points at this member
    std::vector<unsigned char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// Without a shell to take the token from, the manager's own token made plain: the Administrators
// group only denies, no privilege but the everyday one, medium integrity. Null when any step fails.
ScopedHandle PlainToken() {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_QUERY | TOKEN_ADJUST_DEFAULT,
                          &own))
        return nullptr;
    ScopedHandle ownToken(own);
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(administrators);
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) return nullptr;
    SID_AND_ATTRIBUTES denied{administrators, 0};
    HANDLE restricted = nullptr;
    if (!CreateRestrictedToken(own, DISABLE_MAX_PRIVILEGE, 1, &denied, 0, nullptr, 0, nullptr, &restricted))
        return nullptr;
    ScopedHandle token(restricted);
    BYTE medium[SECURITY_MAX_SID_SIZE];
    size = sizeof(medium);
    if (!CreateWellKnownSid(WinMediumLabelSid, nullptr, medium, &size)) return nullptr;
    TOKEN_MANDATORY_LABEL label{};
    label.Label.Sid = medium;
    label.Label.Attributes = SE_GROUP_INTEGRITY;
    if (!SetTokenInformation(token.get(), TokenIntegrityLevel, &label, sizeof(label) + GetLengthSid(medium)))
        return nullptr;
    return token;
}

struct ProcessRequest {
    std::wstring executable;
    std::wstring commandLine;
    std::wstring folder;
};

StartedProgram Finish(BOOL created, PROCESS_INFORMATION& started) {
    if (!created) return StartedProgram{nullptr, GetLastError()};
    CloseHandle(started.hThread);
    return StartedProgram{ScopedHandle(started.hProcess), ERROR_SUCCESS};
}

STARTUPINFOW ShownNormally() {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    return startup;
}

std::vector<wchar_t> Writable(const std::wstring& text) {
    std::vector<wchar_t> buffer(text.begin(), text.end());
    buffer.push_back(L'\0');
    return buffer;
}

const wchar_t* FolderOrNull(const ProcessRequest& request) {
    return request.folder.empty() ? nullptr : request.folder.c_str();
}

StartedProgram CreateAsCaller(const ProcessRequest& request) {
    std::vector<wchar_t> commandLine = Writable(request.commandLine);
    STARTUPINFOW startup = ShownNormally();
    PROCESS_INFORMATION started{};
    return Finish(CreateProcessW(request.executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 FolderOrNull(request), &startup, &started),
                  started);
}

// The new process takes the token of `parent`; its handle still comes back to the caller.
StartedProgram CreateUnderParent(const ProcessRequest& request, HANDLE parent) {
    ParentAttribute attribute(parent);
    if (!attribute.List()) return StartedProgram{nullptr, GetLastError()};
    std::vector<wchar_t> commandLine = Writable(request.commandLine);
    STARTUPINFOEXW startup{};
    startup.StartupInfo = ShownNormally();
    startup.StartupInfo.cb = sizeof(startup);
    startup.lpAttributeList = attribute.List();
    PROCESS_INFORMATION started{};
    return Finish(CreateProcessW(request.executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                 EXTENDED_STARTUPINFO_PRESENT, nullptr, FolderOrNull(request), &startup.StartupInfo,
                                 &started),
                  started);
}

StartedProgram CreateWithToken(const ProcessRequest& request, HANDLE token) {
    std::vector<wchar_t> commandLine = Writable(request.commandLine);
    STARTUPINFOW startup = ShownNormally();
    PROCESS_INFORMATION started{};
    return Finish(CreateProcessAsUserW(token, request.executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                       0, nullptr, FolderOrNull(request), &startup, &started),
                  started);
}

// A program that asks for elevation is started the way the shell starts it, which elevates it.
StartedProgram StartElevated(const std::wstring& executable, const std::wstring& arguments,
                             const std::wstring& folder) {
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof(start);
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    start.lpVerb = L"open";
    start.lpFile = executable.c_str();
    start.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
    start.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    start.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&start)) return StartedProgram{nullptr, GetLastError()};
    return StartedProgram{ScopedHandle(start.hProcess), ERROR_SUCCESS};
}

StartedProgram StartWithPlayerToken(const ProcessRequest& request) {
    if (!RunsElevated()) return CreateAsCaller(request);
    if (ScopedHandle shell = ShellProcess()) return CreateUnderParent(request, shell.get());
    // No desktop shell runs (it restarts, or another shell without a shell window is in use):
    // a plain token rather than the manager's; nothing starts when none can be made.
    ScopedHandle token = PlainToken();
    if (!token) return StartedProgram{nullptr, ERROR_ACCESS_DENIED};
    return CreateWithToken(request, token.get());
}

// An executable a registered command names without a folder is one of the system's.
std::wstring SystemProgram(const std::wstring& executable) {
    if (!PathIsRelativeW(executable.c_str())) return executable;
    wchar_t system[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    std::wstring path = std::wstring(system) + L"\\" + executable;
    if (!HasExtension(path, {L".exe"})) path += L".exe";
    return FileExists(path) ? path : std::wstring();
}

// The registered "open" command of a file type or a link scheme, its variables expanded; empty
// when there is none.
std::wstring OpenCommand(const wchar_t* association, ASSOCF flags) {
    std::wstring command(4096, L'\0');
    DWORD length = static_cast<DWORD>(command.size());
    if (FAILED(AssocQueryStringW(flags | ASSOCF_NOTRUNCATE, ASSOCSTR_COMMAND, association, L"open", &command[0],
                                 &length)))
        return std::wstring();
    command.resize(wcslen(command.c_str()));
    return ExpandEnvironment(command);
}

// The command with `target` in place of its item (one argument, quoted when the command does not
// quote it) and `folder` in place of the working folder; the manager gives no further arguments.
std::wstring FillCommand(const std::wstring& command, const std::wstring& target, const std::wstring& folder) {
    std::wstring filled;
    for (size_t i = 0; i < command.size(); ++i) {
        if (command[i] != L'%' || i + 1 == command.size()) {
            filled += command[i];
            continue;
        }
        const bool quoted = !filled.empty() && filled.back() == L'"';
        switch (std::towlower(command[++i])) {
        case L'1':
        case L'l':
        case L'v':
        case L'd':
            filled += quoted ? target : QuoteArgument(target);
            break;
        case L'w':
            filled += quoted ? folder : QuoteArgument(folder);
            break;
        case L'%':
            filled += L'%';
            break;
        default:  // %*, %2 to %9, %I: no further arguments, no item list
            break;
        }
    }
    return filled;
}

StartedProgram StartCommand(const std::wstring& command, const std::wstring& folder) {
    CommandParts parts = SplitCommand(command);
    const std::wstring executable = SystemProgram(NativePath(parts.executable));
    if (executable.empty()) return StartedProgram{nullptr, ERROR_FILE_NOT_FOUND};
    return StartAsPlayer(executable, parts.arguments, folder);
}

StartedProgram OpenDocument(const std::wstring& document, const std::wstring& folder) {
    const std::wstring command = OpenCommand(PathFindExtensionW(document.c_str()), ASSOCF_NONE);
    if (command.empty()) return StartedProgram{nullptr, ERROR_NO_ASSOCIATION};
    return StartCommand(FillCommand(command, document, folder), folder);
}

// A shortcut starts its target with its arguments in its own working folder.
StartedProgram OpenShortcut(const std::wstring& shortcut, const std::wstring& folder) {
    ScopedComApartment apartment;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.OutVoid())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid())) ||
        FAILED(file->Load(shortcut.c_str(), STGM_READ)))
        return StartedProgram{nullptr, ERROR_FILE_NOT_FOUND};
    wchar_t target[MAX_PATH] = {};
    wchar_t arguments[INFOTIPSIZE] = {};
    wchar_t workingFolder[MAX_PATH] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, 0)) || target[0] == L'\0')
        return StartedProgram{nullptr, ERROR_FILE_NOT_FOUND};
    link->GetArguments(arguments, INFOTIPSIZE);
    link->GetWorkingDirectory(workingFolder, MAX_PATH);
    const std::wstring startIn = workingFolder[0] ? std::wstring(workingFolder) : folder;
    if (PathIsDirectoryW(target)) return OpenFolderAsPlayer(target);
    if (HasExtension(target, {L".exe", L".com", L".bat", L".cmd"})) return StartAsPlayer(target, arguments, startIn);
    return OpenDocument(target, startIn);
}

bool IsWebLink(const std::wstring& url) {
    const std::wstring start = Lower(url.substr(0, 8));
    return (start.compare(0, 7, L"http://") == 0 && url.size() > 7) ||
           (start.compare(0, 8, L"https://") == 0 && url.size() > 8);
}

// Blanks, quotes, backslashes and control characters percent-encoded: nothing in the link can end
// the argument it is given as.
std::wstring OneArgumentLink(const std::wstring& url) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring link;
    for (wchar_t c : url) {
        if (c <= L' ' || c == 0x7F || c == L'"' || c == L'\\') {
            link += L'%';
            link += kHex[(c >> 4) & 0xF];
            link += kHex[c & 0xF];
        } else {
            link += c;
        }
    }
    return link;
}

}  // namespace

std::wstring NativePath(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
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

std::wstring QuoteArgument(const std::wstring& text) {
    if (!text.empty() && text.find_first_of(L" \t\"") == std::wstring::npos) return text;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
        } else {
            // Backslashes before a quote escape it; doubled, they stay backslashes.
            if (c == L'"') quoted.append(backslashes + 1, L'\\');
            backslashes = 0;
        }
        quoted += c;
    }
    quoted.append(backslashes, L'\\');
    return quoted + L"\"";
}

StartedProgram StartAsPlayer(const std::wstring& executable, const std::wstring& arguments,
                             const std::wstring& folder) {
    ProcessRequest request;
    request.executable = executable;
    request.commandLine = QuoteArgument(executable) + (arguments.empty() ? L"" : L" " + arguments);
    request.folder = folder;
    StartedProgram started = StartWithPlayerToken(request);
    // Only a program that itself asks for administrator rights gets them, as from the desktop.
    if (started.error == kErrorElevationRequired) return StartElevated(executable, arguments, folder);
    return started;
}

StartedProgram OpenAsPlayer(const std::wstring& target, const std::wstring& folder) {
    if (PathIsDirectoryW(target.c_str())) return OpenFolderAsPlayer(target);
    if (HasExtension(target, {L".exe", L".com", L".bat", L".cmd"})) return StartAsPlayer(target, L"", folder);
    if (HasExtension(target, {L".lnk"})) return OpenShortcut(target, folder);
    return OpenDocument(target, folder);
}

StartedProgram OpenFolderAsPlayer(const std::wstring& folder) {
    wchar_t windows[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return StartedProgram{nullptr, ERROR_PATH_NOT_FOUND};
    return StartAsPlayer(std::wstring(windows) + L"\\explorer.exe", QuoteArgument(folder), std::wstring());
}

bool OpenWebLinkAsPlayer(const std::wstring& url) {
    if (!IsWebLink(url)) return false;
    const std::wstring scheme = Lower(url.substr(0, url.find(L':')));
    std::wstring command = OpenCommand(scheme.c_str(), kAssociationIsProtocol);
    // Systems before Windows 8 may refuse the flag; their scheme's own association is the choice.
    if (command.empty()) command = OpenCommand(scheme.c_str(), ASSOCF_NONE);
    if (command.empty()) return false;
    return StartCommand(FillCommand(command, OneArgumentLink(url), std::wstring()), std::wstring()).Started();
}
