#include "UiLib/core/UIMarkup.h"

#include <array>
#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "UiLib/core/UIResource.h"

namespace UiLib {
namespace {

// Character classes of the ASCII range; everything above is judged by the C library.
enum : uint8_t {
    kNameCharacter = 1,  // "_", ":", letters and digits
    kEndsValue = 2,      // stops the fast scan of an attribute value: NUL, "&", double quote
    kEndsContent = 4,    // stops the fast scan of element content: NUL, "&", "<"
};

constexpr std::array<uint8_t, 128> MakeClasses() {
    std::array<uint8_t, 128> classes{};
    for (int c = 0; c < 128; ++c) {
        const bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (alnum || c == '_' || c == ':') classes[c] |= kNameCharacter;
    }
    classes[0] |= kEndsValue | kEndsContent;
    classes['&'] |= kEndsValue | kEndsContent;
    classes['"'] |= kEndsValue;
    classes['<'] |= kEndsContent;
    return classes;
}

constexpr std::array<uint8_t, 128> kClasses = MakeClasses();

bool IsWhitespace(wchar_t c) { return static_cast<unsigned>(c) - 1u < 32u; }

void SkipWhitespace(wchar_t*& p) {
    while (IsWhitespace(*p)) ++p;
}

// Names and attribute names: "_", ":" and letters or digits in the widest sense (CJK included).
bool IsNameCharacter(wchar_t c) {
    return c < 128 ? (kClasses[c] & kNameCharacter) != 0 : std::iswalnum(c) != 0;
}

void SkipIdentifier(wchar_t*& p) {
    while (IsNameCharacter(*p)) ++p;
}

bool EndsScan(wchar_t c, uint8_t classBit) { return c < 128 && (kClasses[c] & classBit) != 0; }

// Well-formed UTF-8 into UTF-16, ASCII runs four bytes at a time. Returns the number of UTF-16
// units written (never more than `size`), or -1 at the first ill-formed sequence.
long DecodeUtf8(const uint8_t* s, size_t size, wchar_t* out) {
    const uint8_t* end = s + size;
    wchar_t* o = out;
    auto continuation = [](uint8_t b) { return (b & 0xC0) == 0x80; };
    while (s < end) {
        while (end - s >= 4) {
            uint32_t word;
            std::memcpy(&word, s, 4);
            if (word & 0x80808080u) break;
            o[0] = s[0];
            o[1] = s[1];
            o[2] = s[2];
            o[3] = s[3];
            s += 4;
            o += 4;
        }
        if (s >= end) break;
        const uint32_t lead = *s;
        const size_t left = static_cast<size_t>(end - s);
        if (lead < 0x80) {
            *o++ = static_cast<wchar_t>(lead);
            ++s;
        } else if (lead < 0xC2) {
            return -1;
        } else if (lead < 0xE0) {
            if (left < 2 || !continuation(s[1])) return -1;
            *o++ = static_cast<wchar_t>(((lead & 0x1F) << 6) | (s[1] & 0x3F));
            s += 2;
        } else if (lead < 0xF0) {
            if (left < 3 || !continuation(s[1]) || !continuation(s[2])) return -1;
            const uint32_t code = ((lead & 0x0F) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
            if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)) return -1;
            *o++ = static_cast<wchar_t>(code);
            s += 3;
        } else if (lead < 0xF5) {
            if (left < 4 || !continuation(s[1]) || !continuation(s[2]) || !continuation(s[3])) return -1;
            const uint32_t code = ((lead & 0x07) << 18) | ((s[1] & 0x3Fu) << 12) | ((s[2] & 0x3Fu) << 6) | (s[3] & 0x3Fu);
            if (code < 0x10000 || code > 0x10FFFF) return -1;
            *o++ = static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            *o++ = static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            s += 4;
        } else {
            return -1;
        }
    }
    return static_cast<long>(o - out);
}

// Copies at most size-1 characters, stopping at the first NUL.
void CopyTruncated(wchar_t* target, size_t size, const wchar_t* source) {
    size_t i = 0;
    for (; source != nullptr && i + 1 < size && source[i] != L'\0'; ++i) target[i] = source[i];
    target[i] = L'\0';
}

// The five entities; `p` stands just after the "&". Anything else is a plain "&".
__attribute__((noinline)) void DecodeEntity(wchar_t*& p, wchar_t*& dest) {
    wchar_t character = L'&';
    size_t length = 0;
    switch (p[0]) {
    case L'a':
        if (p[1] == L'm' && p[2] == L'p' && p[3] == L';') {
            length = 4;
        } else if (p[1] == L'p' && p[2] == L'o' && p[3] == L's' && p[4] == L';') {
            character = L'\'';
            length = 5;
        }
        break;
    case L'l':
    case L'g':
        if (p[1] == L't' && p[2] == L';') {
            character = p[0] == L'l' ? L'<' : L'>';
            length = 3;
        }
        break;
    case L'q':
        if (p[1] == L'u' && p[2] == L'o' && p[3] == L't' && p[4] == L';') {
            character = L'"';
            length = 5;
        }
        break;
    default: break;
    }
    *dest++ = character;
    p += length;
}

}  // namespace

