#pragma once
#include <string>

// The MD5 digest (RFC 1321) of a file's bytes as 32 lowercase hexadecimal digits. A file that
// cannot be opened contributes no bytes; an empty text only when the platform offers no MD5.
std::wstring FileMd5Hex(const std::wstring& path);
