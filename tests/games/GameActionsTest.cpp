// The game actions that need no window: paths, uninstall commands, and an uninstaller that hands
// its work to a second process, started for real.
#include "games/GameActions.h"

#include <winsock2.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "shared/ComPtr.h"
#include "tests/support/LocalService.h"
#include "tests/support/TestFolder.h"

TEST(GameActionsTest, PathsAreMadeNativeAndADrivesRootStaysARoot) {
    EXPECT_EQ(NativePath(L"C:/Games/a b/run.exe"), L"C:\\Games\\a b\\run.exe");
    EXPECT_EQ(FolderOf(L"C:\\Games\\a,b\\run.exe"), L"C:\\Games\\a,b");
    EXPECT_EQ(FolderOf(L"C:\\game.exe"), L"C:\\") << "\"C:\" alone is the drive's current folder";
    EXPECT_EQ(FolderOf(L"game.exe"), L"");
    EXPECT_EQ(FolderOf(L"\\\\server\\share\\game.exe"), L"\\\\server\\share");
}

TEST(GameActionsTest, UninstallCommandsKeepTheirArgumentsAndFindPathsWithBlanks) {
    TestFolder folder;
    const std::wstring program = folder.File(L"My Game\\unins 000.exe");
    CreateDirectoryW(folder.File(L"My Game").c_str(), nullptr);
    WriteFileBytes(program, "MZ");

    CommandParts quoted = SplitCommand(L"\"" + program + L"\" /S /D=C:/x");
    EXPECT_EQ(quoted.executable, program);
    EXPECT_EQ(quoted.arguments, L"/S /D=C:/x") << "switches keep their slashes";

    CommandParts unquoted = SplitCommand(program + L" /S");
    EXPECT_EQ(unquoted.executable, program) << "the longest leading part that names a file";
    EXPECT_EQ(unquoted.arguments, L"/S");

    EXPECT_EQ(SplitCommand(program).executable, program);
    CommandParts missing = SplitCommand(L"C:\\gone\\un.exe /S");
    EXPECT_EQ(missing.executable, L"C:\\gone\\un.exe");
    EXPECT_EQ(missing.arguments, L"/S");
    EXPECT_EQ(SplitCommand(L"\"C:\\open quote.exe").executable, L"C:\\open quote.exe");
}

TEST(GameActionsTest, AMissingUninstallerIsToldApartFromOneThatFailsToStart) {
    TestFolder folder;
    bool missing = false;
    EXPECT_FALSE(StartUninstaller(L"\"" + folder.File(L"none.exe") + L"\" /S", missing));
    EXPECT_TRUE(missing);

    WriteFileBytes(folder.File(L"broken.exe"), "not a program");
    EXPECT_FALSE(StartUninstaller(folder.File(L"broken.exe"), missing));
    EXPECT_FALSE(missing);
    EXPECT_FALSE(GameFilesGone(folder.File(L"none.exe"), folder.File(L"broken.exe") + L" /S"));
    EXPECT_TRUE(GameFilesGone(folder.File(L"none.exe"), L"\"" + folder.File(L"none.exe") + L"\" /S"));
}

// The uninstaller inherits none of the manager's handles: a listening socket closed by the
// manager frees its port at once, even while the uninstaller runs on.
TEST(GameActionsTest, TheUninstallerKeepsNoHandleOfTheManager) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(FreeLocalPort());
    SOCKET listener = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(listen(listener, 1), 0);

    bool missing = true;
    ScopedHandle uninstaller =
        StartUninstaller(L"\"" + HostPathToWindows(DEMOGAME_EXE) + L"\" --exit-after-ms 3000", missing);
    ASSERT_TRUE(uninstaller);
    closesocket(listener);
    SOCKET again = socket(AF_INET, SOCK_STREAM, 0);
    EXPECT_EQ(bind(again, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0) << "the port is free again";
    closesocket(again);
    TerminateProcess(uninstaller.get(), 0);
    WaitForSingleObject(uninstaller.get(), 5000);
    WSACleanup();
}

