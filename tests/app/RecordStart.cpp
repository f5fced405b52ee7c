// A stand-in program for the tests: records that it was started, and with which arguments, in
// "<its own path>.started"; with the argument "--linger" it stays alive until it is ended.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR arguments, int) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring record = std::wstring(self) + L".started";
    int size = WideCharToMultiByte(CP_UTF8, 0, arguments, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, arguments, -1, &utf8[0], size, nullptr, nullptr);
    // A test that polls the record may hold it open for a moment.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 250 && file == INVALID_HANDLE_VALUE; ++attempt) {
        if (attempt > 0) Sleep(20);
        file = CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    }
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    if (std::wstring(arguments) == L"--linger") Sleep(INFINITE);
    return 0;
}
