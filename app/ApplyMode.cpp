#include "app/ApplyMode.h"

#include <cstdint>
#include <cwchar>
#include <optional>
#include <utility>
#include <vector>

#include "online/PackageTrust.h"
#include "shared/ScopedHandle.h"
#include "shared/TempFile.h"

namespace {

constexpr int kAttempts = 6;
constexpr unsigned int kRetryDelayMs = 200;
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ludora";

bool Retry(const std::function<bool()>& step, const ApplyModeHooks& hooks) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0) hooks.sleep(kRetryDelayMs);
        if (step()) return true;
    }
    return false;
}

// What the old instance asks for: "<handle> \"<program path>\" <0|1>", exactly.
struct ApplyOrder {
    ScopedHandle oldInstance;
    std::wstring program;
    std::wstring flag;
};

// A handle number in plain decimal. Null and the pseudo handles (the top values) are refused: a
// wait on this process's own handle would never end.
HANDLE ParseHandle(const std::wstring& text) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of(L"0123456789") != std::wstring::npos) return nullptr;
    const unsigned long long value = std::wcstoull(text.c_str(), nullptr, 10);
    if (value == 0 || value > 0x7FFFFFFF) return nullptr;
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
}

std::optional<ApplyOrder> ParseOrder(const std::wstring& arguments) {
    const size_t space = arguments.find(L' ');
    if (space == std::wstring::npos || arguments.compare(space, 2, L" \"") != 0) return std::nullopt;
    HANDLE handle = ParseHandle(arguments.substr(0, space));
    const size_t pathStart = space + 2;
    const size_t pathEnd = arguments.find(L'"', pathStart);
    if (handle == nullptr || pathEnd == std::wstring::npos || pathEnd == pathStart) return std::nullopt;
    std::wstring flag = arguments.substr(pathEnd + 1);
    if (flag != L" 0" && flag != L" 1") return std::nullopt;
    return ApplyOrder{ScopedHandle(handle), arguments.substr(pathStart, pathEnd - pathStart), flag.substr(1)};
}

// The program file of the process that handed over. An old instance that gave only the right to
// wait has none to offer.
std::wstring ProcessImage(HANDLE process) {
    std::vector<wchar_t> image(32768);
    DWORD length = static_cast<DWORD>(image.size());
    if (!QueryFullProcessImageNameW(process, 0, image.data(), &length)) return {};
    return std::wstring(image.data(), length);
}

// A full path as GetFullPathNameW writes it: no "..", ".", "/", doubled separators or trailing dots,
// and not a device path, which skips that normalising.
bool IsPlainFullPath(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) return false;
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return false;
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
    return full == path;
}

