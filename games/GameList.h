#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "games/GameRecord.h"

class TiXmlDocument;
class TiXmlElement;

// Every game the manager shows, in display order: the installed games of the registry in
// enumeration order, then the hand-added games of "UserGame.xml" in file order, then games added
// while the program runs. Every change reads the file again, under the lock that the Ludora of
// every session takes, and writes it back with only that change made.
class GameList {
public:
    GameList();
    ~GameList();
    GameList(const GameList&) = delete;
    GameList& operator=(const GameList&) = delete;

    // Fills the list once: installed games first, then "<dataFolder>\UserGame.xml", which is
    // created with an empty root when it is missing and has no good copy. Each save keeps the file's last good versions
    // beside it (GoodCopies); an unreadable file is kept aside and its newest readable copy put
    // back in its place, here and before any change.
    void Load(const std::wstring& dataFolder);
    // A missing or unreadable file was replaced by its newest good copy.
    bool RestoredFromCopy() const { return restoredFromCopy_; }

    // The first game, installed ones included, whose name equals `name` exactly.
    std::optional<GameRecord> FindByName(const std::wstring& name) const;

    // Stores a hand-added game at the end of the file and of the list; false, with neither
    // changed, when the file could not be read and may not be written over, or not be written.
    bool AddUserGame(GameRecord record);

    // Removes the hand-added game of this name and path from the file and the list: two games of
    // one name are told apart by their paths. Nothing changes when the file holds no such game.
    void RemoveUserGame(const GameRecord& game);

    // Drops an installed game from the list once it was uninstalled; the registry no longer has it.
    void ForgetInstalledGame(const GameRecord& game);

    // Whether the file could be read when the list was loaded (one that did not parse counts: it
    // was kept aside and the list started empty).
    bool FileWasRead() const { return fileWasRead_; }

    // The name under which an unreadable "UserGame.xml" is kept before a fresh one replaces it.
    static std::wstring KeptFileName(const std::wstring& path);

    std::vector<GameRecord> games;

private:
    void ReadDocument();
    // Parses the file into the document; false, with the document as it was, when it cannot be
    // read at all.
    bool ParseFile();
    // One that does not parse gives its newest readable good copy, or else an empty document and
    // is marked unreadable.
    void ParseBytes(const std::string& bytes);
    // The file as another session may have left it, read under the data files' lock before a
    // change; a missing one starts empty. False when it must not be written over.
    bool ReadFileAgain();
    TiXmlElement* Root() const;
    bool KeepUnreadableFile();
    // Keeps the unreadable file aside and puts its newest readable good copy in its place, read
    // into the document; false, with nothing changed, when no copy is readable.
    bool TakeBackGoodCopy();
    bool PutBackMissingFile();
    bool Save();

    // The file's content while a change is made. Not kept in between: each change reads the file
    // again, and thousands of games would hold their elements twice.
    std::unique_ptr<TiXmlDocument> document_;
    bool fileWasRead_ = false;
    std::wstring path_;
    // Records before this index came from the registry; RemoveUserGame never takes them.
    size_t installedCount_ = 0;
    // The file on disk did not parse: it is kept aside before the first save overwrites it.
    bool fileUnreadable_ = false;
    bool restoredFromCopy_ = false;
};
