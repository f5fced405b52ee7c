#pragma once
#include <windows.h>

#include <string>

// True when the file open at `package` carries a valid Authenticode signature, is unchanged since
// it was signed, was signed by the publisher that signed the running program, and (when
// `version` is not empty) its version resource's file version is `version` ("1.0.0.1").
bool IsTrustedPackage(HANDLE package, const std::wstring& version);
