#include "UiLib/render/UIMarkup.h"

#include <gtest/gtest.h>

#include <string>

#include "UiLib/render/UIResource.h"
#include "tests/UiLib/core/SkinFixtures.h"
#include "tests/support/TestFolder.h"

using namespace UiLib;

namespace {

bool LoadUtf8(CSkinMarkup& markup, const std::string& text) {
    return markup.LoadFromMem(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// Names of the whole tree in document order, "/" between levels, "|" between elements.
std::wstring Shape(CSkinMarkupNode node) {
    std::wstring out;
    for (; node.IsValid(); node = node.GetSibling()) {
        out += node.GetName();
        if (node.HasChildren()) out += L"(" + Shape(node.GetChild()) + L")";
        if (node.HasSiblings()) out += L"|";
    }
    return out;
}

std::wstring ErrorOf(const std::wstring& text) {
    CSkinMarkup markup;
    EXPECT_FALSE(markup.Load(text.c_str())) << std::string(text.begin(), text.end());
    EXPECT_FALSE(markup.GetRoot().IsValid());
    return markup.GetLastErrorMessage();
}

const char kLayout[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<Window size=\"970,660\" caption=\"0,0,0,36\" roundcorner=\"4,4\">\n"
    "  <Font name=\"\xE5\xAE\x8B\xE4\xBD\x93\" size=\"12\" default=\"true\"/>\n"
    "  <Default name=\"VScrollBar\" value=\"button1normalimage=&quot;file='scrollbar.bmp' source='0,0,16,16'&quot;\" />\n"
    "  <!-- the body -->\n"
    "  <VerticalLayout bkcolor=\"#FFFFFFFF\">\n"
    "    <HorizontalLayout height=\"36\"><Button name=\"closebtn\" tooltip=\"\xE5\x85\xB3\xE9\x97\xAD\"/></HorizontalLayout>\n"
    "    <Label text=\"a &lt;b&gt; &amp; c\">Some text</Label>\n"
    "  </VerticalLayout>\n"
    "</Window>\n";

}  // namespace

TEST(SkinMarkup, ReadsARealisticLayout) {
    CSkinMarkup markup;
    ASSERT_TRUE(LoadUtf8(markup, kLayout)) << markup.GetLastErrorMessage();
    CSkinMarkupNode root = markup.GetRoot();
    EXPECT_STREQ(root.GetName(), L"Window");
    EXPECT_EQ(Shape(root), L"Window(Font|Default|VerticalLayout(HorizontalLayout(Button)|Label))");
    EXPECT_EQ(root.GetAttributeCount(), 3);
    EXPECT_STREQ(root.GetAttributeValue(L"caption"), L"0,0,0,36");
    EXPECT_STREQ(root.GetChild(L"Font").GetAttributeValue(L"name"), L"宋体");
    EXPECT_STREQ(root.GetChild(L"Default").GetAttributeValue(L"value"),
                 L"button1normalimage=\"file='scrollbar.bmp' source='0,0,16,16'\"");
    CSkinMarkupNode label = root.GetChild(L"VerticalLayout").GetChild(L"Label");
    EXPECT_STREQ(label.GetAttributeValue(L"text"), L"a <b> & c");
    EXPECT_STREQ(label.GetValue(), L"Some text");
    EXPECT_STREQ(label.GetParent().GetName(), L"VerticalLayout");
    EXPECT_FALSE(root.GetParent().IsValid());
    CSkinMarkupNode button = label.GetParent().GetChild().GetChild();
    EXPECT_STREQ(button.GetAttributeValue(L"tooltip"), L"关闭");
    EXPECT_STREQ(button.GetValue(), L"");
}

TEST(SkinMarkup, ByteOrderMarkChangesNothing) {
    CSkinMarkup plain, marked;
    ASSERT_TRUE(LoadUtf8(plain, kLayout));
    ASSERT_TRUE(LoadUtf8(marked, std::string("\xEF\xBB\xBF") + kLayout));
    EXPECT_EQ(Shape(plain.GetRoot()), Shape(marked.GetRoot()));
    EXPECT_STREQ(marked.GetRoot().GetName(), L"Window");
}

namespace {

std::wstring SystemDecoded(const std::string& bytes) {
    std::wstring wide(bytes.size(), L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                        wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

}  // namespace

// Characters of every UTF-8 length at every position of the decoder's blocks; a text with an
// ill-formed sequence is decoded by the system's converter as a whole.
TEST(SkinMarkup, TextOfEveryUtf8LengthDecodesLikeTheSystemConverter) {
    const std::string wellFormed[] = {"a", "\xC3\xA9", "\xE6\xB8\xB8", "\xF0\x9F\x98\x80"};
    const std::string illFormed[] = {"\xE6\xB8", "\xC0\xAF", "\xFF", "\xED\xA0\x80"};
    for (int shift = 0; shift < 20; ++shift) {
        std::string value(static_cast<size_t>(shift), 'x');
        for (int i = 0; i < 12; ++i) value += wellFormed[(i + shift) % 4];
        for (const std::string& input : {value, value + illFormed[shift % 4] + value}) {
            CSkinMarkup markup;
            ASSERT_TRUE(LoadUtf8(markup, "<a v=\"" + input + "\">" + input + "</a>")) << shift;
            EXPECT_EQ(markup.GetRoot().GetAttributeValue(L"v"), SystemDecoded(input)) << shift;
            EXPECT_EQ(markup.GetRoot().GetValue(), SystemDecoded(input)) << shift;
        }
    }
}

TEST(SkinMarkup, EmptyElementFormsAndQuotes) {
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(L"<Window><Font name=\"a\"/><Font name=\"b\" /><Empty/></Window>"));
    CSkinMarkupNode first = markup.GetRoot().GetChild();
    EXPECT_STREQ(first.GetName(), L"Font");
    EXPECT_STREQ(first.GetAttributeValue(L"name"), L"a");
    EXPECT_STREQ(first.GetSibling().GetAttributeValue(L"name"), L"b");
    EXPECT_STREQ(first.GetSibling().GetSibling().GetName(), L"Empty");
    EXPECT_FALSE(first.GetSibling().GetSibling().HasAttributes());
    EXPECT_FALSE(first.HasChildren());

    EXPECT_EQ(ErrorOf(L"<a x='1'/>"), L"Expected attribute value");
    EXPECT_EQ(ErrorOf(L"<a data-x=\"1\"/>"), L"Error while parsing attributes");
}

TEST(SkinMarkup, EntitiesDecodeAndUnknownOnesStay) {
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(L"<a v=\"a &amp; b &copy; c\" w=\"&quot;&apos;&lt;&gt;\" x=\"&amp;\" y=\"&\">&amp;&amp;x &lt;</a>"));
    CSkinMarkupNode a = markup.GetRoot();
    EXPECT_STREQ(a.GetAttributeValue(L"v"), L"a & b &copy; c");
    EXPECT_STREQ(a.GetAttributeValue(L"w"), L"\"'<>");
    EXPECT_STREQ(a.GetAttributeValue(L"x"), L"&");
    EXPECT_STREQ(a.GetAttributeValue(L"y"), L"&");
    EXPECT_STREQ(a.GetValue(), L"&&x <");
    EXPECT_EQ(a.GetAttributeCount(), 4);  // shortened values do not hide the attributes after them
}

TEST(SkinMarkup, StructuralErrors) {
    EXPECT_EQ(ErrorOf(L"<a>x<b/>y</a>"), L"Expected start tag");
    EXPECT_EQ(ErrorOf(L"<a><b></c></a>"), L"Unmatched closing tag");
    EXPECT_EQ(ErrorOf(L"<a><b></b </a>"), L"Unmatched closing tag");
    EXPECT_EQ(ErrorOf(L"text"), L"Expected start tag");
    EXPECT_EQ(ErrorOf(L"<abc"), L"Error parsing element name");
    EXPECT_EQ(ErrorOf(L"<a x=\"1\" /x>"), L"Expected start-tag closing");
    EXPECT_EQ(ErrorOf(L"<a x=\"1"), L"Error while parsing attribute string");
    EXPECT_EQ(ErrorOf(L"<a><b><c>text"), L"Expected end-tag start");
    EXPECT_EQ(ErrorOf(L"<a><b><c/>"), L"Expected start tag");
}

TEST(SkinMarkup, ErrorLocationShowsTheTextAtTheFault) {
    CSkinMarkup markup;
    EXPECT_FALSE(markup.Load(L"<a><b></c></a>"));
    EXPECT_STREQ(markup.GetLastErrorLocation(), L"c></a>");
    std::wstring longTail = L"<a>x<b/>" + std::wstring(200, L'y');
    EXPECT_FALSE(markup.Load(longTail.c_str()));
    EXPECT_EQ(std::wstring(markup.GetLastErrorLocation()), std::wstring(49, L'y'));
    EXPECT_TRUE(markup.Load(L"<ok/>"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), L"");
    EXPECT_STREQ(markup.GetLastErrorLocation(), L"");
}

TEST(SkinMarkup, UnclosedRootAndFirstLevelChildAreAccepted) {
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(L"<Window><VerticalLayout>"));
    EXPECT_STREQ(markup.GetRoot().GetName(), L"Window");
    EXPECT_STREQ(markup.GetRoot().GetChild().GetName(), L"VerticalLayout");
    // The open elements are finished: names and decoded text end where they should.
    ASSERT_TRUE(markup.Load(L"<Window a=\"1\"><Label>x&amp;y"));
    EXPECT_STREQ(markup.GetRoot().GetChild().GetName(), L"Label");
    EXPECT_STREQ(markup.GetRoot().GetChild().GetValue(), L"x&y");
    EXPECT_STREQ(markup.GetRoot().GetAttributeValue(L"a"), L"1");
}

TEST(SkinMarkup, CommentsDeclarationsAndTopLevelSiblings) {
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(L"<!-- note --><Window/>"));
    EXPECT_STREQ(markup.GetRoot().GetName(), L"Window");
    ASSERT_TRUE(markup.Load(L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Window/>"));
    EXPECT_STREQ(markup.GetRoot().GetName(), L"Window");
    ASSERT_TRUE(markup.Load(L"<a><!-- x --><b/><?pi?><c/></a><d/>"));
    EXPECT_EQ(Shape(markup.GetRoot()), L"a(b|c)|d");
    // Nothing but a comment: no element, no root.
    ASSERT_TRUE(markup.Load(L"<!-- only -->"));
    EXPECT_FALSE(markup.GetRoot().IsValid());
    ASSERT_TRUE(markup.Load(L""));
    EXPECT_FALSE(markup.GetRoot().IsValid());
    ASSERT_TRUE(markup.LoadFromMem(nullptr, 10));
    EXPECT_FALSE(markup.GetRoot().IsValid());
}

TEST(SkinMarkup, AtMostSixtyFourAttributesAreVisible) {
    std::wstring text = L"<a";
    for (int i = 1; i <= 70; ++i) text += L" k" + std::to_wstring(i) + L"=\"v" + std::to_wstring(i) + L"\"";
    text += L"/>";
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(text.c_str()));
    CSkinMarkupNode node = markup.GetRoot();
    EXPECT_EQ(node.GetAttributeCount(), 64);
    EXPECT_STREQ(node.GetAttributeValue(L"k64"), L"v64");
    EXPECT_STREQ(node.GetAttributeValue(L"k65"), L"");
    EXPECT_FALSE(node.HasAttribute(L"k65"));
    EXPECT_STREQ(node.GetAttributeName(63), L"k64");
    EXPECT_STREQ(node.GetAttributeName(64), L"");
    EXPECT_STREQ(node.GetAttributeValue(-1), L"");
}

TEST(SkinMarkup, RepeatedAttributesAndTheCopyingLookup) {
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(L"<a name=\"first\" name=\"second\" long=\"\"/>"));
    CSkinMarkupNode node = markup.GetRoot();
    EXPECT_STREQ(node.GetAttributeValue(L"name"), L"first");
    EXPECT_STREQ(node.GetAttributeValue(1), L"second");
    EXPECT_STREQ(node.GetAttributeValue(L"Name"), L"");  // names are case-sensitive

    std::wstring longValue(600, L'z');
    ASSERT_TRUE(markup.Load((L"<a v=\"" + longValue + L"\"/>").c_str()));
    wchar_t buffer[CSkinMarkupNode::kAttributeBufferSize];
    ASSERT_TRUE(markup.GetRoot().GetAttributeValue(L"v", buffer));
    EXPECT_EQ(std::wstring(buffer), std::wstring(499, L'z'));
    EXPECT_FALSE(markup.GetRoot().GetAttributeValue(L"none", buffer));
}

TEST(SkinMarkup, InvalidNodeAnswersNothing) {
    CSkinMarkupNode node;
    EXPECT_FALSE(node.IsValid());
    EXPECT_EQ(node.GetName(), nullptr);
    EXPECT_EQ(node.GetValue(), nullptr);
    EXPECT_EQ(node.GetAttributeValue(L"x"), nullptr);
    EXPECT_EQ(node.GetAttributeCount(), 0);
    EXPECT_FALSE(node.GetChild().IsValid());
    EXPECT_FALSE(node.HasChildren());
}

TEST(SkinMarkup, WhitespaceIsKeptUnlessAskedOtherwise) {
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(L"<a v=\"x  \t y\">p  \r\n q</a>"));
    EXPECT_STREQ(markup.GetRoot().GetAttributeValue(L"v"), L"x  \t y");
    markup.SetPreserveWhitespace(false);
    ASSERT_TRUE(markup.Load(L"<a v=\"x  \t y\" w=\"2\">p  \r\n q</a>"));
    EXPECT_STREQ(markup.GetRoot().GetAttributeValue(L"v"), L"x y");
    EXPECT_STREQ(markup.GetRoot().GetAttributeValue(L"w"), L"2");
    EXPECT_STREQ(markup.GetRoot().GetValue(), L"p q");
}

