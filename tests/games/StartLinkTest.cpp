// What a start from outside the window may ask for: the forms that name a game, and every way of
// asking that is refused.
#include "games/StartLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Kind = StartRequest::Kind;

StartRequest Parse(const std::wstring& commandLine) {
    return ParseStartRequest(SplitArguments((L"Ludora.exe " + commandLine).c_str()));
}

}  // namespace

TEST(StartLink, TheSwitchAndTheLinkNameAGame) {
    EXPECT_EQ(Parse(L"").kind, Kind::None);
    EXPECT_EQ(Parse(L"AUTORUN").kind, Kind::None);
    EXPECT_EQ(Parse(L"123 \"C:\\Program Files\\Ludora\\Ludora.exe\" 1").kind, Kind::None) << "the updater's order";

    StartRequest request = Parse(L"--start \"龙之谷 2\"");
    EXPECT_EQ(request.kind, Kind::Game);
    EXPECT_EQ(request.name, L"龙之谷 2");
    request = Parse(L"\"LUDORA://Start/%E9%BE%99%E4%B9%8B%E8%B0%B7%202%2F3/\"");
    EXPECT_EQ(request.kind, Kind::Game);
    EXPECT_EQ(request.name, L"龙之谷 2/3") << "escapes decoded, the browser's closing \"/\" dropped";
    EXPECT_EQ(Parse(L"ludora://start/A-b_c.~!$&'()*+,;=:@").name, L"A-b_c.~!$&'()*+,;=:@");

    // The shortcut's arguments give back the name, whatever it holds.
    for (const std::wstring name : {L"plain", L"a \"quoted\" name", L"ends in \\", L"\\\\server\\\" x", L"--start"}) {
        request = Parse(StartArguments(name));
        EXPECT_EQ(request.kind, Kind::Game);
        EXPECT_EQ(request.name, name);
    }
}

TEST(StartLink, MalformedRequestsAreRefused) {
    const std::wstring longest(kMaxStartNameLength, L'游');
    EXPECT_EQ(Parse(L"--start \"" + longest + L"\"").kind, Kind::Game);
    const std::vector<std::wstring> refused = {
        L"--start",                                   // no name
        L"--start \"\"",                              // an empty one
        L"--start a b",                               // two
        L"--start \"" + longest + L"x\"",             // over-long
        L"--start \"tab\there\"",                     // control characters
        L"--start \"bell\a\"",
        L"--start \"\x202E" L"exe.txt\"",             // a name that turns the text round
        L"--start \"\xD800" L"lone\"",                // half a character
        L"ludora://start/",                           // link with no name
        L"ludora://start/%",                          // bad escapes
        L"ludora://start/%4",
        L"ludora://start/%G1",
        L"ludora://start/a%00b",                      // NUL
        L"ludora://start/a%0Ab",                      // control character
        L"ludora://start/%C2%85",                     // C1 control character
        L"ludora://start/%FF",                        // not UTF-8
        L"ludora://start/%C0%AF",                     // over-long UTF-8
        L"ludora://start/%ED%A0%80",                  // a surrogate in UTF-8
        L"ludora://start/a/b",                        // an unescaped "/"
        L"ludora://start/a?b",                        // a query
        L"ludora://start/a#b",                        // a fragment
        L"\"ludora://start/a b\"",                    // a blank
        L"ludora://start/\x9F99",                     // an unescaped character beyond ASCII
        L"ludora://start//",
        L"ludora://show/a",                           // another request
        L"ludora:start/a",
        L"ludora://start/a AUTORUN",                  // more arguments
        L"ludora://start/a 123 \"C:\\x\" 1",          // as many as the updater's order
    };
    for (const std::wstring& commandLine : refused) {
        const StartRequest request = Parse(commandLine);
        EXPECT_EQ(request.kind, Kind::Refused) << std::string(commandLine.begin(), commandLine.end());
        EXPECT_TRUE(request.name.empty());
    }
    const std::string overLong = "ludora://start/" + std::string(kMaxStartNameLength + 1, 'a');
    EXPECT_EQ(Parse(std::wstring(overLong.begin(), overLong.end())).kind, Kind::Refused);
}
