// demouninstall.exe [/S] GAMEFOLDER KEYNAME: a stand-in for a game's uninstaller, with the usual
// two steps. The first process copies itself to the temporary folder, starts that copy with
// "--second" before the same arguments, and exits with the copy's process id as exit code (0 when
// nothing could be started). The copy, free of the game folder, logs its command line to
// GAMEFOLDER\..\uninstall-log.txt, waits a moment, deletes the game's files and then the folder if
// it is empty, and deletes the uninstall key KEYNAME from the machine's 32-bit registry view. The
// copy itself stays behind as %TEMP%\demouninstall-<first process id>.exe.
#include "DemoFiles.h"

namespace {

const wchar_t kSecondFlag[] = L"--second";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t* const kGameFiles[] = {L"demogame.exe", L"demouninstall.exe", L"started.txt"};

// One argument quoted so that CommandLineToArgvW gives it back unchanged.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    // Backslashes are doubled only before a quote, the inner ones and the closing one.
    for (wchar_t c : argument) {
        if (c == L'"') quoted.append(backslashes + 1, L'\\');
        backslashes = c == L'\\' ? backslashes + 1 : 0;
        quoted += c;
    }
    quoted.append(backslashes, L'\\');
    return quoted + L"\"";
}

DWORD StartSecond(const std::vector<std::wstring>& arguments) {
    wchar_t temp[MAX_PATH + 1] = {};
    if (!::GetTempPathW(MAX_PATH + 1, temp)) return 0;
    const std::wstring copy = std::wstring(temp) + L"demouninstall-" + std::to_wstring(::GetCurrentProcessId()) + L".exe";
    if (!::CopyFileW(demo::OwnPath().c_str(), copy.c_str(), FALSE)) return 0;

    std::wstring commandLine = Quoted(copy) + L" " + kSecondFlag;
    for (const std::wstring& argument : arguments) commandLine += L" " + Quoted(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    // The copy works from the temporary folder, so that it holds nothing in the game folder.
    if (!::CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, temp, &startup,
                          &process))
        return 0;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return process.dwProcessId;
}

std::wstring WithoutTrailingSlashes(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

// The first process may still be ending: a file in use is tried again for a while.
void DeleteWhenFree(const std::wstring& path) {
    for (int attempt = 0; attempt < 30; ++attempt) {
        if (::DeleteFileW(path.c_str())) return;
        DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
        ::Sleep(100);
    }
}

void DeleteUninstallKey(const std::wstring& name) {
    if (name.empty()) return;
    HKEY uninstall = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_WOW64_32KEY | DELETE | KEY_ENUMERATE_SUB_KEYS |
                                                                KEY_QUERY_VALUE | KEY_SET_VALUE,
                        &uninstall) != ERROR_SUCCESS)
        return;
    // Deletes the key with whatever it holds; subkeys opened through this handle keep its view.
    ::RegDeleteTreeW(uninstall, name.c_str());
    ::RegCloseKey(uninstall);
}

int RunSecond(const std::vector<std::wstring>& arguments) {
    // After "--second": an optional "/S", then the game folder and the key name.
    size_t next = 1;
    if (next < arguments.size() && (arguments[next] == L"/S" || arguments[next] == L"/s")) ++next;
    if (arguments.size() < next + 2) return 1;
    const std::wstring folder = WithoutTrailingSlashes(arguments[next]);
    const std::wstring keyName = arguments[next + 1];

    demo::WriteText(folder + L"\\..\\uninstall-log.txt", std::wstring(::GetCommandLineW()) + L"\r\n", true);
    ::Sleep(300);
    for (const wchar_t* file : kGameFiles) DeleteWhenFree(folder + L"\\" + file);
    ::RemoveDirectoryW(folder.c_str());
    DeleteUninstallKey(keyName);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    std::vector<std::wstring> arguments = demo::Arguments();
    if (!arguments.empty() && arguments[0] == kSecondFlag) return RunSecond(arguments);
    size_t given = arguments.size() - (!arguments.empty() && (arguments[0] == L"/S" || arguments[0] == L"/s"));
    if (given < 2) return 0;
    return static_cast<int>(StartSecond(arguments));
}
