#include "app/ApplyMode.h"

#include <windows.h>

#include <cwchar>

#include "shared/TextConvert.h"

namespace {

constexpr int kAttempts = 6;
constexpr unsigned int kRetryDelayMs = 200;

bool Retry(const std::function<bool()>& step, const ApplyModeHooks& hooks) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0) hooks.sleep(kRetryDelayMs);
        if (step()) return true;
    }
    return false;
}

void WaitForOldInstance(const std::wstring& handleText) {
    auto handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(wcstoul(handleText.c_str(), nullptr, 10)));
    WaitForSingleObject(handle, INFINITE);
    if (handle != nullptr) CloseHandle(handle);
}

// A name beside the target that the old program is moved to while the new one is copied.
std::wstring AsideName(const std::wstring& target) { return target + L".old"; }

// The old program comes back when the new one cannot be put in place. The package goes first:
// left behind, it would hand the next start straight back here. A package that cannot be removed
// keeps the old program down, rather than both taking turns without end.
ApplyResult GiveUp(ApplyResult failure, const ApplyModeRequest& request, const std::wstring& restartCommand,
                   const ApplyModeHooks& hooks) {
    const bool packageGone = DeleteFileW(request.packagePath.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
                             GetLastError() == ERROR_PATH_NOT_FOUND;
    if (packageGone) hooks.runCommand(WideToAnsi(restartCommand));
    return failure;
}

}  // namespace

ApplyModeHooks DefaultApplyModeHooks() {
    return {[](unsigned int ms) { Sleep(ms); },
            [](const std::string& command) { WinExec(command.c_str(), SW_SHOWNORMAL); }};
}

std::wstring TargetFromRestartCommand(const std::wstring& restartCommand) {
    if (restartCommand.size() < 4) return {};
    return restartCommand.substr(1, restartCommand.size() - 4);
}

ApplyResult RunApplyMode(const ApplyModeRequest& request, const ApplyModeHooks& hooks) {
    size_t space = request.arguments.find(L' ');
    std::wstring handleText = request.arguments.substr(0, space);
    std::wstring restartCommand = space == std::wstring::npos ? L"" : request.arguments.substr(space + 1);
    WaitForOldInstance(handleText);

    const std::wstring target = TargetFromRestartCommand(restartCommand);
    if (target.empty()) return ApplyResult::BadArguments;
    const std::wstring aside = AsideName(target);
    DeleteFileW(aside.c_str());
    bool movedAside = Retry([&] { return MoveFileExW(target.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; }, hooks);
    if (!movedAside) return GiveUp(ApplyResult::TargetLocked, request, restartCommand, hooks);

    hooks.sleep(kRetryDelayMs);
    bool copied = Retry([&] { return CopyFileW(request.packagePath.c_str(), target.c_str(), FALSE) != 0; }, hooks);
    if (!copied) {
        DeleteFileW(target.c_str());
        MoveFileExW(aside.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
        return GiveUp(ApplyResult::CopyFailed, request, restartCommand, hooks);
    }
    DeleteFileW(aside.c_str());
    hooks.runCommand(WideToAnsi(restartCommand));
    return ApplyResult::Restarted;
}
