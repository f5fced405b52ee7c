// The start-up benchmark: starts a program, times it to the moment its main window is first
// painted on the screen, reads its peak working set once start-up has settled and its processor
// time while it idles, and ends it. The bare window program and Ludora take turns, round after
// round, so that both meet the same machine; Ludora also runs against a service that answers
// every request ten seconds late, which must not move its first paint, with a hundred games
// whose files carry an icon against a hundred whose files carry none, and with five thousand
// hand-added games against an empty list.
//   startup_bench.exe ROUNDS BARE_EXE LUDORA_EXE SERVICE_PORT DEMO_GAME_EXE
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "UiLib/render/DibSection.h"
#include "UiLib/render/GdiObject.h"
#include "UiLib/render/ScopedDC.h"

namespace {

constexpr int kMinimumWindowWidth = 600;
constexpr double kPaintTimeoutSeconds = 30;
constexpr DWORD kSettleStepMs = 250;
constexpr int kSettledSteps = 4;
constexpr DWORD kIdleSampleMs = 3000;
// Wine and the X server go on tearing down an ended program's windows for a while; each program
// starts after the same pause, so that none pays for the one before it.
constexpr DWORD kQuietBeforeStartMs = 700;
const wchar_t kDataFolder[] = L"C:\\ProgramData\\Ludora";
const wchar_t kGamesFolder[] = L"C:\\ProgramData\\LudoraBenchGames";
constexpr int kManyGames = 100;
constexpr int kThousandsOfGames = 5000;
const char* const kServiceActions[] = {"getversion", "getNews", "getPop-news", "getPop-ad", "getGongLue"};

double Seconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Figures {
    double secondsToPaint = 0;
    double peakMiB = 0;
    double idleCpuPercent = 0;
};

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    RECT rect;
    if (owner != search->processId || !IsWindowVisible(window) || !GetWindowRect(window, &rect)) return TRUE;
    if (rect.right - rect.left < kMinimumWindowWidth) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindMainWindow(DWORD processId) {
    WindowSearch search{processId, nullptr};
    EnumWindows(MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A window counts as painted when rows across it, read back from the screen, hold more than one
// colour: an unpainted window or the empty screen behind it is one flat colour.
bool ShowsPaintedContent(HWND window) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    constexpr int kRows = 6;
    UiLib::CWindowDC screen(nullptr);
    UiLib::CMemoryDC memory(screen.Get());
    UiLib::CDibSection strip(width, kRows);
    if (!memory || !strip.IsValid()) return false;
    {
        UiLib::CSelectObject select(memory.Get(), strip.Get());
        for (int row = 0; row < kRows; ++row)
            BitBlt(memory.Get(), 0, row, width, 1, screen.Get(), rect.left, rect.top + 8 + row * height / kRows, SRCCOPY);
    }
    GdiFlush();
    const uint32_t* pixels = strip.Pixels();
    for (int i = 1; i < width * kRows; ++i)
        if ((pixels[i] & 0xFFFFFF) != (pixels[0] & 0xFFFFFF)) return true;
    return false;
}

double PeakMiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, &counters, sizeof(counters))) return 0;
    return counters.PeakWorkingSetSize / (1024.0 * 1024.0);
}

double ProcessorSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    auto value = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

// Start-up has settled when the peak working set has not grown for a second.
double SettledPeakMiB(HANDLE process) {
    double peak = PeakMiB(process);
    for (int steady = 0, step = 0; steady < kSettledSteps && step < 40; ++step) {
        Sleep(kSettleStepMs);
        const double now = PeakMiB(process);
        steady = now > peak ? 0 : steady + 1;
        peak = std::max(peak, now);
    }
    return peak;
}

