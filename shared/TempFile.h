#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "shared/ScopedHandle.h"

// A new file beside a target, written whole and then moved over the target in one step. Its name
// is unique and hard to guess, and it is made with CREATE_NEW without following a reparse point, so
// that a file or link that someone planted under a name we would use is never opened, kept or
// written through.
// Unless it replaced its target, it is removed when its owner goes away.
class TempFile {
public:
    // Null when no file could be made beside `target`.
    static std::optional<TempFile> CreateBeside(const std::wstring& target);

    TempFile(TempFile&& other) noexcept;
    TempFile& operator=(TempFile&&) = delete;
    TempFile(const TempFile&) = delete;
    ~TempFile();

    HANDLE Handle() const { return file_.get(); }
    const std::wstring& Path() const { return path_; }

    // Appends `size` bytes; false when the disk took fewer.
    bool Write(const void* bytes, size_t size);
    // Appends every byte of the file open at `source`, read from its start whatever its file pointer.
    bool CopyFrom(HANDLE source);
    // Flushes and closes the file and moves it over the target with write-through. On failure the
    // target keeps what it had and the new file is removed.
    bool ReplaceTarget();

private:
    TempFile(ScopedHandle file, std::wstring path, std::wstring target);
    void Discard();

    ScopedHandle file_;
    std::wstring path_;
    std::wstring target_;
};

// Writes all of `bytes` to `file`; false when the disk took fewer.
bool WriteAllBytes(HANDLE file, const void* bytes, size_t size);
