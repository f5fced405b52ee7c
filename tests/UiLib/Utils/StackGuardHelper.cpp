// Built with stack protection like our code: "guard" exits with the stack guard's value, "overrun"
// writes past a buffer on the stack.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>

extern "C" uintptr_t __stack_chk_guard;

namespace {

volatile size_t overrunLength = 64;

__attribute__((noinline)) void Overrun() {
    char buffer[16];
    std::memset(buffer, 'x', overrunLength);
    ::OutputDebugStringA(buffer);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wcscmp(argv[1], L"overrun") == 0) Overrun();
    return static_cast<int>(__stack_chk_guard);
}
