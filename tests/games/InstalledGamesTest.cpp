// Discovery against real uninstall keys, written in the test prefix's 32-bit registry view.
#include "games/InstalledGames.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "games/GameList.h"
#include "tests/games/InstalledGameKeys.h"

namespace {

std::vector<GameRecord> Discover(const InstalledGameKeys& keys) {
    GameList list;
    EXPECT_EQ(DiscoverInstalledGames(list), 1);
    return keys.Own(list.games);
}

TEST(InstalledGames, TakesSubkeysHoldingTheMarkerInItsExactCase) {
    InstalledGameKeys keys;
    keys.Add(L"Setup LDGame_after", {{L"DisplayName", keys.Name(L"after")}});
    keys.Add(L"LDGame_", {{L"DisplayName", keys.Name(L"bare")}});
    keys.Add(L"ldgame_lower", {{L"DisplayName", keys.Name(L"lower")}});
    keys.Add(L"LDGAME_upper", {{L"DisplayName", keys.Name(L"upper")}});
    keys.Add(L"LDGame-dash", {{L"DisplayName", keys.Name(L"dash")}});

    std::vector<std::wstring> names;
    for (const GameRecord& record : Discover(keys)) names.push_back(record.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{keys.Name(L"after"), keys.Name(L"bare")}));
}

TEST(InstalledGames, ReadsTheFourValuesIntoARegistryRecord) {
    InstalledGameKeys keys;
    keys.Add(L"LDGame_full", {{L"DisplayName", keys.Name(L"传奇")},
                              {L"GamePath", L"C:\\Games\\传奇\\game.exe"},
                              {L"UninstallString", L"\"C:\\Games\\传奇\\uninst.exe\" /S"},
                              {L"DisplayID", L"12abc"}});
    keys.Add(L"LDGame_noid", {{L"DisplayName", keys.Name(L"noid")}, {L"GamePath", L"C:\\noid.exe"}});
    keys.Add(L"LDGame_signed", {{L"DisplayName", keys.Name(L"signed")}, {L"DisplayID", L"  -7"}});

    std::vector<GameRecord> games = Discover(keys);
    ASSERT_EQ(games.size(), 3u);
    auto find = [&](const std::wstring& name) {
        return *std::find_if(games.begin(), games.end(), [&](const GameRecord& r) { return r.name == name; });
    };
    GameRecord full = find(keys.Name(L"传奇"));
    EXPECT_EQ(full.path, L"C:\\Games\\传奇\\game.exe");
    EXPECT_EQ(full.uninstallString, L"\"C:\\Games\\传奇\\uninst.exe\" /S");
    EXPECT_EQ(full.id, 12);
    EXPECT_EQ(full.type, 1);
    GameRecord noid = find(keys.Name(L"noid"));
    EXPECT_EQ(noid.id, 0);
    EXPECT_EQ(noid.uninstallString, L"");
    EXPECT_EQ(noid.type, 1);
    EXPECT_EQ(find(keys.Name(L"signed")).id, -7);
}

TEST(InstalledGames, AValueLongerThan255CharactersIsNotTaken) {
    InstalledGameKeys keys;
    const std::wstring longPath = L"C:\\" + std::wstring(297, L'p');
    const std::wstring edgePath = L"C:\\" + std::wstring(252, L'e');  // 255 characters
    keys.Add(L"LDGame_long", {{L"DisplayName", keys.Name(L"long")},
                              {L"GamePath", longPath},
                              {L"UninstallString", L"uninst.exe"},
                              {L"DisplayID", L"5"}});
    keys.Add(L"LDGame_edge", {{L"DisplayName", keys.Name(L"edge")}, {L"GamePath", edgePath}});
    keys.Add(L"LDGame_over", {{L"DisplayName", keys.Name(L"over")}, {L"GamePath", edgePath + L"x"}});

    for (const GameRecord& record : Discover(keys)) {
        if (record.name == keys.Name(L"long")) {
            EXPECT_EQ(longPath.size(), 300u);
            EXPECT_EQ(record.path, L"");
            EXPECT_EQ(record.uninstallString, L"uninst.exe");
            EXPECT_EQ(record.id, 5);
        } else if (record.name == keys.Name(L"edge")) {
            EXPECT_EQ(record.path, edgePath);
        } else {
            EXPECT_EQ(record.path, L"") << "256 characters do not fit";
        }
    }
}

TEST(InstalledGames, FollowsTheRegistryEnumerationOrder) {
    InstalledGameKeys keys;
    for (const wchar_t* name : {L"m LDGame_", L"b LDGame_", L"z LDGame_", L"a LDGame_", L"k LDGame_"})
        keys.Add(name, {{L"DisplayName", keys.Name(name)}});

    std::vector<std::wstring> discovered;
    for (const GameRecord& record : Discover(keys)) discovered.push_back(record.name);
    EXPECT_EQ(discovered, keys.InEnumerationOrder());
    EXPECT_EQ(discovered.size(), 5u);
}

}  // namespace
