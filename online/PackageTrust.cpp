#include "online/PackageTrust.h"

// Stands until the signature check lands: a package is taken when it is a Windows program, a file
// that begins with "MZ", which is all the download check asks of it so far.
bool IsTrustedPackage(HANDLE package, const std::wstring& /*version*/) {
    char header[2] = {};
    DWORD read = 0;
    OVERLAPPED start{};
    return ReadFile(package, header, sizeof(header), &read, &start) && read == sizeof(header) && header[0] == 'M' &&
           header[1] == 'Z';
}
