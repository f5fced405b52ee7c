#include "games/PlayHistory.h"

#include <shlwapi.h>
#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "games/GameActions.h"
#include "games/GoodCopies.h"
#include "shared/DataFolder.h"
#include "shared/TextConvert.h"
#include "shared/XmlFile.h"

namespace {

const char kRootName[] = "PlayHistory";
const char kGameName[] = "Game";
const char kSessionName[] = "Session";
const char kFavouriteName[] = "Favourite";
const char kOrderName[] = "order";
// How each order is written; an older file has only orderByLastPlayed="1" or "0".
const std::pair<GameOrder, const char*> kOrderTexts[] = {
    {GameOrder::AsInstalled, "installed"},
    {GameOrder::ByName, "name"},
    {GameOrder::ByLastPlayed, "lastPlayed"},
    {GameOrder::ByTimePlayed, "timePlayed"},
};
// How many kept copies of one second's name may pile up before no more are made.
const int kMaxKeptNames = 100;

GameOrder ReadOrder(const TiXmlElement& root) {
    if (const char* text = root.Attribute(kOrderName)) {
        for (const auto& [order, name] : kOrderTexts)
            if (std::strcmp(text, name) == 0) return order;
        return GameOrder::AsInstalled;
    }
    const char* older = root.Attribute("orderByLastPlayed");
    return older && std::strcmp(older, "1") == 0 ? GameOrder::ByLastPlayed : GameOrder::AsInstalled;
}

const char* OrderText(GameOrder wanted) {
    for (const auto& [order, name] : kOrderTexts)
        if (order == wanted) return name;
    return kOrderTexts[0].second;
}

uint64_t FromFileTime(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME ToFileTime(uint64_t time) {
    return FILETIME{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
}

// "2026-12-08T14:03:05Z"; 0 for anything else.
uint64_t ParseUtcTime(const char* text) {
    SYSTEMTIME utc{};
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char zone = 0;
    if (!text) return 0;
    const int read = std::sscanf(text, "%4u-%2u-%2uT%2u:%2u:%2u%c", &year, &month, &day, &hour, &minute, &second, &zone);
    if (read != 7 || zone != 'Z') return 0;
    utc.wYear = static_cast<WORD>(year);
    utc.wMonth = static_cast<WORD>(month);
    utc.wDay = static_cast<WORD>(day);
    utc.wHour = static_cast<WORD>(hour);
    utc.wMinute = static_cast<WORD>(minute);
    utc.wSecond = static_cast<WORD>(second);
    FILETIME time{};
    return SystemTimeToFileTime(&utc, &time) ? FromFileTime(time) : 0;
}

std::string UtcTimeText(uint64_t time) {
    SYSTEMTIME utc{};
    const FILETIME fileTime = ToFileTime(time);
    if (!FileTimeToSystemTime(&fileTime, &utc)) return std::string();
    char text[32] = {};
    std::snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02uZ", utc.wYear, utc.wMonth, utc.wDay, utc.wHour,
                  utc.wMinute, utc.wSecond);
    return text;
}

// Digits only; 0 for anything else.
uint64_t ParseCount(const char* text) {
    if (!text || !*text) return 0;
    uint64_t value = 0;
    for (const char* digit = text; *digit; ++digit) {
        if (*digit < '0' || *digit > '9') return 0;
        // More digits than a count can hold are as bad as letters.
        if (value > (UINT64_MAX - 9) / 10) return 0;
        value = value * 10 + static_cast<uint64_t>(*digit - '0');
    }
    return value;
}

// A session of the file; none without a start. It runs while it names its process.
std::optional<PlaySessionRecord> ReadSession(const TiXmlElement& element) {
    PlaySessionRecord session;
    session.started = ParseUtcTime(element.Attribute("start"));
    if (session.started == 0) return std::nullopt;
    session.seconds = ParseCount(element.Attribute("seconds"));
    const uint64_t id = ParseCount(element.Attribute("pid"));
    if (id != 0 && id <= MAXDWORD) {
        const char* image = element.Attribute("image");
        session.process = GameProcess{static_cast<DWORD>(id), ParseCount(element.Attribute("created")),
                                      image ? Utf8ToWideExact(image) : std::wstring()};
        session.awakeAtWrite = ParseCount(element.Attribute("awake"));
    }
    return session;
}

TiXmlElement* SessionElement(const PlaySessionRecord& session) {
    auto* element = new TiXmlElement(kSessionName);
    element->SetAttribute("start", UtcTimeText(session.started).c_str());
    element->SetAttribute("seconds", std::to_string(session.seconds).c_str());
    if (session.process) {
        element->SetAttribute("pid", std::to_string(session.process->id).c_str());
        element->SetAttribute("created", std::to_string(session.process->created).c_str());
        element->SetAttribute("image", WideToUtf8(session.process->image).c_str());
        element->SetAttribute("awake", std::to_string(session.awakeAtWrite).c_str());
    }
    return element;
}

// The newest `kept` sessions, oldest first; the ended ones go before the running ones. One pass
// each, whatever number a file holds.
void KeepNewest(std::vector<PlaySessionRecord>& sessions, size_t kept) {
    std::stable_sort(sessions.begin(), sessions.end(),
                     [](const PlaySessionRecord& a, const PlaySessionRecord& b) { return a.started < b.started; });
    if (sessions.size() <= kept) return;
    size_t excess = sessions.size() - kept;
    sessions.erase(std::remove_if(sessions.begin(), sessions.end(),
                                  [&](const PlaySessionRecord& session) {
                                      if (excess == 0 || session.process) return false;
                                      --excess;
                                      return true;
                                  }),
                   sessions.end());
    sessions.erase(sessions.begin(), sessions.begin() + static_cast<std::ptrdiff_t>(excess));
}

bool IsSession(const PlaySessionRecord& session, uint64_t started, DWORD processId) {
    return session.process && session.started == started && session.process->id == processId;
}

// Whole seconds: a session's start is named as the file writes it.
uint64_t WholeSeconds(uint64_t time) { return time - time % 10000000; }

}  // namespace

void PlayHistory::Load(const std::wstring& dataFolder) {
    path_ = dataFolder + L"\\" + kFileName;
    entries_.clear();
    order_ = GameOrder::AsInstalled;
    favourites_.clear();
    restoredFromCopy_ = false;
    DataFilesLock files;
    // A file gone while its copies stay was lost, not emptied by the player.
    if (!PathFileExistsW(path_.c_str())) TakeBackGoodCopy();
    mayWrite_ = ReadFileAgain();
}

bool PlayHistory::ReadFileAgain() {
    if (!PathFileExistsW(path_.c_str())) return true;
    std::string bytes;
    if (ReadWholeFile(path_, bytes) && Read(bytes)) return true;
    if (!KeepUnreadableFile()) return false;
    TakeBackGoodCopy();
    return true;
}

void PlayHistory::TakeBackGoodCopy() {
    // Reading a copy is its test: the one read is the one put back.
    const std::optional<std::string> copy =
        GoodCopies(path_).NewestReadable([this](const std::string& bytes) { return Read(bytes); });
    if (!copy) return;
    restoredFromCopy_ = true;
    // Should the copy not go back now, it is in memory and the next change writes it.
    ReplaceFileContents(path_, *copy);
}

bool PlayHistory::Read(const std::string& bytes) {
    TiXmlDocument document;
    document.Parse(bytes.c_str(), nullptr, TIXML_ENCODING_UTF8);
    const TiXmlElement* root = document.RootElement();
    if (document.Error() || !root || root->ValueTStr() != kRootName) return false;
    order_ = ReadOrder(*root);
    entries_.clear();
    for (const TiXmlElement* game = root->FirstChildElement(kGameName); game;
         game = game->NextSiblingElement(kGameName)) {
        const char* path = game->Attribute("path");
        if (!path || !*path) continue;
        PlayRecord record;
        record.lastStarted = ParseUtcTime(game->Attribute("lastStarted"));
        record.secondsPlayed = ParseCount(game->Attribute("secondsPlayed"));
        Entry entry{Utf8ToWideExact(path), record, {}};
        for (const TiXmlElement* session = game->FirstChildElement(kSessionName); session;
             session = session->NextSiblingElement(kSessionName)) {
            if (std::optional<PlaySessionRecord> read = ReadSession(*session)) entry.sessions.push_back(std::move(*read));
        }
        KeepNewest(entry.sessions, kKeptSessions);
        entries_[PathKey(entry.path)] = std::move(entry);
    }
    favourites_.clear();
    for (const TiXmlElement* favourite = root->FirstChildElement(kFavouriteName); favourite;
         favourite = favourite->NextSiblingElement(kFavouriteName)) {
        const char* path = favourite->Attribute("path");
        if (!path || !*path) continue;
        std::wstring widePath = Utf8ToWideExact(path);
        favourites_[PathKey(widePath)] = std::move(widePath);
    }
    return true;
}

bool PlayHistory::KeepUnreadableFile() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const std::wstring kept = KeptFileName(path_, now);
    for (int attempt = 1; attempt <= kMaxKeptNames; ++attempt) {
        const std::wstring target = attempt == 1 ? kept : kept + L"-" + std::to_wstring(attempt);
        // Without MOVEFILE_REPLACE_EXISTING: a copy kept earlier is never written over.
        if (MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) break;
    }
    // Gone meanwhile: nothing is left to keep.
    return !PathFileExistsW(path_.c_str());
}

