#include "UiLib/core/UIMarkup.h"

#include <climits>
#include <cwchar>
#include <cwctype>

#include "UiLib/core/UIResource.h"

namespace UiLib {
namespace {

bool IsWhitespace(wchar_t c) { return c >= 1 && c <= 32; }

void SkipWhitespace(wchar_t*& p) {
    while (IsWhitespace(*p)) ++p;
}

// Names and attribute names: "_", ":" and letters or digits in the widest sense (CJK included).
bool IsNameCharacter(wchar_t c) {
    if (c < 128) {
        return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_' ||
               c == L':';
    }
    return std::iswalnum(c) != 0;
}

void SkipIdentifier(wchar_t*& p) {
    while (IsNameCharacter(*p)) ++p;
}

// Copies at most size-1 characters, stopping at the first NUL.
void CopyTruncated(wchar_t* target, size_t size, const wchar_t* source) {
    size_t i = 0;
    for (; source != nullptr && i + 1 < size && source[i] != L'\0'; ++i) target[i] = source[i];
    target[i] = L'\0';
}

// The five entities; `p` stands just after the "&". Anything else is a plain "&".
void DecodeEntity(wchar_t*& p, wchar_t*& dest) {
    static const struct {
        const wchar_t* name;
        size_t length;
        wchar_t character;
    } kEntities[] = {{L"amp;", 4, L'&'}, {L"lt;", 3, L'<'}, {L"gt;", 3, L'>'}, {L"quot;", 5, L'"'}, {L"apos;", 5, L'\''}};
    for (const auto& entity : kEntities) {
        if (std::wcsncmp(p, entity.name, entity.length) == 0) {
            *dest++ = entity.character;
            p += entity.length;
            return;
        }
    }
    *dest++ = L'&';
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
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        bytes += 3;
        size -= 3;
    }
    if (size > static_cast<size_t>(INT_MAX)) {
        SetError(L"File too large");
        return false;
    }
    const char* utf8 = reinterpret_cast<const char*>(bytes);
    const int length = size == 0 ? 0 : MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(size), nullptr, 0);
    text_.reset(new wchar_t[static_cast<size_t>(length) + 1]);
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(size), text_.get(), length);
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
    // While nothing has been decoded shorter, the text already stands where it belongs.
    if (preserveWhitespace_) {
        while (dest == p && *p != L'\0' && *p != end && *p != L'&') {
            ++p;
            ++dest;
        }
    }
    while (*p != L'\0' && *p != end) {
        if (*p == L'&') {
            while (*p == L'&') DecodeEntity(++p, dest);
            continue;
        }
        const bool space = *p == L' ';
        *dest++ = *p++;
        if (space && !preserveWhitespace_) SkipWhitespace(p);
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
