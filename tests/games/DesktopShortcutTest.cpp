#include "games/DesktopShortcut.h"

#include <gtest/gtest.h>

TEST(DesktopShortcut, TheFileNameIsAlwaysOneOrdinaryFileOfTheDesktop) {
    EXPECT_EQ(ShortcutFileName(L"龙之谷"), L"龙之谷.lnk");
    EXPECT_EQ(ShortcutFileName(L"..\\..\\Windows\\x"), L".._.._Windows_x.lnk");
    EXPECT_EQ(ShortcutFileName(L"a<b>c:d\"e/f|g?h*i\tj"), L"a_b_c_d_e_f_g_h_i_j.lnk");
    EXPECT_EQ(ShortcutFileName(L"  name. . "), L"name.lnk");
    EXPECT_EQ(ShortcutFileName(L"..."), L"游戏.lnk");
    EXPECT_EQ(ShortcutFileName(L""), L"游戏.lnk");
    EXPECT_EQ(ShortcutFileName(L"con"), L"_con.lnk");
    EXPECT_EQ(ShortcutFileName(L"COM1.game"), L"_COM1.game.lnk");
    EXPECT_EQ(ShortcutFileName(L"COM10"), L"COM10.lnk");
    EXPECT_EQ(ShortcutFileName(std::wstring(300, L'x')), std::wstring(100, L'x') + L".lnk");
}