std::wstring PlayHistory::KeptFileName(const std::wstring& path, const SYSTEMTIME& when) {
    wchar_t stamp[32] = {};
    std::swprintf(stamp, 32, L"%04u%02u%02u-%02u%02u%02u", when.wYear, when.wMonth, when.wDay, when.wHour, when.wMinute,
                  when.wSecond);
    return path + L".unreadable-" + stamp;
}

PlayRecord PlayHistory::Find(const std::wstring& gamePath) const {
    auto found = entries_.find(PathKey(gamePath));
    if (found == entries_.end()) return PlayRecord{};
    PlayRecord record = found->second.record;
    if (!found->second.sessions.empty()) record.lastSessionSeconds = found->second.sessions.back().seconds;
    return record;
}

std::vector<PlaySessionRecord> PlayHistory::Sessions(const std::wstring& gamePath) const {
    auto found = entries_.find(PathKey(gamePath));
    return found == entries_.end() ? std::vector<PlaySessionRecord>{} : found->second.sessions;
}

std::vector<RunningSession> PlayHistory::RunningSessions() const {
    std::vector<RunningSession> running;
    for (const auto& [key, entry] : entries_)
        for (const PlaySessionRecord& session : entry.sessions)
            if (session.process) running.push_back(RunningSession{entry.path, session});
    return running;
}

