#include "games/StartLink.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "shared/PlayerRights.h"

namespace {

const wchar_t kStartSwitch[] = L"--start";
const wchar_t kLinkPrefix[] = L"ludora://start/";
const wchar_t kLinkScheme[] = L"ludora:";

bool StartsWithIgnoringCase(const std::wstring& text, const wchar_t* prefix) {
    const size_t length = wcslen(prefix);
    return text.size() >= length && _wcsnicmp(text.c_str(), prefix, length) == 0;
}

int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// A character a link path carries as it is (RFC 3986 "pchar" without the escapes and "/").
bool IsPlainLinkCharacter(wchar_t c) {
    if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) return true;
    return c != L'\0' && wcschr(L"-._~!$&'()*+,;=:@", c) != nullptr;
}

// The bytes of the link's escaped path; none on a bad escape or a character a link may not carry.
std::optional<std::string> Unescape(const std::wstring& path) {
    std::string bytes;
    for (size_t at = 0; at < path.size(); ++at) {
        const wchar_t c = path[at];
        if (c != L'%') {
            if (!IsPlainLinkCharacter(c)) return std::nullopt;
            bytes += static_cast<char>(c);
            continue;
        }
        const int high = at + 2 < path.size() ? HexValue(path[at + 1]) : -1;
        const int low = at + 2 < path.size() ? HexValue(path[at + 2]) : -1;
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
        at += 2;
    }
    return bytes;
}

// Well-formed UTF-8 only: an invalid, over-long or surrogate sequence does not come back the same.
std::optional<std::wstring> StrictUtf8(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > kMaxStartNameLength * 3) return std::nullopt;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring text(length, L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), size, text.data(), length);
    const int back = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string again(back > 0 ? back : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, again.data(), back, nullptr, nullptr);
    if (again != bytes) return std::nullopt;
    return text;
}

// Control characters, and the marks that turn the direction of the text round, which could make
// a name in a message read as another.
bool IsControlCharacter(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool HasUnpairedSurrogate(const std::wstring& text) {
    for (size_t at = 0; at < text.size(); ++at) {
        const wchar_t c = text[at];
        if (c >= 0xDC00 && c <= 0xDFFF) return true;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (at + 1 >= text.size() || text[at + 1] < 0xDC00 || text[at + 1] > 0xDFFF) return true;
            ++at;
        }
    }
    return false;
}

}  // namespace

std::vector<std::wstring> SplitArguments(const wchar_t* commandLine) {
    std::vector<std::wstring> arguments;
    int count = 0;
    // An empty command line would give the program's own path as its only argument.
    if (commandLine == nullptr || *commandLine == L'\0') return arguments;
    LPWSTR* split = CommandLineToArgvW(commandLine, &count);
    if (split == nullptr) return arguments;
    for (int index = 1; index < count; ++index) arguments.emplace_back(split[index]);
    LocalFree(split);
    return arguments;
}

bool IsAcceptableStartName(const std::wstring& name) {
    if (name.empty() || name.size() > kMaxStartNameLength || HasUnpairedSurrogate(name)) return false;
    for (wchar_t c : name)
        if (IsControlCharacter(c)) return false;
    return true;
}

std::optional<std::wstring> DecodeStartName(const std::string& bytes) {
    std::optional<std::wstring> name = StrictUtf8(bytes);
    if (!name || !IsAcceptableStartName(*name)) return std::nullopt;
    return name;
}

std::optional<std::wstring> DecodeStartLink(const std::wstring& link) {
    if (!StartsWithIgnoringCase(link, kLinkPrefix)) return std::nullopt;
    std::wstring path = link.substr(wcslen(kLinkPrefix));
    // Browsers may end a link with "/"; a "/" inside a name comes escaped.
    if (!path.empty() && path.back() == L'/') path.pop_back();
    std::optional<std::string> bytes = Unescape(path);
    return bytes ? DecodeStartName(*bytes) : std::nullopt;
}

StartRequest ParseStartRequest(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) return {};
    const std::wstring& first = arguments.front();
    std::optional<std::wstring> name;
    if (first == kStartSwitch) {
        if (arguments.size() == 2 && IsAcceptableStartName(arguments[1])) name = arguments[1];
    } else if (StartsWithIgnoringCase(first, kLinkScheme)) {
        if (arguments.size() == 1) name = DecodeStartLink(first);
    } else {
        return {};
    }
    if (!name) return StartRequest{StartRequest::Kind::Refused, {}};
    return StartRequest{StartRequest::Kind::Game, std::move(*name)};
}

std::wstring StartArguments(const std::wstring& name) {
    return std::wstring(kStartSwitch) + L" " + QuoteArgument(name);
}