std::wstring WithoutLongPathPrefix(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

// Where the file at `path` really is, with links, short names and letter case resolved by the file
// system itself; empty when no file (a folder neither) opens there.
std::wstring FinalPath(const std::wstring& path) {
    if (path.empty()) return {};
    ScopedHandle file = AdoptFileHandle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD size = GetFinalPathNameByHandleW(file.get(), nullptr, 0, flags);
    if (size == 0) return {};
    std::wstring final(size, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file.get(), final.data(), size, flags);
    if (length == 0 || length >= size) return {};
    final.resize(length);
    return WithoutLongPathPrefix(final);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The real path of `requested` when it is one of the programs apply mode may replace; else empty.
std::wstring TrustedProgram(const std::wstring& requested, const std::vector<std::wstring>& programs) {
    if (!IsPlainFullPath(requested)) return {};
    const std::wstring real = FinalPath(requested);
    for (const std::wstring& program : programs) {
        if (SamePath(FinalPath(program), real)) return real;
    }
    return {};
}

// The downloaded program, opened once: what is checked is what is copied. Nobody may change it
// meanwhile, and a link planted in its place is refused, not followed.
class Package {
public:
    explicit Package(std::wstring path) : path_(std::move(path)) {
        file_ = AdoptFileHandle(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        openError_ = file_ ? ERROR_SUCCESS : GetLastError();
    }

    HANDLE Handle() const { return file_.get(); }

    bool IsPlainFile() const {
        BY_HANDLE_FILE_INFORMATION information{};
        return file_ && GetFileInformationByHandle(file_.get(), &information) &&
               !(information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    }

    // The program started next looks for the package: it must find it free or gone.
    void Close() { file_.reset(); }

    // True when no package is left for the next start to hand straight back to an update that failed.
    bool Remove() {
        Close();
        if (openError_ != ERROR_SUCCESS && !IsGone(openError_)) return false;
        return DeleteFileW(path_.c_str()) || IsGone(GetLastError());
    }

private:
    static bool IsGone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

    std::wstring path_;
    ScopedHandle file_;
    DWORD openError_ = ERROR_SUCCESS;
};

// One update of the program file `target`, which the checks above found to be the program's own.
class ProgramReplacement {
public:
    ProgramReplacement(std::wstring target, std::wstring flag, const std::wstring& packagePath,
                       const ApplyModeHooks& hooks)
        : target_(std::move(target)), kept_(KeptProgramPath(target_)), flag_(std::move(flag)), package_(packagePath),
          hooks_(hooks) {}

    ApplyResult Run() {
        if (!package_.IsPlainFile() || !hooks_.packageTrusted(package_.Handle())) {
            return GiveUp(ApplyResult::UntrustedPackage);
        }
        std::optional<TempFile> copy = TempFile::CreateBeside(target_);
        if (!copy || !copy->CopyFrom(package_.Handle())) return GiveUp(ApplyResult::CopyFailed);
        if (!Retry([this] { return Move(target_, kept_); }, hooks_)) return GiveUp(ApplyResult::TargetLocked);
        if (!copy->ReplaceTarget()) return PutBackAndGiveUp(ApplyResult::CopyFailed);
        package_.Close();
        if (!hooks_.restart(target_, flag_)) return PutBackAndGiveUp(ApplyResult::RestartFailed);
        return ApplyResult::Restarted;
    }

private:
    static bool Move(const std::wstring& from, const std::wstring& to) {
        return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }

    // The old program comes back when the new one cannot be put in place. The package goes first:
    // left behind, it would hand the next start straight back here. A package that cannot be
    // removed keeps the old program down, rather than both taking turns without end.
    ApplyResult GiveUp(ApplyResult failure) {
        if (package_.Remove()) hooks_.restart(target_, flag_);
        return failure;
    }

    ApplyResult PutBackAndGiveUp(ApplyResult failure) {
        Move(kept_, target_);
        return GiveUp(failure);
    }

    const std::wstring target_;
    const std::wstring kept_;
    const std::wstring flag_;
    Package package_;
    const ApplyModeHooks& hooks_;
};

// The program starts as the player would start it: its own folder as the working folder, shown,
// inheriting nothing.
bool StartProgram(const std::wstring& program, const std::wstring& flag) {
    std::wstring commandLine = L"\"" + program + L"\" " + flag;
    const std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &started)) {
        return false;
    }
    ScopedHandle thread(started.hThread);
    ScopedHandle process(started.hProcess);
    return true;
}

}  // namespace

ApplyModeHooks DefaultApplyModeHooks() {
    // Apply mode cannot know which version was announced; it checks signature, publisher and that
    // the file is unchanged.
    return {[](unsigned int ms) { Sleep(ms); }, [](HANDLE package) { return IsTrustedPackage(package, L""); },
            StartProgram};
}

std::wstring InstalledProgramPath() {
    ScopedRegistryKey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_QUERY_VALUE | KEY_WOW64_32KEY);
    DWORD size = 0;
    if (!key || RegGetValueW(key.get(), nullptr, L"InstallLocation", RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
                    ERROR_SUCCESS) {
        return {};
    }
    std::wstring folder(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(folder.size() * sizeof(wchar_t));
    if (RegGetValueW(key.get(), nullptr, L"InstallLocation", RRF_RT_REG_SZ, nullptr, folder.data(), &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    folder.resize(std::wcslen(folder.c_str()));
    if (folder.empty()) return {};
    if (folder.back() != L'\\') folder += L'\\';
    return folder + L"Ludora.exe";
}

std::wstring KeptProgramPath(const std::wstring& program) { return program + L".old"; }

ApplyResult RunApplyMode(const ApplyModeRequest& request, const ApplyModeHooks& hooks) {
    std::optional<ApplyOrder> order = ParseOrder(request.arguments);
    if (!order) return ApplyResult::BadArguments;
    // Read while the old instance still runs.
    const std::wstring handingOver = ProcessImage(order->oldInstance.get());
    if (WaitForSingleObject(order->oldInstance.get(), INFINITE) != WAIT_OBJECT_0) return ApplyResult::BadArguments;
    order->oldInstance.reset();

    std::wstring target = TrustedProgram(order->program, {request.installedProgram, handingOver});
    if (target.empty()) return ApplyResult::BadArguments;
    return ProgramReplacement(std::move(target), std::move(order->flag), request.packagePath, hooks).Run();
}
