#pragma once
#include <windows.h>

#include <string>

// The file version in the version resource of the 32-bit Windows program open at `image`, as
// "1.0.0.1"; empty when the file is no such program or has no well-formed version resource. The
// file is read through the handle it is given, never opened again, and every offset in it is
// checked against its size: it may come from anyone.
std::wstring ImageFileVersion(HANDLE image);
