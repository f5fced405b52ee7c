// Stands in for the updater copy: signals the event whose handle number LUDORA_TEST_CANARY names,
// which reaches it only if the hand-off let that handle through, and writes into
// "<its own path>.report" the process id behind the handle of its first argument (0 when it
// cannot read it).
#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>

namespace {

HANDLE HandleFromNumber(const wchar_t* text) {
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::wcstoul(text, nullptr, 10)));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR arguments, int) {
    wchar_t canary[32] = {};
    if (GetEnvironmentVariableW(L"LUDORA_TEST_CANARY", canary, 32) > 0) SetEvent(HandleFromNumber(canary));
    const std::string report = std::to_string(GetProcessId(HandleFromNumber(arguments)));

    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring written = std::wstring(self) + L".part";
    HANDLE file = CreateFileW(written.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD count = 0;
    WriteFile(file, report.data(), static_cast<DWORD>(report.size()), &count, nullptr);
    CloseHandle(file);
    // Whole or not at all: the test reads it as soon as it appears.
    MoveFileExW(written.c_str(), (std::wstring(self) + L".report").c_str(), MOVEFILE_REPLACE_EXISTING);
    return 0;
}
