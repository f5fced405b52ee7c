#pragma once
#include <windows.h>

#include <string>

// True when the file open at `package` carries a valid Authenticode signature, is unchanged since
// it was signed, was signed by the publisher that signed the running program, and (when
// `version` is not empty) its version resource's file version is `version` ("1.0.0.1").
bool IsTrustedPackage(HANDLE package, const std::wstring& version);

// The same check with the publisher of the program open at `publisherProgram` in place of the
// running program's. Neither file is opened again by name: what is checked is what the handles see.
bool IsTrustedPackageOf(HANDLE package, const std::wstring& version, HANDLE publisherProgram);
