#include "UiLib/render/UISkinArchive.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/UiLib/core/SkinFixtures.h"

using namespace UiLib;
using namespace SkinFixtures;

namespace {

// The archive reads the bytes in place: they must outlive it, so a temporary is refused.
std::unique_ptr<CSkinArchive> Open(const std::string& bytes) { return CSkinArchive::OpenMemory(bytes.data(), bytes.size()); }
std::unique_ptr<CSkinArchive> Open(std::string&& bytes) = delete;

// The member's bytes, or "<error>".
std::string Read(const CSkinArchive& archive, const std::wstring& name) {
    const CSkinArchive::Member* member = archive.Find(name);
    if (member == nullptr) return "<missing>";
    std::string out(member->size, '\0');
    return archive.Extract(*member, out.data(), out.size()) == CSkinArchive::ExtractResult::Error ? "<error>" : out;
}

std::string Repeated(const std::string& piece, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
}

}  // namespace

TEST(SkinArchive, StoredAndDeflatedMembers) {
    const std::string layout = Repeated("<Button name=\"b\" />\n", 200);
    const std::string zip = BuildZip({Stored("a.txt", "stored bytes"), Deflated("layouts/main.xml", layout)});
    auto archive = Open(zip);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->Members().size(), 2u);
    EXPECT_EQ(Read(*archive, L"a.txt"), "stored bytes");
    EXPECT_EQ(Read(*archive, L"layouts/main.xml"), layout);
}

TEST(SkinArchive, LookupFoldsAsciiCaseAndBackslashes) {
    const std::string zip = BuildZip({Stored("ie/ie_back_normal.png", "png"), Stored("Dup.xml", "first"),
                                      Stored("dup.XML", "second"), Stored("\xC4\xE3.xml", "ansi")});
    auto archive = Open(zip);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(Read(*archive, L"IE\\IE_BACK_NORMAL.PNG"), "png");
    EXPECT_EQ(Read(*archive, L"ie/ie_back_normal.png"), "png");
    EXPECT_EQ(Read(*archive, L"DUP.xml"), "first");
    EXPECT_EQ(Read(*archive, L"你.xml"), "ansi");  // 0xC4E3 in code page 936
    EXPECT_EQ(Read(*archive, L"ie_back_normal.png"), "<missing>");
    EXPECT_EQ(Read(*archive, L""), "<missing>");
}

TEST(SkinArchive, Utf8FlaggedNamesAreFoundByTheirText) {
    ZipEntry entry = Stored("\xE6\x88\x91\xE7\x9A\x84/Logo.png", "logo");
    entry.flags = 0x0800;
    const std::string bytes = BuildZip({entry});
    auto archive = Open(bytes);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(Read(*archive, L"我的\\logo.PNG"), "logo");
}

TEST(SkinArchive, NamesOf256CharactersOrMoreAreNeverFound) {
    const std::string name255(255, 'n'), name256(256, 'n');
    const std::string bytes = BuildZip({Stored(name255, "255"), Stored(name256, "256")});
    auto archive = Open(bytes);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(Read(*archive, std::wstring(255, L'N')), "255");
    EXPECT_EQ(Read(*archive, std::wstring(256, L'n')), "<missing>");
}

TEST(SkinArchive, DirectoryOutsideTheBufferOrNoArchiveAtAll) {
    std::string zip = BuildZip({Stored("a", "1")});
    const std::string empty, text = "not a zip archive at all, just some text that is long enough";
    EXPECT_EQ(Open(empty), nullptr);
    EXPECT_EQ(Open(text), nullptr);
    EXPECT_EQ(CSkinArchive::OpenMemory(nullptr, 10), nullptr);
    std::string pointsOutside = zip;
    pointsOutside[pointsOutside.size() - 6] = '\x7F';  // directory offset far beyond the end
    EXPECT_EQ(Open(pointsOutside), nullptr);
    std::string tooLong = zip;
    tooLong[tooLong.size() - 10] = '\x7F';  // directory size beyond the end record
    EXPECT_EQ(Open(tooLong), nullptr);
}

TEST(SkinArchive, EveryTruncationIsHandled) {
    const std::string zip = BuildZip({Deflated("a.xml", Repeated("abc", 300)), Stored("b.xml", "bbb")});
    for (size_t cut = 0; cut < zip.size(); ++cut) {
        const std::string truncated = zip.substr(0, cut);
        auto archive = Open(truncated);
        if (archive == nullptr) continue;
        for (const auto& member : archive->Members()) {
            std::string out(member.size, '\0');
            archive->Extract(member, out.data(), out.size());
        }
    }
    // A damaged local header spoils its member only.
    std::string damaged = zip;
    damaged[0] = 'X';
    auto archive = Open(damaged);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(Read(*archive, L"a.xml"), "<error>");
    EXPECT_EQ(Read(*archive, L"b.xml"), "bbb");
}

