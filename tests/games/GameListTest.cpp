// The game list on a "UserGame.xml" in a temporary folder, with the test prefix's registry.
#include "games/GameList.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <random>
#include <thread>

#include "shared/TextConvert.h"
#include "shared/XmlFile.h"
#include "games/GoodCopies.h"
#include "games/InstalledGames.h"
#include "tests/games/InstalledGameKeys.h"
#include "tests/support/LudoraProcess.h"
#include "tests/support/TestFolder.h"

namespace {

const char kTwoGames[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n"
    "<UserGame>\n"
    "    <Game name=\"Alpha\" path=\"C:\\Games\\alpha.exe\" type=\"0\" id=\"0\" />\n"
    "    <Game name=\"Beta\" path=\"D:\\beta.exe\" type=\"0\" id=\"0\" />\n"
    "</UserGame>\n";

size_t InstalledGameCount() {
    GameList probe;
    DiscoverInstalledGames(probe);
    return probe.games.size();
}

GameRecord UserGame(const std::wstring& name, const std::wstring& path) {
    GameRecord record;
    record.name = name;
    record.path = path;
    return record;
}

class GameListTest : public ::testing::Test {
protected:
    std::wstring FilePath() const { return folder_.File(L"UserGame.xml"); }
    void WriteFile(const std::string& bytes) const { WriteFileBytes(FilePath(), bytes); }

    // Loads the list from the test folder; the hand-added games are those after the installed ones.
    std::vector<GameRecord> Load(GameList& list) const {
        const size_t installed = InstalledGameCount();
        list.Load(folder_.Path());
        EXPECT_GE(list.games.size(), installed);
        return std::vector<GameRecord>(list.games.begin() + std::min(installed, list.games.size()), list.games.end());
    }

    // The file as it stands on disk, parsed afresh.
    std::unique_ptr<TiXmlDocument> ReadBack() const {
        auto document = std::make_unique<TiXmlDocument>();
        document->Parse(ReadFileBytes(FilePath()).c_str(), nullptr, TIXML_ENCODING_UTF8);
        EXPECT_FALSE(document->Error()) << document->ErrorDesc();
        return document;
    }

    // The attributes of each child of the file's root, in order, as name=value lists.
    std::vector<std::vector<std::string>> FileGames() const {
        std::vector<std::vector<std::string>> games;
        auto document = ReadBack();
        const TiXmlElement* root = document->RootElement();
        if (root == nullptr) return games;
        for (const TiXmlElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
            std::vector<std::string> attributes{e->Value()};
            for (const TiXmlAttribute* a = e->FirstAttribute(); a; a = a->Next())
                attributes.push_back(std::string(a->Name()) + "=" + a->Value());
            games.push_back(attributes);
        }
        return games;
    }

    TestFolder folder_;
};

TEST_F(GameListTest, MissingFileIsCreatedWithAnEmptyRoot) {
    GameList list;
    EXPECT_TRUE(Load(list).empty());
    EXPECT_TRUE(list.FileWasRead());
    auto document = ReadBack();
    const TiXmlDeclaration* declaration = document->FirstChild()->ToDeclaration();
    ASSERT_NE(declaration, nullptr);
    EXPECT_STREQ(declaration->Version(), "1.0");
    EXPECT_STREQ(declaration->Encoding(), "utf-8");
    EXPECT_STREQ(declaration->Standalone(), "yes");
    ASSERT_NE(document->RootElement(), nullptr);
    EXPECT_STREQ(document->RootElement()->Value(), "UserGame");
    EXPECT_EQ(document->RootElement()->FirstChild(), nullptr);
    EXPECT_EQ(document->RootElement()->FirstAttribute(), nullptr);
}

TEST_F(GameListTest, EveryChildOfTheRootLoadsAsAGame) {
    WriteFile(
        "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n"
        "<UserGame>\n"
        "  <Game name=\"Alpha\" path=\"C:\\a.exe\" type=\"0\" id=\"0\" />\n"
        "  <Other path=\"C:\\other.exe\" extra=\"x\" name=\"Other\" />\n"
        "  <!-- a comment is no game -->\n"
        "  <Game name=\"OnlyName\" />\n"
        "  <Game name=\"Numbers\" type=\"3x\" id=\" 12abc\" Name=\"ignored\" />\n"
        "</UserGame>\n");
    GameList list;
    std::vector<GameRecord> games = Load(list);
    ASSERT_EQ(games.size(), 4u);
    EXPECT_EQ(games[0].name, L"Alpha");
    EXPECT_EQ(games[0].path, L"C:\\a.exe");
    EXPECT_EQ(games[1].name, L"Other");
    EXPECT_EQ(games[1].path, L"C:\\other.exe");
    EXPECT_EQ(games[2].name, L"OnlyName");
    EXPECT_EQ(games[2].path, L"");
    EXPECT_EQ(games[2].type, 0);
    EXPECT_EQ(games[2].id, 0);
    EXPECT_EQ(games[3].type, 3);
    EXPECT_EQ(games[3].id, 12);
    for (const GameRecord& game : games) EXPECT_EQ(game.uninstallString, L"");
}

TEST_F(GameListTest, AddUserGameAppendsToTheFileAndTheList) {
    WriteFile(kTwoGames);
    GameList list;
    Load(list);
    GameRecord added = UserGame(L"Gamma", L"E:\\gamma\\gamma.exe");
    added.type = 4;  // the file always receives "0" for type and id
    added.id = 99;
    list.AddUserGame(added);

    std::vector<std::vector<std::string>> file = FileGames();
    ASSERT_EQ(file.size(), 3u);
    EXPECT_EQ(file[0][1], "name=Alpha");
    EXPECT_EQ(file.back(), (std::vector<std::string>{"Game", "name=Gamma", "path=E:\\gamma\\gamma.exe", "type=0", "id=0"}));
    ASSERT_FALSE(list.games.empty());
    EXPECT_EQ(list.games.back().name, L"Gamma");
    EXPECT_EQ(list.games.back().id, 99) << "the record is kept as passed";
    EXPECT_FALSE(FileExists(FilePath() + L".new")) << "the save replaced the file in one step";
    ASSERT_TRUE(list.FindByName(L"Gamma"));
    EXPECT_EQ(list.FindByName(L"Gamma")->path, L"E:\\gamma\\gamma.exe");
    EXPECT_FALSE(list.FindByName(L"gamma")) << "names are compared case-sensitively";

    GameList again;
    std::vector<GameRecord> games = Load(again);
    ASSERT_EQ(games.size(), 3u);
    EXPECT_EQ(games[2].path, L"E:\\gamma\\gamma.exe");
}

TEST_F(GameListTest, RemoveUserGameTakesTheHandAddedGameOfThatNameAndPath) {
    InstalledGameKeys keys;
    const std::wstring shared = keys.Name(L"Shared");
    keys.Add(L"LDGame_shared", {{L"DisplayName", shared}, {L"UninstallString", L"u.exe"}});
    keys.Add(L"LDGame_registryonly", {{L"DisplayName", keys.Name(L"RegistryOnly")}});
    const std::string sharedUtf8 = WideToUtf8(shared);
    WriteFile("<UserGame><Game name=\"" + sharedUtf8 + "\" path=\"first\"/><Game name=\"Beta\"/>" +
              "<Game name=\"" + sharedUtf8 + "\" path=\"second\"/></UserGame>");
    GameList list;
    Load(list);
    const std::vector<GameRecord> before = list.games;
    const std::string fileBefore = ReadFileBytes(FilePath());

    // A registry game's name that the file does not hold changes nothing.
    list.RemoveUserGame(UserGame(keys.Name(L"RegistryOnly"), L""));
    list.RemoveUserGame(UserGame(L"Missing", L""));
    list.RemoveUserGame(UserGame(shared, L"elsewhere"));
    EXPECT_EQ(ReadFileBytes(FilePath()), fileBefore);
    EXPECT_EQ(list.games.size(), before.size());

    // Of two hand-added games of one name, the one with that path goes, in the file and the list.
    list.RemoveUserGame(UserGame(shared, L"second"));
    std::vector<std::vector<std::string>> file = FileGames();
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[0][2], "path=first");
    EXPECT_EQ(file[1][1], "name=Beta");
    std::vector<GameRecord> own = keys.Own(list.games);
    ASSERT_EQ(own.size(), 3u) << "the installed games stay, and the hand-added copy at \"first\"";
    EXPECT_EQ(own[0].uninstallString + own[1].uninstallString + own[2].uninstallString, L"u.exe");
    EXPECT_EQ(own[2].path, L"first");
    EXPECT_EQ(list.games.back().name, L"Beta");
    EXPECT_EQ(list.games.size(), before.size() - 1);
}

// After an uninstall the game leaves the list, so its name is free again; a hand-added game of
// the same name stays.
TEST_F(GameListTest, AnUninstalledGameIsForgottenAndOnlyIt) {
    InstalledGameKeys keys;
    keys.Add(L"u LDGame_", {{L"DisplayName", L"Alpha"}, {L"GamePath", L"C:\\g\\alpha.exe"}, {L"UninstallString", L"un.exe"}});
    WriteFile(kTwoGames);
    GameList list;
    list.Load(folder_.Path());
    const size_t before = list.games.size();
    auto installed = std::find_if(list.games.begin(), list.games.end(), [](const GameRecord& game) {
        return game.name == L"Alpha" && game.type == 1;
    });
    ASSERT_NE(installed, list.games.end());
    list.ForgetInstalledGame(*installed);
    ASSERT_EQ(list.games.size(), before - 1);
    EXPECT_EQ(std::count_if(list.games.begin(), list.games.end(), [](const GameRecord& game) { return game.name == L"Alpha"; }),
              1) << "the hand-added Alpha of the file stays";
    EXPECT_EQ(list.FindByName(L"Alpha")->type, 0);
    list.RemoveUserGame(UserGame(L"Alpha", L"C:\\Games\\alpha.exe"));
    EXPECT_FALSE(list.FindByName(L"Alpha")) << "a later removal still finds the hand-added record";
}

TEST_F(GameListTest, InstalledGamesComeBeforeTheFilesGames) {
    InstalledGameKeys keys;
    keys.Add(L"q LDGame_", {{L"DisplayName", keys.Name(L"q")}});
    keys.Add(L"c LDGame_", {{L"DisplayName", keys.Name(L"c")}});
    keys.Add(L"Alpha LDGame_", {{L"DisplayName", L"Alpha"}, {L"GamePath", L"registry.exe"}});
    WriteFile(kTwoGames);
    GameList list;
    list.Load(folder_.Path());

    ASSERT_GE(list.games.size(), 5u);
    const size_t firstFileGame = list.games.size() - 2;
    EXPECT_EQ(list.games[firstFileGame].name, L"Alpha");
    EXPECT_EQ(list.games[firstFileGame].path, L"C:\\Games\\alpha.exe");
    EXPECT_EQ(list.games[firstFileGame + 1].name, L"Beta");
    for (size_t i = 0; i < firstFileGame; ++i) EXPECT_EQ(list.games[i].type, 1);

    // Each of this test's installed games, by the subkey it came from, in list order.
    std::vector<std::wstring> registryOrder;
    for (size_t i = 0; i < firstFileGame; ++i) {
        const std::wstring& name = list.games[i].name;
        if (name == L"Alpha") registryOrder.push_back(keys.Marker() + L"Alpha LDGame_");
        if (name == keys.Name(L"q")) registryOrder.push_back(keys.Marker() + L"q LDGame_");
        if (name == keys.Name(L"c")) registryOrder.push_back(keys.Marker() + L"c LDGame_");
    }
    EXPECT_EQ(registryOrder, keys.InEnumerationOrder());
    EXPECT_EQ(list.FindByName(L"Alpha")->path, L"registry.exe") << "the installed game is found first";
}

TEST_F(GameListTest, NamesOutsideTheCodePageAreStoredAsUtf8) {
    const std::wstring name = L"Game \u0e01";  // a Thai letter: not in code page 936
    const std::wstring chinese = L"梦幻西游";
    GameList list;
    Load(list);
    list.AddUserGame(UserGame(name, L"C:\\\u0e01.exe"));
    list.AddUserGame(UserGame(chinese, L"C:\\游戏\\xy.exe"));
    EXPECT_NE(ReadFileBytes(FilePath()).find(u8"name=\"Game \u0e01\""), std::string::npos);

    GameList reloaded;
    std::vector<GameRecord> games = Load(reloaded);
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[0].name.substr(0, 5), L"Game ");
    EXPECT_EQ(games[0].name.size(), 6u);
    EXPECT_NE(games[0].name, name) << "read back through the ANSI code page";
    EXPECT_EQ(games[0].path, L"C:\\\u0e01.exe") << "a path comes back exactly, or it names no file";
    EXPECT_EQ(games[1].name, chinese);
    EXPECT_EQ(games[1].path, L"C:\\游戏\\xy.exe");

