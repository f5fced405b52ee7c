#include "online/SelfUpdate.h"

#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "online/FileMd5.h"
#include "online/HttpClient.h"
#include "online/ManagementService.h"
#include "online/PackageTrust.h"
#include "shared/BackgroundWork.h"
#include "shared/ScopedHandle.h"
#include "shared/TempFile.h"

const wchar_t kProgramVersion[] = L"1.0.0.0";

namespace {

// The start-time check's one request, made before the window is shown: a few seconds at most,
// however slowly the service answers.
constexpr HttpTimeouts kStartupTimeouts{2000, 3000, 3000, 5000};
const wchar_t kDownloadNote[] = L"正在下载更新...";
// The label changes at most this often while a package downloads.
constexpr ULONGLONG kProgressIntervalMs = 250;

// Shows a download's progress on the version label, at most a few times a second and always at
// its end.
struct LabelProgress {
    std::shared_ptr<IUpdateHost> host;
    ULONGLONG lastShown = 0;
    std::wstring shownText;

    void operator()(long long received, long long total) {
        const ULONGLONG now = GetTickCount64();
        std::wstring text = DownloadProgressText(received, total);
        if (text == shownText || (received != total && now - lastShown < kProgressIntervalMs)) return;
        lastShown = now;
        shownText = text;
        host->SetVersionLabel(text);
    }
};

DownloadProgress ProgressOnLabel(const UpdateEnvironment& environment) {
    if (environment.host == nullptr) return {};
    LabelProgress progress;
    progress.host = environment.host;
    return progress;
}

// Ends a check: the label shows the version again and another check may start.
void FinishCheck(const UpdateEnvironment& environment) {
    if (environment.host != nullptr) environment.host->SetVersionLabel(VersionText());
    environment.busy->store(false);
}

void Tell(const UpdateEnvironment& environment, const std::wstring& text, const std::wstring& secondText,
          const std::wstring& caption, int icon) {
    if (environment.host != nullptr) environment.host->ShowUpdateMessage(text, secondText, caption, icon);
}

void InstallOrReportFailure(const UpdateEnvironment& environment, const UpdateOffer& offer) {
    const std::wstring path = PackagePath(environment.dataFolder);
    ScopedHandle package = OpenReadyPackage(path, offer);
    if (!package) {
        HttpDownloadFile(offer.url, path, {}, ProgressOnLabel(environment));
        package = OpenReadyPackage(path, offer);
    }
    if (package && environment.handOff(package.get())) return;
    Tell(environment, L"下载更新失败.", L"请稍后重试！", L"错误", 2);
}

}  // namespace

std::wstring VersionText() { return std::wstring(L"版本: ") + kProgramVersion; }

std::wstring DownloadProgressText(long long received, long long total) {
    if (total <= 0) return L"正在下载更新 " + std::to_wstring(received / 1024) + L" KB";
    const long long percent = std::min<long long>(100, received * 100 / total);
    return L"正在下载更新 " + std::to_wstring(percent) + L"%";
}

std::wstring PackagePath(const std::wstring& dataFolder) { return dataFolder + L"\\Patchs\\Ludora.pak"; }

std::wstring UpdaterCopyPath(const std::wstring& dataFolder) { return dataFolder + L"\\Patchs\\Ludora.tmp"; }

UpdateOffer AskForUpdate(const std::wstring& serviceHost, const HttpTimeouts& timeouts) {
    UpdateOffer offer;
    std::wstring reply = RequestFromService(serviceHost, ServiceAction::Version, 0, timeouts);
    if (!IsSuccessfulReply(reply)) return offer;
    offer.version = ReplyField(reply, 2);
    offer.digest = ReplyField(reply, 3);
    offer.url = ReplyField(reply, 4);
    offer.answer = offer.version == kProgramVersion ? UpdateAnswer::UpToDate : UpdateAnswer::UpdateAvailable;
    return offer;
}

ScopedHandle OpenReadyPackage(const std::wstring& packagePath, const UpdateOffer& offer) {
    // Without a version the signed program's own would go unchecked, and an older one could return.
    if (offer.version.empty()) return nullptr;
    // Held without write or delete sharing, so that what is checked is what is handed over, and
    // never through a link someone planted under the package's name.
    ScopedHandle package = AdoptFileHandle(CreateFileW(packagePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                                       nullptr));
    if (!package) return nullptr;
    const std::wstring actual = FileMd5Hex(package.get());
    // A digest is the same number whichever case its letters are written in.
    if (actual.empty() || lstrcmpiW(actual.c_str(), offer.digest.c_str()) != 0) return nullptr;
    if (!IsTrustedPackage(package.get(), offer.version)) return nullptr;
    return package;
}

bool RunStartupUpdateCheck(const UpdateEnvironment& environment) {
    // Only a package downloaded earlier can be installed now.
    const std::wstring package = PackagePath(environment.dataFolder);
    if (!PathFileExistsW(package.c_str())) return false;
    UpdateOffer offer = AskForUpdate(environment.serviceHost, kStartupTimeouts);
    if (offer.answer != UpdateAnswer::UpdateAvailable) return false;
    ScopedHandle ready = OpenReadyPackage(package, offer);
    return ready && environment.handOff(ready.get());
}

