#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "online/HttpClient.h"
#include "online/UpdateHost.h"
#include "shared/ScopedHandle.h"

// The program's own version, compared with the one the management service announces.
extern const wchar_t kProgramVersion[];

// The text of the version label: "版本: " and the program version.
std::wstring VersionText();
// The version label while a package downloads: "正在下载更新 37%", or the kilobytes received when
// the service announced no length (`total` -1).
std::wstring DownloadProgressText(long long received, long long total);

std::wstring PackagePath(const std::wstring& dataFolder);      // "<data>\Patchs\Ludora.pak"
std::wstring UpdaterCopyPath(const std::wstring& dataFolder);  // "<data>\Patchs\Ludora.tmp"

enum class UpdateAnswer { NoAnswer, UpToDate, UpdateAvailable };

struct UpdateOffer {
    UpdateAnswer answer = UpdateAnswer::NoAnswer;
    std::wstring version;
    std::wstring digest;
    std::wstring url;
};

// Asks the service for its newest version. Any version but the program's own is an update; no
// ordering of version numbers is made.
UpdateOffer AskForUpdate(const std::wstring& serviceHost, const HttpTimeouts& timeouts = {});

// The package file when it is ready to install, open for reading with no one else allowed to
// change, replace or remove it while it is held: its MD5 digest is the announced one (the transfer
// check), and it is a program signed by the running program's publisher, unchanged since, whose
// version resource says the announced version. Null otherwise.
ScopedHandle OpenReadyPackage(const std::wstring& packagePath, const UpdateOffer& offer);

// What the update checks work with, owned by the check's thread: given by the application, or by
// a test.
struct UpdateEnvironment {
    std::wstring serviceHost;
    std::wstring dataFolder;
    std::shared_ptr<std::atomic<bool>> busy;  // set while an update is downloaded or handed off
    std::shared_ptr<IUpdateHost> host;        // version label and message boxes; null at start-up
    std::function<bool()> autoDownload;   // UpdateType allows the automatic download
    // Starts the updater copy, which installs the checked package open at its argument, and ends
    // this instance; false when it could not.
    std::function<bool(HANDLE package)> handOff;
};

// The start-time check: hands off to a package downloaded earlier that matches the announced
// digest. Never downloads. Without a package it asks nothing, and its one request is short, so
// that a slow service never holds up the window. True when it handed off.
bool RunStartupUpdateCheck(const UpdateEnvironment& environment);

// The automatic check, which the program starts once start-up has settled: downloads a new package
// for the next start when UpdateType allows it. Never installs, never shows a message.
void RunAutoUpdate(const UpdateEnvironment& environment);
// The check the user asks for: downloads and installs at once and reports by message boxes.
void RunManualUpdate(const UpdateEnvironment& environment);

// Run the checks in the background; they end by themselves.
void StartAutoUpdate(UpdateEnvironment environment);
void StartManualUpdate(UpdateEnvironment environment);

// The command line of the updater copy: its path (quoted only when it holds a space), the
// handle of the old instance, the quoted program path and the restart flag.
std::wstring HandOffCommandLine(const std::wstring& updaterPath, unsigned long processHandle,
                                const std::wstring& programPath, bool startedFromAutorun);

// Copies the program to the updater copy, starts it in apply mode and calls `endInstance`, which
// ends this instance. When the copy or its start fails, this instance goes on: false.
bool HandOffToUpdater(const std::wstring& dataFolder, const std::wstring& startCommandLine,
                      const std::function<void()>& endInstance);
// The same with the program file to copy given, not taken from this process.
bool HandOffProgramToUpdater(const std::wstring& program, const std::wstring& dataFolder,
                             const std::wstring& startCommandLine, const std::function<void()>& endInstance);