TEST(SkinMarkup, LargeAndDeepDocumentsNeitherOverflowNorBreakLinks) {
    std::wstring many = L"<r>";
    for (int i = 0; i < 5000; ++i) many += L"<i n=\"" + std::to_wstring(i) + L"\"/>";
    many += L"</r>";
    CSkinMarkup markup;
    ASSERT_TRUE(markup.Load(many.c_str()));
    int count = 0;
    for (CSkinMarkupNode n = markup.GetRoot().GetChild(); n.IsValid(); n = n.GetSibling(), ++count) {
        ASSERT_EQ(std::wstring(n.GetAttributeValue(L"n")), std::to_wstring(count));
    }
    EXPECT_EQ(count, 5000);

    const int depth = 200000;
    std::wstring deep;
    for (int i = 0; i < depth; ++i) deep += L"<d>";
    for (int i = 0; i < depth; ++i) deep += L"</d>";
    ASSERT_TRUE(markup.Load(deep.c_str())) << markup.GetLastErrorMessage();
    deep.resize(deep.size() - 4 * 10);
    EXPECT_EQ(ErrorOf(deep), L"Expected start tag");
}

TEST(SkinMarkup, ACutLayoutNeverReadsPastItsEnd) {
    const std::string layout = kLayout;
    for (size_t cut = 0; cut <= layout.size(); ++cut) {
        CSkinMarkup markup;
        if (LoadUtf8(markup, layout.substr(0, cut))) {
            for (CSkinMarkupNode n = markup.GetRoot(); n.IsValid(); n = n.GetSibling()) n.GetAttributeCount();
        } else {
            EXPECT_NE(markup.GetLastErrorMessage()[0], L'\0') << cut;
        }
    }
}

