#include "games/GameList.h"

#include <windows.h>
#include <shlwapi.h>
#include <tinyxml.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "shared/DataFolder.h"
#include "shared/TextConvert.h"
#include "shared/XmlFile.h"
#include "games/GoodCopies.h"
#include "games/InstalledGames.h"

namespace {

const wchar_t kFileName[] = L"\\UserGame.xml";
const wchar_t kKeptSuffix[] = L".unreadable";
// How many kept copies may pile up beside the file before no more are made.
const int kMaxKeptFiles = 100;

std::unique_ptr<TiXmlDocument> NewUserGameDocument() {
    auto document = std::make_unique<TiXmlDocument>();
    document->LinkEndChild(new TiXmlDeclaration("1.0", "utf-8", "yes"));
    document->LinkEndChild(new TiXmlElement("UserGame"));
    return document;
}

// A document of the file's shape; null when `bytes` do not parse or have no root.
std::unique_ptr<TiXmlDocument> ParseUserGames(const std::string& bytes) {
    auto document = std::make_unique<TiXmlDocument>();
    document->Parse(bytes.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (document->Error() || document->RootElement() == nullptr) return nullptr;
    return document;
}

GameRecord RecordFromElement(const TiXmlElement& element) {
    GameRecord record;
    for (const TiXmlAttribute* attribute = element.FirstAttribute(); attribute; attribute = attribute->Next()) {
        const std::string name = attribute->Name();
        if (name == "name") record.name = Utf8ToWide(attribute->Value());
        // A path is read back exactly: one passed through the ANSI code page would name no file.
        else if (name == "path") record.path = Utf8ToWideExact(attribute->Value());
        else if (name == "type") record.type = ParseGameNumber(attribute->Value());
        else if (name == "id") record.id = ParseGameNumber(attribute->Value());
    }
    return record;
}

// Reads the file in the one form this program writes it: the declaration, the root "UserGame" and
// its "Game" elements, each with double-quoted attributes holding no markup characters, and only the
// five named entities. That is thousands of games at once, without a document holding them all.
// Anything else, damaged or written by hand, is left to the document, which reads it as it always
// has: the scanner gives up, with the games it read taken back.
class CanonicalGameReader {
public:
    CanonicalGameReader(const std::string& bytes, std::vector<GameRecord>& games)
        : p_(bytes.data()), end_(bytes.data() + bytes.size()), games_(games) {}

    bool Read() {
        const size_t before = games_.size();
        if (!ReadFile()) {
            games_.resize(before);
            return false;
        }
        return true;
    }

private:
    bool ReadFile() {
        Skip("\xEF\xBB\xBF");
        SkipBlanks();
        if (Skip("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>")) SkipBlanks();
        if (!Skip("<UserGame")) return false;
        SkipBlanks();
        if (Skip("/>")) return AtEnd();
        if (!Skip(">")) return false;
        for (SkipBlanks(); Skip("<Game"); SkipBlanks())
            if (!ReadGame()) return false;
        return Skip("</UserGame>") && AtEnd();
    }

    // After "<Game": the attributes, then "/>".
    bool ReadGame() {
        GameRecord record;
        std::string names;  // the attributes met, each between blanks, to refuse a repeated one
        while (true) {
            const bool blank = SkipBlanks();
            if (Skip("/>")) break;
            std::string name, value;
            if (!blank || !ReadName(name) || !Skip("=\"") || !ReadValue(value)) return false;
            if (names.find(" " + name + " ") != std::string::npos) return false;
            names += " " + name + " ";
            if (name == "name") record.name = Utf8ToWide(value.c_str());
            else if (name == "path") record.path = Utf8ToWideExact(value);
            else if (name == "type") record.type = ParseGameNumber(value.c_str());
            else if (name == "id") record.id = ParseGameNumber(value.c_str());
        }
        games_.push_back(std::move(record));
        return true;
    }

    bool ReadName(std::string& name) {
        while (p_ < end_ && ((*p_ >= 'a' && *p_ <= 'z') || (*p_ >= 'A' && *p_ <= 'Z'))) name += *p_++;
        return !name.empty();
    }

    // Up to the closing quote; false on markup characters, controls or another "&".
    bool ReadValue(std::string& value) {
        static const std::pair<const char*, char> kEntities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        while (p_ < end_ && *p_ != '"') {
            const unsigned char c = static_cast<unsigned char>(*p_);
            if (c < 0x20 || c == '<' || c == '>') return false;
            if (c != '&') {
                value += *p_++;
                continue;
            }
            const auto entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                             [this](const auto& known) { return Skip(known.first); });
            if (entity == std::end(kEntities)) return false;
            value += entity->second;
        }
        return Skip("\"");
    }

    bool Skip(const char* text) {
        const size_t length = std::strlen(text);
        if (static_cast<size_t>(end_ - p_) < length || std::memcmp(p_, text, length) != 0) return false;
        p_ += length;
        return true;
    }

    bool SkipBlanks() {
        const char* start = p_;
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\n' || *p_ == '\r' || *p_ == '\t')) ++p_;
        return p_ != start;
    }

    bool AtEnd() {
        SkipBlanks();
        return p_ == end_;
    }

    const char* p_;
    const char* end_;
    std::vector<GameRecord>& games_;
};

// A name read back at start-up passes through the ANSI code page; a game added in this session
// still has its exact name. Either spelling finds the element.
bool ElementHasName(const TiXmlElement& element, const std::wstring& name) {
    for (const TiXmlAttribute* attribute = element.FirstAttribute(); attribute; attribute = attribute->Next()) {
        if (attribute->NameTStr() != "name") continue;
        if (Utf8ToWide(attribute->Value()) == name || Utf8ToWideExact(attribute->Value()) == name) return true;
    }
    return false;
}

// The file's entry of a hand-added game: its name under either spelling, and its exact path.
bool ElementIsGame(const TiXmlElement& element, const GameRecord& game) {
    const char* path = element.Attribute("path");
    return ElementHasName(element, game.name) && Utf8ToWideExact(path ? path : "") == game.path;
}

}  // namespace

