// The start-up benchmark: starts a program, times it to the moment its main window is first
// painted on the screen, reads its peak working set once start-up has settled and its processor
// time while it idles, and ends it. The bare window program and Ludora take turns, round after
// round, so that both meet the same machine; Ludora also runs against a service that answers
// every request ten seconds late, which must not move its first paint.
//   startup_bench.exe ROUNDS BARE_EXE LUDORA_EXE SERVICE_PORT
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

#include "UiLib/core/DibSection.h"
#include "UiLib/core/GdiObject.h"
#include "UiLib/core/ScopedDC.h"

namespace {

constexpr int kMinimumWindowWidth = 600;
constexpr double kPaintTimeoutSeconds = 30;
constexpr DWORD kSettleStepMs = 250;
constexpr int kSettledSteps = 4;
constexpr DWORD kIdleSampleMs = 3000;
const wchar_t kDataFolder[] = L"C:\\ProgramData\\Ludora";
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

void RemoveDataFolder() {
    std::wstring from = std::wstring(kDataFolder) + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
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
    if (argc < 5) {
        std::fprintf(stderr, "usage: startup_bench ROUNDS BARE_EXE LUDORA_EXE SERVICE_PORT\n");
        return 2;
    }
    const int rounds = std::max(1, _wtoi(argv[1]));
    const int port = _wtoi(argv[4]);
    WSADATA winsock;
    WSAStartup(MAKEWORD(2, 2), &winsock);

    const std::wstring ludora = L"\"" + std::wstring(argv[3]) + L"\"";
    std::vector<Series> series = {
        {"bare window program", [] {}, L"\"" + std::wstring(argv[2]) + L"\"", [] {}, {}},
        {"Ludora, fresh data folder", RemoveDataFolder, ludora, [] {}, {}},
        {"Ludora, service 10 s late", [port] { RemoveDataFolder(); SlowDownService(port); }, ludora,
         [port] { PostToService(port, "/__control/reset"); }, {}},
    };
    for (int round = 0; round < rounds; ++round) {
        for (Series& each : series) {
            each.prepare();
            Figures figures;
            const bool painted = Measure(each.commandLine, figures);
            each.after();
            if (!painted) {
                std::fprintf(stderr, "%s: no painted window within %.0f s\n", each.name, kPaintTimeoutSeconds);
                return 1;
            }
            each.rounds.push_back(figures);
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
    WSACleanup();
    return 0;
}
