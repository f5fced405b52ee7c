// The stack guard that our code, built with stack protection, checks before each protected
// function returns. The compiler's own support library would seed it from the system's
// cryptographic provider, whose libraries would then load before the first window; the guard only
// has to be unknown to an attacker who overwrites a buffer, so it is seeded, as the platform's own
// compilers do, from values that differ for every process: the clock, the process and thread, and
// where the system placed this program and its stack. This file itself is built without the checks.
#include <windows.h>

#include <cstdint>
#include <cstdlib>

extern "C" {

uintptr_t __stack_chk_guard = 0x2f8a6c1d;

// A buffer overran into the return address: nothing this process does from here can be trusted.
[[noreturn]] void __stack_chk_fail() {
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
    std::abort();
}

}  // extern "C"

namespace {

uint32_t Mix(uint64_t value) {
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ull;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebull;
    return static_cast<uint32_t>(value ^ (value >> 31));
}

// Runs before any other constructor, and so before any protected function is on the stack.
__attribute__((constructor(101))) void SeedStackGuard() {
    FILETIME time{};
    ::GetSystemTimeAsFileTime(&time);
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    int local = 0;
    uint64_t seed = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    seed ^= static_cast<uint64_t>(counter.QuadPart);
    seed ^= (static_cast<uint64_t>(::GetCurrentProcessId()) << 40) ^ (static_cast<uint64_t>(::GetCurrentThreadId()) << 20);
    seed ^= static_cast<uint64_t>(reinterpret_cast<uintptr_t>(&local)) << 16;
    seed ^= reinterpret_cast<uintptr_t>(&SeedStackGuard);
    const uint32_t guard = Mix(seed);
    __stack_chk_guard = guard != 0 ? guard : 0x2f8a6c1d;
}

}  // namespace
