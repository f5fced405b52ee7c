#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Installs a downloaded update: waits for the old instance, replaces the installed program with the
// package and starts it again. It acts only on the installed program's own file: the one its
// installer recorded, or the image of the process that handed over. The old program is kept beside
// the new one ("<program>.old") until the new one has started; when the new one cannot be put in
// place or started, the old one comes back and the package is removed.
struct ApplyModeRequest {
    std::wstring arguments;         // "<handle> \"<program path>\" <0|1>"
    std::wstring packagePath;       // the downloaded program
    std::wstring installedProgram;  // recorded by the installer; empty when it recorded none
};

enum class ApplyResult {
    Restarted,
    BadArguments,      // not an order from the program itself: nothing was touched
    UntrustedPackage,  // the old program was started again
    TargetLocked,
    CopyFailed,
    RestartFailed,
};

struct ApplyModeHooks {
    std::function<void(unsigned int)> sleep;      // milliseconds
    std::function<bool(HANDLE)> packageTrusted;   // the package, open and kept from writers
    // Starts `program` with `flag` as its whole command line; false when it did not start.
    std::function<bool(const std::wstring& program, const std::wstring& flag)> restart;
};

ApplyModeHooks DefaultApplyModeHooks();

// "<install location>\Ludora.exe" from the uninstall entry the installer wrote; empty without one.
std::wstring InstalledProgramPath();

// The name the old program waits under until the new one has started.
std::wstring KeptProgramPath(const std::wstring& program);

ApplyResult RunApplyMode(const ApplyModeRequest& request, const ApplyModeHooks& hooks);