// An unquoted uninstall path with a blank starts that program, never the shorter name before the
// blank that happens to exist too.
TEST(GameActionsTest, AnUnquotedPathWithABlankStartsItsOwnProgram) {
    TestFolder folder;
    CreateDirectoryW(folder.File(L"My Game").c_str(), nullptr);
    const std::wstring program = folder.File(L"My Game\\unins.exe");
    ASSERT_TRUE(CopyFileW(HostPathToWindows(DEMOGAME_EXE).c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(HostPathToWindows(DEMOGAME_EXE).c_str(), folder.File(L"My.exe").c_str(), FALSE));
    bool missing = true;
    ScopedHandle uninstaller = StartUninstaller(program + L" --exit-after-ms 100 /S", missing);
    ASSERT_TRUE(uninstaller);
    wchar_t image[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    ASSERT_TRUE(QueryFullProcessImageNameW(uninstaller.get(), 0, image, &length));
    EXPECT_EQ(lstrcmpiW(image, program.c_str()), 0);
    EXPECT_EQ(WaitForSingleObject(uninstaller.get(), 10000), WAIT_OBJECT_0);
}

// A missing folder is reported, not handed to the shell, which would look for a program of that
// name beside it.
TEST(GameActionsTest, OpeningTheFolderOfAMovedGameFailsWithoutRunningAnything) {
    TestFolder folder;
    ASSERT_TRUE(CopyFileW(HostPathToWindows(DEMOGAME_EXE).c_str(), folder.File(L"GameX.exe").c_str(), FALSE));
    EXPECT_FALSE(OpenGameFolder(folder.File(L"GameX\\game.exe")));
    EXPECT_FALSE(OpenGameFolder(L"game.exe"));
}

// A started game hands back its process, whose end can be waited for.
TEST(GameActionsTest, StartingAGameHandsBackItsProcess) {
    TestFolder folder;
    EXPECT_FALSE(StartGame(folder.File(L"none.exe")).has_value());
    const std::wstring game = folder.File(L"game.exe");
    ASSERT_TRUE(CopyFileW(HostPathToWindows(RECORD_START_EXE).c_str(), game.c_str(), FALSE));
    std::optional<ScopedHandle> process = StartGame(game);
    ASSERT_TRUE(process.has_value());
    ASSERT_TRUE(*process);
    EXPECT_EQ(WaitForSingleObject(process->get(), 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(FileExists(game + L".started")) << "it ran before it ended";
}

namespace {

// A shortcut at `link` to `target` with `arguments`, working in `folder`, as the shell saves one.
bool SaveShortcut(const std::wstring& link, const std::wstring& target, const std::wstring& arguments,
                  const std::wstring& folder) {
    ScopedComApartment apartment;
    ComPtr<IShellLinkW> shortcut;
    ComPtr<IPersistFile> file;
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      shortcut.OutVoid())) &&
           SUCCEEDED(shortcut->SetPath(target.c_str())) && SUCCEEDED(shortcut->SetArguments(arguments.c_str())) &&
           SUCCEEDED(shortcut->SetWorkingDirectory(folder.c_str())) &&
           SUCCEEDED(shortcut->QueryInterface(IID_IPersistFile, file.OutVoid())) &&
           SUCCEEDED(file->Save(link.c_str(), TRUE));
}

}  // namespace

// Games added by hand may be shortcuts or batch files: they start as the shell started them, the
// shortcut's target with its arguments, the batch file in its own folder, and hand back a process.
TEST(GameActionsTest, ShortcutsAndBatchFilesStartTheirGames) {
    TestFolder folder;
    CreateDirectoryW(folder.File(L"Game Dir").c_str(), nullptr);
    const std::wstring game = folder.File(L"Game Dir\\game.exe");
    ASSERT_TRUE(CopyFileW(HostPathToWindows(RECORD_START_EXE).c_str(), game.c_str(), FALSE));
    const std::wstring link = folder.File(L"快捷 方式.lnk");
    ASSERT_TRUE(SaveShortcut(link, game, L"-window \"a b\"", folder.File(L"Game Dir")));
    std::optional<ScopedHandle> process = StartGame(link);
    ASSERT_TRUE(process.has_value() && *process);
    EXPECT_EQ(WaitForSingleObject(process->get(), 20000), WAIT_OBJECT_0);
    EXPECT_EQ(ReadFileBytes(game + L".started"), "-window \"a b\"");

    const std::wstring batch = folder.File(L"Game Dir\\start game.bat");
    WriteFileBytes(batch, "@echo started> started-by-batch.txt\r\n");
    process = StartGame(batch);
    ASSERT_TRUE(process.has_value() && *process);
    EXPECT_EQ(WaitForSingleObject(process->get(), 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(FileExists(folder.File(L"Game Dir\\started-by-batch.txt"))) << "it ran in its own folder";
}

// A path's key folds case for every letter, the plain ASCII ones without the system's call too.
TEST(PathKeyTest, FoldsCaseOfAsciiAndOtherLetters) {
    EXPECT_EQ(PathKey(L"C:/Games/Alpha.EXE"), L"c:\\games\\alpha.exe");
    EXPECT_EQ(PathKey(L"D:\\Spiele\\ÄRGER\\Öl.exe"), L"d:\\spiele\\ärger\\öl.exe");
    EXPECT_EQ(PathKey(L"E:\\游戏\\龙之谷\\LZG.exe"), L"e:\\游戏\\龙之谷\\lzg.exe");
    EXPECT_EQ(PathKey(L""), L"");
}