bool Measure(const std::wstring& commandLine, Figures& figures) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring buffer = commandLine;
    Sleep(kQuietBeforeStartMs);
    const double start = Seconds();
    if (!CreateProcessW(nullptr, &buffer[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    bool painted = false;
    while (!painted && Seconds() - start < kPaintTimeoutSeconds) {
        HWND window = FindMainWindow(process.dwProcessId);
        painted = window && ShowsPaintedContent(window);
        if (!painted) Sleep(1);
    }
    figures.secondsToPaint = Seconds() - start;
    if (painted) {
        figures.peakMiB = SettledPeakMiB(process.hProcess);
        const double before = ProcessorSeconds(process.hProcess);
        Sleep(kIdleSampleMs);
        figures.idleCpuPercent =
            std::max(0.0, 100.0 * (ProcessorSeconds(process.hProcess) - before) / (kIdleSampleMs / 1000.0));
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return painted;
}

void RemoveFolder(const std::wstring& folder) {
    std::wstring from = folder + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

void RemoveDataFolder() { RemoveFolder(kDataFolder); }

std::string Utf8(const std::wstring& text) {
    std::string bytes(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

// A hundred copies of `program`, each a game of its own, in a folder named `kind`.
std::vector<std::wstring> CopyGames(const std::wstring& program, const std::wstring& kind) {
    const std::wstring folder = std::wstring(kGamesFolder) + L"\\" + kind;
    CreateDirectoryW(kGamesFolder, nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<std::wstring> paths;
    for (int game = 0; game < kManyGames; ++game) {
        paths.push_back(folder + L"\\game" + std::to_wstring(game) + L".exe");
        CopyFileW(program.c_str(), paths.back().c_str(), FALSE);
    }
    return paths;
}

// A fresh data folder whose game list holds the given games.
void PrepareGameList(const std::vector<std::wstring>& paths) {
    RemoveDataFolder();
    CreateDirectoryW(kDataFolder, nullptr);
    std::string list = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n<UserGame>";
    for (size_t game = 0; game < paths.size(); ++game) {
        list += "<Game name=\"" + Utf8(L"游戏 " + std::to_wstring(game)) + "\" path=\"" + Utf8(paths[game]) +
                "\" type=\"0\" id=\"0\" />";
    }
    list += "</UserGame>\n";
    const std::wstring file = std::wstring(kDataFolder) + L"\\UserGame.xml";
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(handle, list.data(), static_cast<DWORD>(list.size()), &written, nullptr);
    CloseHandle(handle);
}

// Five thousand games named one by one, their files the hundred copies with icons taken in turn.
std::vector<std::wstring> ThousandsOfGames(const std::vector<std::wstring>& files) {
    std::vector<std::wstring> paths;
    for (int game = 0; game < kThousandsOfGames; ++game) paths.push_back(files[static_cast<size_t>(game) % files.size()]);
    return paths;
}

// One request to the local service's control port; the answer is not needed.
void PostToService(int port, const std::string& path) {
    SOCKET connection = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        const std::string request = "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        send(connection, request.data(), static_cast<int>(request.size()), 0);
        char reply[512];
        while (recv(connection, reply, sizeof(reply), 0) > 0) {
        }
    }
    closesocket(connection);
}

void SlowDownService(int port) {
    for (const char* action : kServiceActions) PostToService(port, std::string("/__control/answer?key=") + action + "&delay=10");
}

struct Series {
    const char* name;
    std::function<void()> prepare;
    std::wstring commandLine;
    std::function<void()> after;
    std::vector<Figures> rounds;
};

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::vector<double> Column(const Series& series, double Figures::*field) {
    std::vector<double> values;
    for (const Figures& figures : series.rounds) values.push_back(figures.*field);
    return values;
}

void PrintSeries(const Series& series) {
    const auto paint = Column(series, &Figures::secondsToPaint);
    std::printf("  %-34s first paint %6.0f ms (%.0f-%.0f)  peak working set %5.1f MiB  idle CPU %.2f%%\n", series.name,
                Median(paint) * 1000, *std::min_element(paint.begin(), paint.end()) * 1000,
                *std::max_element(paint.begin(), paint.end()) * 1000, Median(Column(series, &Figures::peakMiB)),
                Median(Column(series, &Figures::idleCpuPercent)));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: startup_bench ROUNDS BARE_EXE LUDORA_EXE SERVICE_PORT DEMO_GAME_EXE\n");
        return 2;
    }
    const int rounds = std::max(1, _wtoi(argv[1]));
    const int port = _wtoi(argv[4]);
    WSADATA winsock;
    WSAStartup(MAKEWORD(2, 2), &winsock);

    const std::wstring ludora = L"\"" + std::wstring(argv[3]) + L"\"";
    // The demo game carries an icon, the bare window program none.
    const std::vector<std::wstring> withIcons = CopyGames(argv[5], L"icons");
    const std::vector<std::wstring> withoutIcons = CopyGames(argv[2], L"plain");
    const std::vector<std::wstring> thousands = ThousandsOfGames(withIcons);
    std::vector<Series> series = {
        {"bare window program", [] {}, L"\"" + std::wstring(argv[2]) + L"\"", [] {}, {}},
        {"Ludora, fresh data folder", RemoveDataFolder, ludora, [] {}, {}},
        {"Ludora, service 10 s late", [port] { RemoveDataFolder(); SlowDownService(port); }, ludora,
         [port] { PostToService(port, "/__control/reset"); }, {}},
        {"Ludora, 100 games with icons", [&] { PrepareGameList(withIcons); }, ludora, [] {}, {}},
        {"Ludora, 100 games without icons", [&] { PrepareGameList(withoutIcons); }, ludora, [] {}, {}},
        {"Ludora, empty game list", [] { PrepareGameList({}); }, ludora, [] {}, {}},
        {"Ludora, 5,000 games", [&] { PrepareGameList(thousands); }, ludora, [] {}, {}},
    };
    // Round 0 warms up the prefix, the disk cache and the X server for every series and is not counted.
    for (int round = 0; round <= rounds; ++round) {
        for (Series& each : series) {
            each.prepare();
            Figures figures;
            const bool painted = Measure(each.commandLine, figures);
            each.after();
            if (!painted) {
                std::fprintf(stderr, "%s: no painted window within %.0f s\n", each.name, kPaintTimeoutSeconds);
                return 1;
            }
            if (round > 0) each.rounds.push_back(figures);
        }
    }

    std::printf("Start-up, %d rounds taking turns (median, range)\n", rounds);
    for (const Series& each : series) PrintSeries(each);
    const auto median = [&](int index, double Figures::*field) { return Median(Column(series[index], field)); };
    std::printf("  first paint: Ludora / bare %.2f (target 1.3 or less); late service - prompt service %+.0f ms\n",
                median(1, &Figures::secondsToPaint) / median(0, &Figures::secondsToPaint),
                (median(2, &Figures::secondsToPaint) - median(1, &Figures::secondsToPaint)) * 1000);
    std::printf("  peak working set: Ludora / bare %.2f (target 1.6 or less)\n",
                median(1, &Figures::peakMiB) / median(0, &Figures::peakMiB));
    std::printf("  first paint with 100 games: with icons / without %.2f\n",
                median(3, &Figures::secondsToPaint) / median(4, &Figures::secondsToPaint));
    const double grownKiB = (median(6, &Figures::peakMiB) - median(5, &Figures::peakMiB)) * 1024;
    std::printf("  with 5,000 games: first paint / with none %.2f (target 1.3 or less); peak working set %+.1f MiB, "
                "%.2f KiB a game (target 1 or less)\n",
                median(6, &Figures::secondsToPaint) / median(5, &Figures::secondsToPaint), grownKiB / 1024,
                grownKiB / kThousandsOfGames);
    RemoveFolder(kGamesFolder);
    WSACleanup();
    return 0;
}
