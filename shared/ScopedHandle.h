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