TEST(SkinArchive, SizesThatLie) {
    const std::string text = Repeated("0123456789", 100);
    ZipEntry shorter = Deflated("shorter", text);
    shorter.size = 500;  // inflates further than it says: the buffer fills and more is pending
    ZipEntry longer = Deflated("longer", text);
    longer.size = 2000;  // ends before it says
    ZipEntry stored = Stored("stored", text);
    stored.size = 999;
    ZipEntry packedTooLong = Deflated("packed", text);
    packedTooLong.compressedSize = 100000;  // reaches past the buffer
    ZipEntry bomb = Deflated("bomb", std::string(1000, 'a'));
    bomb.size = 0xF0000000u;  // more than deflate can ever produce from so few bytes
    const std::string bytes = BuildZip({shorter, longer, stored, packedTooLong, bomb});
    auto archive = Open(bytes);
    ASSERT_NE(archive, nullptr);

    std::string out(500, '\0');
    EXPECT_EQ(archive->Extract(*archive->Find(L"shorter"), out.data(), out.size()), CSkinArchive::ExtractResult::MoreData);
    EXPECT_EQ(out, text.substr(0, 500));
    EXPECT_EQ(Read(*archive, L"longer"), "<error>");
    EXPECT_EQ(Read(*archive, L"stored"), "<error>");
    EXPECT_EQ(Read(*archive, L"packed"), "<error>");
    char small[16];
    EXPECT_EQ(archive->Extract(*archive->Find(L"bomb"), small, sizeof(small)), CSkinArchive::ExtractResult::Error);
}

TEST(SkinArchive, AMemberThatInflatesFarBeyondItsSizeStopsAtTheBuffer) {
    ZipEntry bomb = Deflated("bomb", std::string(20u * 1024 * 1024, '\0'));
    bomb.size = 64;
    const std::string bytes = BuildZip({bomb});
    auto archive = Open(bytes);
    ASSERT_NE(archive, nullptr);
    std::string out(64, 'x');
    EXPECT_EQ(archive->Extract(*archive->Find(L"bomb"), out.data(), out.size()), CSkinArchive::ExtractResult::MoreData);
    EXPECT_EQ(out, std::string(64, '\0'));
}

TEST(SkinArchive, OverlappingMembersShareBytesSafely) {
    std::vector<ZipEntry> entries = {Stored("one", "shared data"), Stored("two", "shared data")};
    std::string zip = BuildZip(entries);
    // Point the second directory entry at the first member's local header.
    const size_t secondEntry = zip.find(std::string("PK\x01\x02", 4), zip.find(std::string("PK\x01\x02", 4)) + 4);
    ASSERT_NE(secondEntry, std::string::npos);
    zip.replace(secondEntry + 42, 4, std::string(4, '\0'));
    auto archive = Open(zip);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(Read(*archive, L"one"), "shared data");
    EXPECT_EQ(Read(*archive, L"two"), "shared data");
}

TEST(SkinArchive, EncryptedAndUnknownMethodsAreNotExtracted) {
    ZipEntry encrypted = Stored("e", "data");
    encrypted.flags = 1;
    ZipEntry bzip = Stored("b", "data");
    bzip.method = 12;
    const std::string bytes = BuildZip({encrypted, bzip});
    auto archive = Open(bytes);
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(Read(*archive, L"e"), "<error>");
    EXPECT_EQ(Read(*archive, L"b"), "<error>");
}

TEST(SkinArchive, MutatedArchivesNeverReadOutside) {
    const std::string zip = BuildZip({Deflated("layouts/Main.xml", Repeated("<Label text=\"hello\"/>", 40)),
                                      Stored("img/a.png", "\x89PNG not really"), Deflated("b.txt", "bbbbbbbbbbbbbbbb")});
    Mutator mutator(7);
    int opened = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string input = mutator.Mutate(zip);
        auto archive = Open(input);
        if (archive == nullptr) continue;
        ++opened;
        for (const auto& member : archive->Members()) {
            if (member.size > (1u << 20)) continue;
            std::string out(member.size, '\0');
            archive->Extract(member, out.data(), out.size());
            archive->Find(L"LAYOUTS\\MAIN.XML");
        }
    }
    EXPECT_GT(opened, 0);
}