GameList::GameList() = default;

GameList::~GameList() = default;

void GameList::Load(const std::wstring& dataFolder) {
    DiscoverInstalledGames(*this);
    installedCount_ = games.size();

    EnsureDataFolders(dataFolder);
    path_ = dataFolder + kFileName;
    DataFilesLock files;
    if (!PathFileExistsW(path_.c_str()) && !PutBackMissingFile()) SaveXmlDocument(*NewUserGameDocument(), path_);
    // A file that cannot be read at all leaves the list without its games: additions are
    // refused with a message rather than written over a file that may still be intact.
    std::string bytes;
    fileWasRead_ = ReadWholeFile(path_, bytes);
    if (!fileWasRead_ || CanonicalGameReader(bytes, games).Read()) return;
    ParseBytes(bytes);
    ReadDocument();
    document_.reset();
}

bool GameList::ParseFile() {
    std::string bytes;
    if (!ReadWholeFile(path_, bytes)) return false;
    ParseBytes(bytes);
    return true;
}

void GameList::ParseBytes(const std::string& bytes) {
    document_ = ParseUserGames(bytes);
    fileUnreadable_ = document_ == nullptr;
    if (fileUnreadable_ && !TakeBackGoodCopy()) document_ = NewUserGameDocument();
}

bool GameList::TakeBackGoodCopy() {
    std::unique_ptr<TiXmlDocument> restored;
    const std::optional<std::string> copy = GoodCopies(path_).NewestReadable([&](const std::string& bytes) {
        restored = ParseUserGames(bytes);
        return restored != nullptr;
    });
    // Without a copy to put in its place, the unreadable file stays until a change is made.
    if (!copy || !KeepUnreadableFile()) return false;
    document_ = std::move(restored);
    restoredFromCopy_ = true;
    // Should the copy not go back now, it is in memory and the next change writes it.
    ReplaceFileContents(path_, *copy);
    return true;
}