void RunAutoUpdate(const UpdateEnvironment& environment) {
    // A check the user started in the meantime has the package and the label to itself.
    bool idle = false;
    if (!environment.busy->compare_exchange_strong(idle, true)) return;
    UpdateOffer offer = AskForUpdate(environment.serviceHost);
    const std::wstring package = PackagePath(environment.dataFolder);
    // A package that is ready waits for the start-time check of the next start.
    if (offer.answer == UpdateAnswer::UpdateAvailable && !OpenReadyPackage(package, offer) &&
        environment.autoDownload()) {
        if (environment.host != nullptr) environment.host->SetVersionLabel(kDownloadNote);
        HttpDownloadFile(offer.url, package, {}, ProgressOnLabel(environment));
    }
    FinishCheck(environment);
}

void RunManualUpdate(const UpdateEnvironment& environment) {
    bool idle = false;
    if (!environment.busy->compare_exchange_strong(idle, true)) {
        Tell(environment, kDownloadNote, L"", L"", 0);
        return;
    }
    UpdateOffer offer = AskForUpdate(environment.serviceHost);
    if (offer.answer == UpdateAnswer::UpToDate) Tell(environment, L"你的版本已经是最新.", L"", L"提示", 0);
    if (offer.answer == UpdateAnswer::UpdateAvailable) InstallOrReportFailure(environment, offer);
    FinishCheck(environment);
}

void StartAutoUpdate(UpdateEnvironment environment) {
    RunLongInBackground([environment = std::move(environment)] { RunAutoUpdate(environment); });
}

void StartManualUpdate(UpdateEnvironment environment) {
    RunLongInBackground([environment = std::move(environment)] { RunManualUpdate(environment); });
}

std::wstring HandOffCommandLine(const std::wstring& updaterPath, unsigned long processHandle,
                                const std::wstring& programPath, bool startedFromAutorun) {
    // Unquoted, a path with a space would be split into several arguments and the copy would
    // not recognise its apply mode.
    std::wstring updater = updaterPath.find(L' ') == std::wstring::npos ? updaterPath : L"\"" + updaterPath + L"\"";
    return updater + L" " + std::to_wstring(processHandle) + L" \"" + programPath + L"\" " +
           (startedFromAutorun ? L"0" : L"1");
}

namespace {

struct AttributeListDeleter {
    void operator()(LPPROC_THREAD_ATTRIBUTE_LIST list) const { DeleteProcThreadAttributeList(list); }
};

// Writes the updater copy as a new file of our own and moves it into place: a file or link that
// someone planted under the updater's name is replaced, never written through.
bool WriteUpdaterCopy(const std::wstring& program, const std::wstring& updater) {
    ScopedHandle source = AdoptFileHandle(CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    std::optional<TempFile> copy = TempFile::CreateBeside(updater);
    return source && copy && copy->CopyFrom(source.get()) && copy->ReplaceTarget();
}

// Starts `program` with `commandLine`, handing it `inherited` and no other handle: whatever else
// this process holds as inheritable (the control channel's socket, for one) stays here.
bool StartInheritingOnly(const std::wstring& program, std::wstring commandLine, HANDLE inherited) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> storage(size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &size)) return false;
    std::unique_ptr<_PROC_THREAD_ATTRIBUTE_LIST, AttributeListDeleter> list(attributes);
    if (!UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &inherited, sizeof(inherited),
                                   nullptr, nullptr)) {
        return false;
    }
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.lpAttributeList = attributes;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, EXTENDED_STARTUPINFO_PRESENT,
                        nullptr, nullptr, &startup.StartupInfo, &started)) {
        return false;
    }
    ScopedHandle thread(started.hThread);
    ScopedHandle process(started.hProcess);
    return true;
}

std::wstring OwnProgramPath() {
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return std::wstring(path.data(), length);
}

}  // namespace

bool HandOffToUpdater(const std::wstring& dataFolder, const std::wstring& startCommandLine,
                      const std::function<void()>& endInstance) {
    return HandOffProgramToUpdater(OwnProgramPath(), dataFolder, startCommandLine, endInstance);
}

bool HandOffProgramToUpdater(const std::wstring& program, const std::wstring& dataFolder,
                             const std::wstring& startCommandLine, const std::function<void()>& endInstance) {
    const std::wstring updater = UpdaterCopyPath(dataFolder);
    // Without a running updater, ending this instance would leave the player with no program.
    if (!WriteUpdaterCopy(program, updater)) return false;

    // The updater waits on this handle and reads from it which program it replaces.
    ScopedHandle self(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, GetCurrentProcessId()));
    if (!self) return false;
    const std::wstring commandLine = HandOffCommandLine(
        updater, static_cast<unsigned long>(reinterpret_cast<uintptr_t>(self.get())), program,
        startCommandLine == L"AUTORUN");
    const bool running = StartInheritingOnly(updater, commandLine, self.get());
    self.reset();
    if (running) endInstance();
    return running;
}
