#include "games/GameList.h"

#include <windows.h>
#include <shlwapi.h>
#include <tinyxml.h>

#include "shared/DataFolder.h"
#include "shared/TextConvert.h"
#include "shared/XmlFile.h"
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
    if (!PathFileExistsW(path_.c_str())) SaveXmlDocument(*NewUserGameDocument(), path_);
    // A file that cannot be read at all leaves the list without its games: additions are
    // refused with a message rather than written over a file that may still be intact.
    fileWasRead_ = ParseFile();
    if (fileWasRead_) ReadDocument();
    document_.reset();
}

bool GameList::ParseFile() {
    std::string bytes;
    if (!ReadWholeFile(path_, bytes)) return false;
    document_ = std::make_unique<TiXmlDocument>();
    document_->Parse(bytes.c_str(), nullptr, TIXML_ENCODING_UTF8);
    fileUnreadable_ = document_->Error() || Root() == nullptr;
    if (fileUnreadable_) document_ = NewUserGameDocument();
    return true;
}

bool GameList::ReadFileAgain() {
    if (!PathFileExistsW(path_.c_str())) {
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

bool GameList::Save() { return SaveXmlDocument(*document_, path_); }