    // Either spelling removes it: the exact one in the session that added it, the altered one later.
    list.RemoveUserGame(UserGame(name, L"C:\\\u0e01.exe"));
    EXPECT_EQ(FileGames().size(), 1u);
    EXPECT_FALSE(list.FindByName(name));
    list.AddUserGame(UserGame(name, L"C:\\again.exe"));
    GameList later;
    Load(later);
    later.RemoveUserGame(UserGame(games[0].name, L"C:\\again.exe"));
    std::vector<std::vector<std::string>> file = FileGames();
    ASSERT_EQ(file.size(), 1u);
    EXPECT_EQ(file[0][2], u8"path=C:\\游戏\\xy.exe");
    EXPECT_FALSE(later.FindByName(games[0].name));
}

TEST_F(GameListTest, LongNamesAndPathsAreStoredWhole) {
    const std::wstring name = std::wstring(200, L'名');          // 600 bytes of UTF-8
    const std::wstring path = L"C:\\" + std::wstring(250, L'路') + L"\\a.exe";
    GameList list;
    Load(list);
    list.AddUserGame(UserGame(name, path));
    GameList reloaded;
    std::vector<GameRecord> games = Load(reloaded);
    ASSERT_EQ(games.size(), 1u);
    EXPECT_EQ(games[0].name, name);
    EXPECT_EQ(games[0].path, path);
}

