#pragma once
#include <functional>
#include <string>

// Installs a downloaded update: waits for the old instance, replaces the program file with the
// package and runs the restart command. The old program is kept until the new one is in place;
// when the new one cannot be put there, the package is removed and the old program restarted.
struct ApplyModeRequest {
    std::wstring arguments;    // "<handle> \"<program path>\" <flag>"
    std::wstring packagePath;  // the downloaded program
};

enum class ApplyResult { Restarted, BadArguments, TargetLocked, CopyFailed };

struct ApplyModeHooks {
    std::function<void(unsigned int)> sleep;               // milliseconds
    std::function<void(const std::string&)> runCommand;    // ANSI restart command
};

ApplyModeHooks DefaultApplyModeHooks();

// The program file named by a restart command: without its first and last three characters.
std::wstring TargetFromRestartCommand(const std::wstring& restartCommand);

ApplyResult RunApplyMode(const ApplyModeRequest& request, const ApplyModeHooks& hooks);
