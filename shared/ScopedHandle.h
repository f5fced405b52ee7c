#pragma once
#include <windows.h>

#include <memory>

// A kernel handle closed when its owner goes away.
struct KernelHandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};
using ScopedHandle = std::unique_ptr<void, KernelHandleCloser>;

// CreateFileW reports failure as INVALID_HANDLE_VALUE; the owner holds null instead.
inline ScopedHandle AdoptFileHandle(HANDLE handle) {
    return ScopedHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// A registry key closed when its owner goes away.
struct RegistryKeyCloser {
    using pointer = HKEY;
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using ScopedRegistryKey = std::unique_ptr<HKEY, RegistryKeyCloser>;

// The subkey `name` of `parent` opened with `access`; empty when it cannot be opened.
inline ScopedRegistryKey OpenRegistryKey(HKEY parent, const wchar_t* name, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name, 0, access, &key) != ERROR_SUCCESS) return nullptr;
    return ScopedRegistryKey(key);
}