TEST_F(GameListTest, UnreadableFileIsKeptBeforeAFreshOneIsWritten) {
    const std::string broken = "<UserGame><Game name=\"Hand added\" path=\"C:\\h.exe\"></UserGam";
    WriteFile(broken);
    WriteFileBytes(GameList::KeptFileName(FilePath()), "an older kept file");
    GameList list;
    EXPECT_TRUE(Load(list).empty());
    EXPECT_EQ(ReadFileBytes(FilePath()), broken) << "loading alone changes nothing";

    list.AddUserGame(UserGame(L"New", L"C:\\new.exe"));
    EXPECT_EQ(ReadFileBytes(GameList::KeptFileName(FilePath())), "an older kept file");
    EXPECT_EQ(ReadFileBytes(GameList::KeptFileName(FilePath()) + L"-2"), broken);
    std::vector<std::vector<std::string>> file = FileGames();
    ASSERT_EQ(file.size(), 1u);
    EXPECT_EQ(file[0][1], "name=New");
    list.AddUserGame(UserGame(L"Newer", L"C:\\newer.exe"));
    EXPECT_EQ(FileGames().size(), 2u);
    EXPECT_FALSE(FileExists(GameList::KeptFileName(FilePath()) + L"-3")) << "kept once only";
}

TEST_F(GameListTest, FileWithoutRootIsKeptToo) {
    const std::string noRoot = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"yes\" ?>\n";
    WriteFile(noRoot);
    GameList list;
    EXPECT_TRUE(Load(list).empty());
    list.AddUserGame(UserGame(L"New", L"C:\\new.exe"));
    EXPECT_EQ(ReadFileBytes(GameList::KeptFileName(FilePath())), noRoot);
    EXPECT_EQ(FileGames().size(), 1u);
}