// A file gone while its copies stay was lost, not emptied by the player: the newest copy returns.
bool GameList::PutBackMissingFile() {
    const std::optional<std::string> copy = GoodCopies(path_).NewestReadable(
        [](const std::string& bytes) { return ParseUserGames(bytes) != nullptr; });
    if (!copy || !ReplaceFileContents(path_, *copy)) return false;
    restoredFromCopy_ = true;
    return true;
}

bool GameList::ReadFileAgain() {
    if (!PathFileExistsW(path_.c_str()) && !PutBackMissingFile()) {
        document_ = NewUserGameDocument();
        fileUnreadable_ = false;
        return true;
    }
    return ParseFile() && (!fileUnreadable_ || KeepUnreadableFile());
}

void GameList::ReadDocument() {
    TiXmlElement* root = Root();
    size_t count = 0;
    for (const TiXmlElement* element = root->FirstChildElement(); element; element = element->NextSiblingElement())
        ++count;
    games.reserve(games.size() + count);
    // Each element goes once it is read: thousands of games never hold their elements and their
    // records in memory at once.
    while (TiXmlElement* element = root->FirstChildElement()) {
        games.push_back(RecordFromElement(*element));
        root->RemoveChild(element);
    }
}

std::optional<GameRecord> GameList::FindByName(const std::wstring& name) const {
    for (const GameRecord& record : games) {
        if (record.name == name) return record;
    }
    return std::nullopt;
}

bool GameList::AddUserGame(GameRecord record) {
    DataFilesLock files;
    if (!ReadFileAgain()) {
        document_.reset();
        return false;
    }
    // Name and path are stored whole: a path cut short would name another file.
    auto* element = new TiXmlElement("Game");
    element->SetAttribute("name", WideToUtf8(record.name).c_str());
    element->SetAttribute("path", WideToUtf8(record.path).c_str());
    element->SetAttribute("type", "0");
    element->SetAttribute("id", "0");
    Root()->LinkEndChild(element);
    // A game that could not be stored would be gone at the next start: it is not added at all.
    const bool saved = Save();
    document_.reset();
    if (saved) games.push_back(std::move(record));
    return saved;
}

void GameList::RemoveUserGame(const GameRecord& game) {
    DataFilesLock files;
    if (!ReadFileAgain()) {
        document_.reset();
        return;
    }
    TiXmlElement* root = Root();
    TiXmlElement* element = root->FirstChildElement();
    while (element != nullptr && !ElementIsGame(*element, game)) element = element->NextSiblingElement();
    if (element != nullptr) {
        root->RemoveChild(element);
        Save();
    }
    document_.reset();
    // Gone from the file, by this change or another session's: gone from the list too. Installed
    // games come first and may share the name; only a hand-added record goes.
    for (auto record = games.begin() + static_cast<std::ptrdiff_t>(installedCount_); record != games.end(); ++record) {
        if (record->name == game.name && record->path == game.path) {
            games.erase(record);
            return;
        }
    }
}

void GameList::ForgetInstalledGame(const GameRecord& game) {
    for (size_t i = 0; i < installedCount_; ++i) {
        const GameRecord& record = games[i];
        if (record.name == game.name && record.path == game.path && record.uninstallString == game.uninstallString) {
            games.erase(games.begin() + static_cast<std::ptrdiff_t>(i));
            --installedCount_;
            return;
        }
    }
}

std::wstring GameList::KeptFileName(const std::wstring& path) { return path + kKeptSuffix; }

TiXmlElement* GameList::Root() const { return document_ ? document_->RootElement() : nullptr; }

bool GameList::KeepUnreadableFile() {
    const std::wstring kept = KeptFileName(path_);
    for (int attempt = 1; attempt <= kMaxKeptFiles; ++attempt) {
        std::wstring target = attempt == 1 ? kept : kept + L"-" + std::to_wstring(attempt);
        if (MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            fileUnreadable_ = false;
            return true;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    // Gone meanwhile: nothing left to keep.
    if (!PathFileExistsW(path_.c_str())) fileUnreadable_ = false;
    return !fileUnreadable_;
}

bool GameList::Save() {
    const std::string bytes = PrintXmlDocument(*document_);
    if (!ReplaceFileContents(path_, bytes)) return false;
    GoodCopies(path_).Keep(bytes);
    return true;
}