namespace {

// Reads everything a builder would read; a broken table or offset shows as a crash here.
size_t Walk(CSkinMarkupNode node, int depth = 0) {
    size_t seen = 0;
    for (; node.IsValid(); node = node.GetSibling()) {
        seen += std::wcslen(node.GetName()) + std::wcslen(node.GetValue());
        for (int i = 0; i < node.GetAttributeCount(); ++i) {
            seen += std::wcslen(node.GetAttributeName(i)) + std::wcslen(node.GetAttributeValue(i));
        }
        if (depth < 64) seen += Walk(node.GetChild(), depth + 1);
    }
    return seen;
}

}  // namespace

TEST(SkinMarkup, MutatedLayoutsParseOrFailCleanly) {
    SkinFixtures::Mutator mutator(20240501);
    const std::string layout = kLayout;
    int parsed = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string input = mutator.Mutate(layout);
        CSkinMarkup markup;
        if (LoadUtf8(markup, input)) {
            ++parsed;
            Walk(markup.GetRoot());
        } else {
            ASSERT_NE(markup.GetLastErrorMessage()[0], L'\0');
            ASSERT_LT(std::wcslen(markup.GetLastErrorLocation()), CSkinMarkup::kErrorLocationSize);
        }
    }
    EXPECT_GT(parsed, 0);
    EXPECT_LT(parsed, 4000);
}