// An element whose children are being parsed, with what its closing tag needs.
struct CSkinMarkup::OpenLevel {
    uint32_t parent;    // row whose children this level produces, 0 at the top
    uint32_t previous;  // last element produced at this level
    wchar_t* nameStart;
    wchar_t* nameEnd;
    wchar_t* contentEnd;
};

CSkinMarkup::CSkinMarkup() {
    errorMessage_[0] = L'\0';
    errorLocation_[0] = L'\0';
}

CSkinMarkup::~CSkinMarkup() = default;

void CSkinMarkup::Release() {
    text_.reset();
    std::vector<ElementRecord>().swap(elements_);
}

CSkinMarkupNode CSkinMarkup::GetRoot() {
    return IsValid() ? CSkinMarkupNode(this, 1) : CSkinMarkupNode();
}

bool CSkinMarkup::Load(const wchar_t* text) {
    Release();
    if (text == nullptr) text = L"";
    const size_t length = std::wcslen(text);
    text_.reset(new wchar_t[length + 1]);
    std::wmemcpy(text_.get(), text, length + 1);
    if (Parse()) return true;
    Release();
    return false;
}

bool CSkinMarkup::LoadFromMem(const uint8_t* bytes, size_t size) {
    Release();
    if (bytes == nullptr) size = 0;
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        size -= 3;
    }
    if (size > static_cast<size_t>(INT_MAX)) {
        SetError(L"File too large");
        return false;
    }
    // Each byte gives at most one UTF-16 unit. Well-formed text takes the fast decoder; anything
    // else goes to the system's converter, which replaces ill-formed sequences its own way.
    text_.reset(new wchar_t[size + 1]);
    long length = DecodeUtf8(bytes, size, text_.get());
    if (length < 0) {
        length = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(size),
                                     text_.get(), static_cast<int>(size));
    }
    text_[length] = L'\0';
    if (Parse()) return true;
    Release();
    return false;
}

bool CSkinMarkup::LoadFromFile(const wchar_t* fileName) {
    Release();
    std::vector<uint8_t> bytes;
    const wchar_t* message = nullptr;
    switch (ReadSkinFile(fileName != nullptr ? fileName : L"", kMaxFileSize, bytes)) {
    case ResourceReadStatus::Ok: return LoadFromMem(bytes.data(), bytes.size());
    case ResourceReadStatus::OpenFileFailed: message = L"Error opening file"; break;
    case ResourceReadStatus::Empty: message = L"File is empty"; break;
    case ResourceReadStatus::TooLarge: message = L"File too large"; break;
    case ResourceReadStatus::ReadFailed: message = L"Could not read file"; break;
    case ResourceReadStatus::OpenZipFailed: message = L"Error opening zip file"; break;
    case ResourceReadStatus::MemberNotFound: message = L"Could not find ziped file"; break;
    case ResourceReadStatus::UnzipFailed: message = L"Could not unzip file"; break;
    }
    SetError(message);
    return false;
}

bool CSkinMarkup::LoadFromResource(UINT id, const wchar_t* type) {
    Release();
    ModuleResource resource = FindModuleResource(id, type);
    if (resource.data == nullptr) {
        SetError(L"Could not find resource");
        return false;
    }
    return LoadFromMem(resource.data, resource.size);
}

void CSkinMarkup::SetError(const wchar_t* message) {
    CopyTruncated(errorMessage_, kErrorMessageSize, message);
    errorLocation_[0] = L'\0';
}

bool CSkinMarkup::Fail(const wchar_t* message, const wchar_t* location) {
    CopyTruncated(errorMessage_, kErrorMessageSize, message);
    CopyTruncated(errorLocation_, kErrorLocationSize, location);
    return false;
}

uint32_t CSkinMarkup::ReserveElement() {
    if (elements_.size() == elements_.capacity()) {
        const size_t capacity = elements_.capacity();
        elements_.reserve(capacity + capacity / 2 + 500);
    }
    elements_.push_back(ElementRecord{});
    return static_cast<uint32_t>(elements_.size() - 1);
}

void CSkinMarkup::ParseData(wchar_t*& p, wchar_t*& dest, wchar_t end) {
    if (preserveWhitespace_) {
        const uint8_t stops = end == L'"' ? kEndsValue : kEndsContent;
        // Until the first entity the text already stands where it belongs.
        while (!EndsScan(*p, stops)) ++p;
        dest = p;
        while (*p != L'\0' && *p != end) {
            while (*p == L'&') DecodeEntity(++p, dest);
            while (!EndsScan(*p, stops)) *dest++ = *p++;
        }
    } else {
        while (*p != L'\0' && *p != end) {
            if (*p == L'&') {
                while (*p == L'&') DecodeEntity(++p, dest);
                continue;
            }
            const bool space = *p == L' ';
            *dest++ = *p++;
            if (space) SkipWhitespace(p);
        }
    }
    // Blank out what decoding freed, so that attribute mapping can step over a shortened value.
    for (wchar_t* fill = dest + 1; fill < p; ++fill) *fill = L' ';
}

