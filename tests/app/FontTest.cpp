// The bench's fonts: the skin's Chinese face names draw real glyphs, not empty boxes.
#include <windows.h>

#include <gtest/gtest.h>

TEST(BenchFonts, ChineseFaceNamesHaveCjkGlyphs) {
    HDC dc = CreateCompatibleDC(nullptr);
    for (const wchar_t* face : {L"宋体", L"微软雅黑", L"幼圆"}) {
        HFONT font = CreateFontW(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, face);
        HGDIOBJ old = SelectObject(dc, font);
        WORD glyphs[4] = {};
        ASSERT_EQ(GetGlyphIndicesW(dc, L"游戏中心", 4, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 4u);
        for (WORD glyph : glyphs) EXPECT_NE(glyph, 0xFFFF) << "face without CJK glyphs";
        SelectObject(dc, old);
        DeleteObject(font);
    }
    DeleteDC(dc);
}
