#pragma once
#include <optional>
#include <string>
#include <vector>

// A game started from outside the window: `Ludora.exe --start "<name>"` (what the desktop
// shortcut runs) and `Ludora.exe "ludora://start/<name>"` (a link, the name percent-encoded
// UTF-8). Everything here arrives from whoever started the program: nothing is ever run from the
// name itself, only a game of the list whose whole name it is.

// Longer names are refused; no game of the list needs more.
constexpr size_t kMaxStartNameLength = 256;

struct StartRequest {
    enum class Kind {
        None,     // an ordinary start
        Game,     // start the game of `name`
        Refused,  // a start that was asked for in a form that is not accepted: nothing starts
    };
    Kind kind = Kind::None;
    std::wstring name;
};

// The arguments after the program name, split as the system splits a command line.
std::vector<std::wstring> SplitArguments(const wchar_t* commandLine);

// What the arguments after the program name ask for.
StartRequest ParseStartRequest(const std::vector<std::wstring>& arguments);

// The name of a "ludora://start/<name>" link; none when the link is not exactly that, an escape is
// bad or the name is not acceptable.
std::optional<std::wstring> DecodeStartLink(const std::wstring& link);

// The name in well-formed UTF-8 `bytes`; none when they are not, or the name is not acceptable.
std::optional<std::wstring> DecodeStartName(const std::string& bytes);

// Whether a name can be asked for: not empty, not over-long, no NUL or other control character.
bool IsAcceptableStartName(const std::wstring& name);

// The arguments that start the game of `name` through the program: `--start "<name>"`.
std::wstring StartArguments(const std::wstring& name);
