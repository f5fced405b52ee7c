#include "shared/TempFile.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cwchar>
#include <vector>

namespace {

constexpr int kNameAttempts = 8;

// Mixes its input into 64 bits that look unrelated to it (the finaliser of splitmix64).
uint64_t Mix(uint64_t value) {
    value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ull;
    value = (value ^ (value >> 27)) * 0x94d049bb133111ebull;
    return value ^ (value >> 31);
}

// Unique within the machine: process, thread, a counter and the clock. A name that a squatter
// guessed only costs another attempt, since CREATE_NEW never opens it; a source of secure random
// numbers would cost start-up the loading of the system's cryptography libraries.
std::wstring UniqueSuffix() {
    static std::atomic<uint32_t> counter{0};
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const uint64_t who = (static_cast<uint64_t>(GetCurrentProcessId()) << 32) | GetCurrentThreadId();
    const uint64_t bits = Mix(Mix(who ^ static_cast<uint64_t>(now.QuadPart)) + counter.fetch_add(1));
    wchar_t text[24] = {};
    swprintf(text, 24, L".%016llx.part", static_cast<unsigned long long>(bits));
    return text;
}

}  // namespace

bool WriteAllBytes(HANDLE file, const void* bytes, size_t size) {
    const char* next = static_cast<const char*>(bytes);
    while (size > 0) {
        DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, next, want, &written, nullptr) || written == 0) return false;
        next += written;
        size -= written;
    }
    return true;
}

std::optional<TempFile> TempFile::CreateBeside(const std::wstring& target) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::wstring path = target + UniqueSuffix();
        ScopedHandle file = AdoptFileHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                                        nullptr));
        if (file) return TempFile(std::move(file), std::move(path), target);
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return std::nullopt;
    }
    return std::nullopt;
}

TempFile::TempFile(ScopedHandle file, std::wstring path, std::wstring target)
    : file_(std::move(file)), path_(std::move(path)), target_(std::move(target)) {}

TempFile::TempFile(TempFile&& other) noexcept
    : file_(std::move(other.file_)), path_(std::move(other.path_)), target_(std::move(other.target_)) {
    other.path_.clear();
}

TempFile::~TempFile() { Discard(); }

bool TempFile::Write(const void* bytes, size_t size) { return file_ && WriteAllBytes(file_.get(), bytes, size); }

bool TempFile::CopyFrom(HANDLE source) {
    std::vector<char> buffer(1 << 16);
    for (ULONGLONG offset = 0;;) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        if (!ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &read, &at)) {
            return GetLastError() == ERROR_HANDLE_EOF;
        }
        if (read == 0) return true;
        if (!Write(buffer.data(), read)) return false;
        offset += read;
    }
}

bool TempFile::ReplaceTarget() {
    if (!file_ || !FlushFileBuffers(file_.get())) {
        Discard();
        return false;
    }
    file_.reset();
    if (!MoveFileExW(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Discard();
        return false;
    }
    path_.clear();
    return true;
}

void TempFile::Discard() {
    file_.reset();
    if (!path_.empty()) DeleteFileW(path_.c_str());
    path_.clear();
}
