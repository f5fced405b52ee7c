#pragma once
#include <windows.h>

#include <string>

// The MD5 digest (RFC 1321) of a file's bytes as 32 lowercase hexadecimal digits. A file that
// cannot be opened contributes no bytes; an empty text only when the platform offers no MD5.
std::wstring FileMd5Hex(const std::wstring& path);
// The same of the file open at `file`, read from its start through the handle.
std::wstring FileMd5Hex(HANDLE file);
