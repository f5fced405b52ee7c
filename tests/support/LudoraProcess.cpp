#include "tests/support/LudoraProcess.h"

#include <iphlpapi.h>

#include "tests/support/TestFolder.h"

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    if (owner == search->processId && wcscmp(name, search->className) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::wstring LudoraExePath() { return HostPathToWindows(LUDORA_EXE); }

std::wstring TestHelperPath(const std::wstring& name) {
    return HostPathToWindows(std::wstring(TEST_HELPERS_DIR) + L"/" + name);
}

LudoraProcess::LudoraProcess(const std::wstring& arguments, const std::wstring& program) {
    std::wstring exe = program.empty() ? LudoraExePath() : program;
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
}

LudoraProcess::~LudoraProcess() {
    Terminate();
}

HWND LudoraProcess::WaitForWindow(const wchar_t* className, DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindProcessWindow(id_, className)) != nullptr; }, timeoutMs);
    return found;
}

DWORD LudoraProcess::WaitForExit(DWORD timeoutMs) const {
    if (process_ == nullptr) return STILL_ACTIVE;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process_, &code);
    return code;
}

void LudoraProcess::Terminate() {
    if (process_ == nullptr) return;
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
    CloseHandle(process_);
    process_ = nullptr;
}

HWND FindProcessWindow(DWORD processId, const wchar_t* className) {
    WindowSearch search{processId, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ProgramDataFolder() { return L"C:\\ProgramData\\Ludora"; }

void ClearProgramData() { RemoveTree(ProgramDataFolder()); }

bool ReadMachineString(const std::wstring& key, const std::wstring& value, std::wstring& data) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &handle) != ERROR_SUCCESS)
        return false;
    wchar_t buffer[2048] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    DWORD type = 0;
    LONG result = RegQueryValueExW(handle, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(handle);
    if (result != ERROR_SUCCESS || type != REG_SZ) return false;
    data = buffer;
    return true;
}

void WriteMachineString(const std::wstring& key, const std::wstring& value, const std::wstring& data) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(handle, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

void DeleteMachineValue(const std::wstring& key, const std::wstring& value) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_WRITE | KEY_WOW64_32KEY, &handle) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(handle, value.c_str());
    RegCloseKey(handle);
}

void DeleteMachineKey(const std::wstring& key) {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), KEY_WOW64_32KEY, 0);
}

std::vector<uint32_t> ListeningAddresses(unsigned short port) {
    std::vector<uint32_t> addresses;
    ULONG size = 0;
    GetTcpTable(nullptr, &size, FALSE);
    std::vector<char> buffer(size + sizeof(MIB_TCPTABLE));
    size = static_cast<ULONG>(buffer.size());
    auto* table = reinterpret_cast<MIB_TCPTABLE*>(buffer.data());
    if (GetTcpTable(table, &size, FALSE) != NO_ERROR) return addresses;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_TCPROW& row = table->table[i];
        if (row.dwState == MIB_TCP_STATE_LISTEN && ntohs(static_cast<u_short>(row.dwLocalPort)) == port)
            addresses.push_back(row.dwLocalAddr);
    }
    return addresses;
}

MessageBoxWindow FindMessageBox(DWORD processId) {
    MessageBoxWindow box;
    box.hwnd = FindProcessWindow(processId, L"#32770");
    if (box.hwnd == nullptr) return box;
    wchar_t text[512] = {};
    GetWindowTextW(box.hwnd, text, 512);
    box.caption = text;
    text[0] = L'\0';
    // The message text is the box's static control 0xFFFF.
    GetWindowTextW(GetDlgItem(box.hwnd, 0xFFFF), text, 512);
    box.text = text;
    box.threadId = GetWindowThreadProcessId(box.hwnd, nullptr);
    return box;
}