class SkinMarkupFile : public ::testing::Test {
protected:
    void SetUp() override { CResourceConfig::SetResourcePath(folder.Path().c_str()); }
    void TearDown() override {
        CResourceConfig::SetResourceZip(static_cast<const wchar_t*>(nullptr), false);
        CResourceConfig::SetResourcePath(nullptr);
    }
    TestFolder folder;
};

TEST_F(SkinMarkupFile, FourMebibytesIsTheLimit) {
    const std::string head = "<Window>", tail = "</Window>";
    std::string exact = head + std::string(CSkinMarkup::kMaxFileSize - head.size() - tail.size(), ' ') + tail;
    WriteFileBytes(folder.File(L"exact.xml"), exact);
    WriteFileBytes(folder.File(L"over.xml"), exact + " ");
    WriteFileBytes(folder.File(L"empty.xml"), "");
    CSkinMarkup markup;
    EXPECT_TRUE(markup.LoadFromFile(L"exact.xml")) << markup.GetLastErrorMessage();
    EXPECT_STREQ(markup.GetRoot().GetName(), L"Window");
    EXPECT_FALSE(markup.LoadFromFile(L"over.xml"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), L"File too large");
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_FALSE(markup.LoadFromFile(L"empty.xml"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), L"File is empty");
    EXPECT_FALSE(markup.LoadFromFile(L"missing.xml"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), L"Error opening file");
    EXPECT_STREQ(markup.GetLastErrorLocation(), L"");
}