TEST_F(GameListTest, FileThatCannotBeOpenedRefusesAdditions) {
    // A folder in the file's place: it exists, but cannot be read as a file.
    ASSERT_TRUE(CreateDirectoryW(FilePath().c_str(), nullptr));
    GameList list;
    const size_t installed = InstalledGameCount();
    list.Load(folder_.Path());
    EXPECT_FALSE(list.FileWasRead());

    EXPECT_FALSE(list.AddUserGame(UserGame(L"New", L"C:\\new.exe")));
    EXPECT_EQ(list.games.size(), installed);
    list.RemoveUserGame(UserGame(L"New", L"C:\\new.exe"));  // nothing to remove, and no crash
    EXPECT_TRUE(GetFileAttributesW(FilePath().c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(GameListTest, AGameThatCannotBeStoredIsNotAdded) {
    GameList list;
    const size_t userGames = Load(list).size();
    const size_t before = list.games.size();
    // Held open without sharing: the new file cannot take its place.
    HANDLE held = CreateFileW(FilePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(list.AddUserGame(UserGame(L"Unstored", L"C:\\unstored.exe")));
    CloseHandle(held);
    EXPECT_EQ(list.games.size(), before);
    EXPECT_FALSE(list.FindByName(L"Unstored"));

    EXPECT_TRUE(list.AddUserGame(UserGame(L"Stored", L"C:\\stored.exe")));
    GameList reloaded;
    std::vector<GameRecord> games = Load(reloaded);
    EXPECT_EQ(games.size(), userGames + 1);
    EXPECT_EQ(games.back().name, L"Stored") << "the refused game left nothing behind";
}

// Damaged files never crash the list, never lose a byte of the original and always leave a file
// that the next start reads with the new game in it, the games the document finds in it: damage
// to a file in the program's own form, which is read without the document, and to one with a comment.
TEST_F(GameListTest, DamagedFilesAreHandledSafely) {
    std::mt19937 random(20240607);
    const std::string originals[] = {kTwoGames, std::string(kTwoGames) + "<!-- \xe4\xb8\xad -->"};
    const size_t installed = InstalledGameCount();
    for (int round = 0; round < 600; ++round) {
        std::string bytes = originals[round % 2];
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < edits && !bytes.empty(); ++i) {
            const size_t at = random() % bytes.size();
            switch (random() % 4) {
                case 0: bytes[at] = static_cast<char>(random() % 256); break;
                case 1: bytes.erase(at, 1 + random() % 8); break;
                case 2: bytes.insert(at, 1, "<>\"=/&\0x"[random() % 8]); break;
                default: bytes.resize(at); break;
            }
        }
        WriteFile(bytes);
        DeleteFileW(GameList::KeptFileName(FilePath()).c_str());
        // Without good copies: the damaged file is all there is.
        for (int age = 1; age <= GoodCopies::kCount; ++age) DeleteFileW(GoodCopies::CopyName(FilePath(), age).c_str());

        TiXmlDocument expected;
        expected.Parse(bytes.c_str(), nullptr, TIXML_ENCODING_UTF8);
        const bool readable = !expected.Error() && expected.RootElement() != nullptr;
        size_t expectedGames = 0;
        if (readable) {
            for (auto* e = expected.RootElement()->FirstChildElement(); e; e = e->NextSiblingElement()) ++expectedGames;
        }

        GameList list;
        list.Load(folder_.Path());
        ASSERT_EQ(list.games.size(), installed + expectedGames) << "round " << round;
        if (readable) {
            const TiXmlElement* element = expected.RootElement()->FirstChildElement();
            for (size_t game = installed; game < list.games.size(); ++game, element = element->NextSiblingElement()) {
                const char* name = element->Attribute("name");
                const char* path = element->Attribute("path");
                ASSERT_EQ(list.games[game].name, Utf8ToWide(name ? name : "")) << "round " << round;
                ASSERT_EQ(list.games[game].path, Utf8ToWideExact(path ? path : "")) << "round " << round;
                ASSERT_EQ(list.games[game].id, ParseGameNumber(element->Attribute("id"))) << "round " << round;
            }
        }
        list.AddUserGame(UserGame(L"Added", L"C:\\added.exe"));
        if (!readable) {
            ASSERT_EQ(ReadFileBytes(GameList::KeptFileName(FilePath())), bytes) << "round " << round;
        }
        GameList next;
        next.Load(folder_.Path());
        ASSERT_EQ(next.games.size(), installed + expectedGames + 1) << "round " << round;
        ASSERT_EQ(next.games.back().name, L"Added") << "round " << round;
    }
}

// A cut file, at start or under a running session's change, is kept aside and its newest good
// copy read in its place; an unreadable copy is passed over for the one before it.
TEST_F(GameListTest, ACutFileIsTakenBackFromItsNewestGoodCopy) {
    {
        GameList list;
        Load(list);
        ASSERT_TRUE(list.AddUserGame(UserGame(L"Alpha", L"C:\\alpha.exe")));
        ASSERT_TRUE(list.AddUserGame(UserGame(L"Beta", L"C:\\beta.exe")));
        EXPECT_FALSE(list.RestoredFromCopy());
    }
    const std::string whole = ReadFileBytes(FilePath());
    const std::string cut = whole.substr(0, whole.size() / 2);
    WriteFile(cut);

    GameList restored;
    std::vector<GameRecord> games = Load(restored);
    EXPECT_TRUE(restored.RestoredFromCopy());
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[1].name, L"Beta") << "nothing of the last save is lost";
    EXPECT_EQ(ReadFileBytes(FilePath()), whole) << "the copy is back in the file's place";
    EXPECT_EQ(ReadFileBytes(GameList::KeptFileName(FilePath())), cut);

    // Cut again while this session runs, with its newest copy cut too: the change goes onto the
    // copy before, which holds Alpha only.
    WriteFile(cut);
    WriteFileBytes(GoodCopies::CopyName(FilePath(), 1), cut);
    ASSERT_TRUE(restored.AddUserGame(UserGame(L"Gamma", L"C:\\gamma.exe")));
    std::vector<std::vector<std::string>> file = FileGames();
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[0][1], "name=Alpha");
    EXPECT_EQ(file[1][1], "name=Gamma");
    EXPECT_EQ(ReadFileBytes(GameList::KeptFileName(FilePath()) + L"-2"), cut);
    EXPECT_EQ(ReadFileBytes(GoodCopies::CopyName(FilePath(), 1)), ReadFileBytes(FilePath()));

    // A file gone is lost, not emptied: its newest copy comes back, at start and before a change.
    DeleteFileW(FilePath().c_str());
    GameList reloaded;
    EXPECT_EQ(Load(reloaded).size(), 2u);
    EXPECT_TRUE(reloaded.RestoredFromCopy());
    DeleteFileW(FilePath().c_str());
    ASSERT_TRUE(reloaded.AddUserGame(UserGame(L"Delta", L"C:\\delta.exe")));
    EXPECT_EQ(FileGames().size(), 3u);
}

}  // namespace