void PlayHistory::RecordStart(const std::wstring& gamePath, uint64_t startedUtc) {
    Change([&] {
        Entry& entry = entries_[PathKey(gamePath)];
        entry.path = gamePath;
        entry.record.lastStarted = startedUtc;
    });
}

void PlayHistory::RecordPlayed(const std::wstring& gamePath, uint64_t seconds) {
    Change([&] {
        Entry& entry = entries_[PathKey(gamePath)];
        if (entry.path.empty()) entry.path = gamePath;
        entry.record.secondsPlayed += seconds;
    });
}

uint64_t PlayHistory::BeginSession(const std::wstring& gamePath, const PlaySessionRecord& session) {
    const uint64_t started = WholeSeconds(session.started);
    Change([&] {
        Entry& entry = entries_[PathKey(gamePath)];
        entry.path = gamePath;
        entry.record.lastStarted = started;
        entry.sessions.push_back(session);
        entry.sessions.back().started = started;
        KeepNewest(entry.sessions, kKeptSessions);
    });
    return started;
}

void PlayHistory::UpdateSessions(const std::vector<SessionProgress>& updates) {
    Change([&] {
        for (const SessionProgress& progress : updates) Update(progress);
    });
}

void PlayHistory::Update(const SessionProgress& progress) {
    Entry& entry = entries_[PathKey(progress.gamePath)];
    if (entry.path.empty()) entry.path = progress.gamePath;
    auto found = std::find_if(entry.sessions.begin(), entry.sessions.end(), [&](const PlaySessionRecord& session) {
        return IsSession(session, progress.started, progress.processId);
    });
    if (found == entry.sessions.end()) {
        // Its process is not known any more: it is kept as ended, and added whole.
        PlaySessionRecord again;
        again.started = progress.started;
        entry.sessions.push_back(again);
        found = entry.sessions.end() - 1;
    }
    // Lengths only grow: a file that says more keeps its count. The total stops at the largest count.
    if (progress.seconds > found->seconds) {
        const uint64_t added = progress.seconds - found->seconds;
        entry.record.secondsPlayed += std::min(added, UINT64_MAX - entry.record.secondsPlayed);
        found->seconds = progress.seconds;
    }
    found->awakeAtWrite = progress.awakeNow;
    if (progress.ended) found->process.reset();
    KeepNewest(entry.sessions, kKeptSessions);
}