TEST_F(SkinMarkupFile, ArchiveMembersAndTheirMessages) {
    using namespace SkinFixtures;
    ZipEntry broken = Deflated("broken.xml", "<Window/>");
    broken.stored[0] = '\xFF';  // an invalid block type
    ZipEntry big = Stored("big.xml", "x");
    big.size = static_cast<uint32_t>(CSkinMarkup::kMaxFileSize + 1);
    WriteFileBytes(folder.File(L"skin.zip"),
                   BuildZip({Deflated("layouts/Main.xml", kLayout), Stored("empty.xml", ""), broken, big}));
    CResourceConfig::SetResourceZip(L"skin.zip", false);

    CSkinMarkup markup;
    EXPECT_TRUE(markup.LoadFromFile(L"LAYOUTS\\main.XML")) << markup.GetLastErrorMessage();
    EXPECT_STREQ(markup.GetRoot().GetName(), L"Window");
    const std::pair<const wchar_t*, const wchar_t*> failures[] = {
        {L"none.xml", L"Could not find ziped file"},
        {L"empty.xml", L"File is empty"},
        {L"broken.xml", L"Could not unzip file"},
        {L"big.xml", L"File too large"},
    };
    for (const auto& [name, message] : failures) {
        EXPECT_FALSE(markup.LoadFromFile(name));
        EXPECT_STREQ(markup.GetLastErrorMessage(), message) << name;
    }
    CResourceConfig::SetResourceZip(L"nothere.zip", true);
    EXPECT_FALSE(markup.LoadFromFile(L"layouts/Main.xml"));
    EXPECT_STREQ(markup.GetLastErrorMessage(), L"Error opening zip file");
}

TEST(SkinMarkupResource, AMissingModuleResourceFails) {
    CSkinMarkup markup;
    EXPECT_FALSE(markup.LoadFromResource(4321, L"xml"));
    EXPECT_FALSE(markup.GetRoot().IsValid());
    EXPECT_NE(markup.GetLastErrorMessage()[0], L'\0');
}