// Two sessions of one PC, each with its own Ludora that read the file at its start: each adds its
// own games at the same time, and each game stays, in the file and in its session's list.
TEST_F(GameListTest, TwoSessionsAddingAtOnceKeepEachOthersGames) {
    GameList first;
    GameList second;
    const size_t before = Load(first).size();
    Load(second);
    constexpr int kGamesEach = 10;
    auto addGames = [](GameList& list, const std::wstring& session) {
        for (int n = 0; n < kGamesEach; ++n) {
            const std::wstring name = session + std::to_wstring(n);
            EXPECT_TRUE(list.AddUserGame(UserGame(name, L"C:\\" + name + L".exe")));
        }
    };
    std::thread firstSession([&] { addGames(first, L"first"); });
    std::thread secondSession([&] { addGames(second, L"second"); });
    firstSession.join();
    secondSession.join();

    GameList next;
    std::vector<GameRecord> games = Load(next);
    ASSERT_EQ(games.size(), before + 2 * kGamesEach);
    for (const wchar_t* name : {L"first0", L"first9", L"second0", L"second9"}) EXPECT_TRUE(next.FindByName(name));

    // A game the other session removed goes from this session's list too when removed here.
    second.RemoveUserGame(UserGame(L"first0", L"C:\\first0.exe"));
    first.RemoveUserGame(UserGame(L"first0", L"C:\\first0.exe"));
    EXPECT_FALSE(first.FindByName(L"first0"));
    EXPECT_EQ(FileGames().size(), before + 2 * kGamesEach - 1);
}

// A file far bigger than any list of games is not read; it is never written over either.
TEST_F(GameListTest, AnOversizedFileIsRefusedAndKept) {
    const std::string oversized = "<UserGame><Game name=\"Big\" path=\"" + std::string(kMaxXmlFileBytes, 'x') +
                                  "\"/></UserGame>";
    WriteFile(oversized);
    GameList list;
    EXPECT_TRUE(Load(list).empty());
    EXPECT_FALSE(list.AddUserGame(UserGame(L"New", L"C:\\new.exe")));
    list.RemoveUserGame(UserGame(L"Big", L""));
    EXPECT_TRUE(ReadFileBytes(FilePath()) == oversized) << "the file is as it was";
}