bool CSkinMarkup::ParseAttributes(wchar_t*& p) {
    if (*p == L'>') return true;
    // "/>" straight after the name stays for the caller, which sees an empty element.
    if (p[0] == L'/' && p[1] == L'>') return true;
    *p++ = L'\0';
    SkipWhitespace(p);
    while (*p != L'\0' && *p != L'>' && *p != L'/') {
        SkipIdentifier(p);
        wchar_t* identifierEnd = p;
        SkipWhitespace(p);
        if (*p != L'=') return Fail(L"Error while parsing attributes", p);
        *p++ = L' ';
        *identifierEnd = L'\0';
        SkipWhitespace(p);
        if (*p != L'"') return Fail(L"Expected attribute value", p);
        ++p;
        wchar_t* dest = p;
        ParseData(p, dest, L'"');
        if (*p == L'\0') return Fail(L"Error while parsing attribute string", p);
        *dest = L'\0';
        if (dest != p) *p = L' ';
        ++p;
        SkipWhitespace(p);
    }
    return true;
}

bool CSkinMarkup::CloseElement(wchar_t*& p, const OpenLevel& level) {
    *level.contentEnd = L'\0';
    *p = L'\0';
    p += 2;
    SkipWhitespace(p);
    const size_t nameLength = static_cast<size_t>(level.nameEnd - level.nameStart);
    if (std::wcsncmp(p, level.nameStart, nameLength) != 0) return Fail(L"Unmatched closing tag", p);
    p += nameLength;
    SkipWhitespace(p);
    if (*p != L'>') return Fail(L"Unmatched closing tag", p);
    ++p;
    *level.nameEnd = L'\0';
    SkipWhitespace(p);
    return true;
}

// Iterative, so that deep nesting costs heap rather than stack.
bool CSkinMarkup::Parse() {
    errorMessage_[0] = L'\0';
    errorLocation_[0] = L'\0';
    ReserveElement();  // row 0 describes no element

    wchar_t* p = text_.get();
    std::vector<OpenLevel> levels{{0, 0, nullptr, nullptr, nullptr}};
    // An unclosed root, or an unclosed child of the root, ends the text: finish what is open.
    auto acceptEnd = [&levels]() {
        for (size_t i = 1; i < levels.size(); ++i) {
            *levels[i].contentEnd = L'\0';
            *levels[i].nameEnd = L'\0';
        }
        return true;
    };

    SkipWhitespace(p);
    for (;;) {
        const uint32_t parent = levels.back().parent;
        if (*p == L'\0') {
            if (parent <= 1) return acceptEnd();
            return Fail(L"Expected start tag", p);
        }
        SkipWhitespace(p);
        if (*p != L'<') return Fail(L"Expected start tag", p);
        if (p[1] == L'/') {
            if (levels.size() == 1) return true;
            const OpenLevel finished = levels.back();
            levels.pop_back();
            if (!CloseElement(p, finished)) return false;
            continue;
        }
        *p++ = L'\0';
        SkipWhitespace(p);
        if (*p == L'!' || *p == L'?') {
            const wchar_t marker = *p == L'!' ? L'-' : L'?';
            while (*p != L'\0' && !(p[0] == marker && p[1] == L'>')) ++p;
            if (*p != L'\0') p += 2;
            SkipWhitespace(p);
            continue;
        }

        const uint32_t row = ReserveElement();
        ElementRecord& element = elements_[row];
        element.start = Offset(p);
        element.parent = parent;
        OpenLevel& level = levels.back();
        if (level.previous != 0) {
            elements_[level.previous].next = row;
        } else if (parent != 0) {
            elements_[parent].child = row;
        }
        level.previous = row;

        wchar_t* nameStart = p;
        SkipIdentifier(p);
        wchar_t* nameEnd = p;
        if (*p == L'\0') return Fail(L"Error parsing element name", p);
        if (!ParseAttributes(p)) return false;
        SkipWhitespace(p);
        if (p[0] == L'/' && p[1] == L'>') {
            elements_[row].data = Offset(p);
            *p = L'\0';
            p += 2;
            *nameEnd = L'\0';
            SkipWhitespace(p);
            continue;
        }
        if (*p != L'>') return Fail(L"Expected start-tag closing", p);
        elements_[row].data = Offset(++p);
        wchar_t* dest = p;
        ParseData(p, dest, L'<');
        const OpenLevel opened{row, 0, nameStart, nameEnd, dest};
        if (*p == L'\0' && parent <= 1) {
            levels.push_back(opened);
            return acceptEnd();
        }
        if (*p != L'<') return Fail(L"Expected end-tag start", p);
        if (p[1] != L'/') {
            levels.push_back(opened);
            continue;
        }
        if (!CloseElement(p, opened)) return false;
    }
}

}  // namespace UiLib
