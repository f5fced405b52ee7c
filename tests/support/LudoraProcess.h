#pragma once
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The real program, started in the test prefix: wait for its windows, end it, read what it left.
class LudoraProcess {
public:
    // Starts `program` (the built Ludora.exe by default) with `arguments` after the program name.
    explicit LudoraProcess(const std::wstring& arguments, const std::wstring& program = L"");
    ~LudoraProcess();
    LudoraProcess(const LudoraProcess&) = delete;
    LudoraProcess& operator=(const LudoraProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_; }

    // The process's top-level window of `className`, or null after `timeoutMs`.
    HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs = 20000) const;
    // Waits for the process to end; returns its exit code, or STILL_ACTIVE on time-out.
    DWORD WaitForExit(DWORD timeoutMs = 20000) const;
    void Terminate();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// The top-level window of `className` owned by process `processId`, or null.
HWND FindProcessWindow(DWORD processId, const wchar_t* className);

// Polls `condition` until it holds or `timeoutMs` passes; pumps this thread's messages meanwhile.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 10000) {
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(20);
    }
    return true;
}

std::wstring LudoraExePath();
std::wstring TestHelperPath(const std::wstring& name);

// The program's per-machine files in the test prefix.
std::wstring ProgramDataFolder();
void ClearProgramData();

// Registry access in the 32-bit view of HKEY_LOCAL_MACHINE.
bool ReadMachineString(const std::wstring& key, const std::wstring& value, std::wstring& data);
void WriteMachineString(const std::wstring& key, const std::wstring& value, const std::wstring& data);
void DeleteMachineValue(const std::wstring& key, const std::wstring& value);
void DeleteMachineKey(const std::wstring& key);

// The IPv4 addresses (network byte order) on which a socket of this machine listens on TCP `port`.
std::vector<uint32_t> ListeningAddresses(unsigned short port);

// A message box (`#32770`) that process `processId` shows, with its caption and text.
struct MessageBoxWindow {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
    DWORD threadId = 0;  // the thread that shows it
};
MessageBoxWindow FindMessageBox(DWORD processId);