void PlayHistory::SetOrder(GameOrder order) {
    if (order_ == order) return;
    Change([&] { order_ = order; });
}

bool PlayHistory::IsFavourite(const std::wstring& gamePath) const {
    // The column asks for every game at start: without favourites no path is looked up.
    return !favourites_.empty() && favourites_.count(PathKey(gamePath)) != 0;
}

void PlayHistory::SetFavourite(const std::wstring& gamePath, bool favourite) {
    if (IsFavourite(gamePath) == favourite) return;
    Change([&] {
        if (favourite) favourites_[PathKey(gamePath)] = gamePath;
        else favourites_.erase(PathKey(gamePath));
    });
}

void PlayHistory::Change(const std::function<void()>& change) {
    DataFilesLock files;
    mayWrite_ = ReadFileAgain();
    change();
    Save();
}

void PlayHistory::Save() const {
    if (!mayWrite_) return;
    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", "yes"));
    auto* root = new TiXmlElement(kRootName);
    root->SetAttribute(kOrderName, OrderText(order_));
    for (const auto& [key, entry] : entries_) {
        auto* game = new TiXmlElement(kGameName);
        game->SetAttribute("path", WideToUtf8(entry.path).c_str());
        if (entry.record.lastStarted != 0) game->SetAttribute("lastStarted", UtcTimeText(entry.record.lastStarted).c_str());
        game->SetAttribute("secondsPlayed", std::to_string(entry.record.secondsPlayed).c_str());
        for (const PlaySessionRecord& session : entry.sessions) game->LinkEndChild(SessionElement(session));
        root->LinkEndChild(game);
    }
    for (const auto& [key, path] : favourites_) {
        auto* favourite = new TiXmlElement(kFavouriteName);
        favourite->SetAttribute("path", WideToUtf8(path).c_str());
        root->LinkEndChild(favourite);
    }
    document.LinkEndChild(root);
    const std::string bytes = PrintXmlDocument(document);
    if (ReplaceFileContents(path_, bytes)) GoodCopies(path_).Keep(bytes);
}

uint64_t UtcNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return FromFileTime(now);
}

std::wstring LastPlayedText(const std::optional<SYSTEMTIME>& localTime) {
    if (!localTime) return L"上次游戏：从未";
    wchar_t text[64] = {};
    std::swprintf(text, 64, L"上次游戏：%04u-%02u-%02u %02u:%02u", localTime->wYear, localTime->wMonth, localTime->wDay,
                  localTime->wHour, localTime->wMinute);
    return text;
}

namespace {

std::wstring DurationText(uint64_t seconds) {
    if (seconds < 60) return L"不到1分钟";
    const uint64_t minutes = seconds / 60;
    if (minutes < 60) return std::to_wstring(minutes) + L"分钟";
    std::wstring text = std::to_wstring(minutes / 60) + L"小时";
    if (minutes % 60 != 0) text += std::to_wstring(minutes % 60) + L"分";
    return text;
}

}  // namespace

std::wstring PlayedTimeText(const PlayRecord& record) {
    const bool neverPlayed = record.lastStarted == 0 && record.secondsPlayed == 0 && !record.lastSessionSeconds;
    return L"游戏时长：" + (neverPlayed ? std::wstring(L"—") : DurationText(record.secondsPlayed));
}

std::wstring LastSessionText(const PlayRecord& record) {
    return record.lastSessionSeconds ? L"上次时长：" + DurationText(*record.lastSessionSeconds) : std::wstring();
}

std::optional<SYSTEMTIME> LocalStartTime(const PlayRecord& record) {
    if (record.lastStarted == 0) return std::nullopt;
    const FILETIME time = ToFileTime(record.lastStarted);
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&time, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return std::nullopt;
    return local;
}
