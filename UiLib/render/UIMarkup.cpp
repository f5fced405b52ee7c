#include "UiLib/render/UIMarkup.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include <emmintrin.h>

#include "UiLib/render/UIResource.h"

namespace UiLib {
namespace {

// The text buffer ends in this many NUL characters, so that the eight-character reads of the
// wide scans below, which start at or before the final NUL, stay inside it.
constexpr size_t kTextPadding = 8;

// Names and attribute names: "_", ":" and ASCII letters and digits; above ASCII the C library
// judges (so CJK letters count).
constexpr std::array<bool, 128> MakeNameCharacters() {
    std::array<bool, 128> name{};
    for (int c = 0; c < 128; ++c) {
        name[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == ':';
    }
    return name;
}

constexpr std::array<bool, 128> kNameCharacters = MakeNameCharacters();

bool IsWhitespace(wchar_t c) { return static_cast<unsigned>(c) - 1u < 32u; }

// The scanning helpers take and return the position by value, so that it stays in a register.
wchar_t* SkipWhitespace(wchar_t* p) {
    while (IsWhitespace(*p)) ++p;
    return p;
}

bool IsNameCharacter(wchar_t c) {
    // Lower-case letters make up most names: one comparison for them.
    if (static_cast<unsigned>(c) - L'a' < 26u) return true;
    return c < 128 ? kNameCharacters[c] : std::iswalnum(c) != 0;
}

wchar_t* SkipIdentifier(wchar_t* p) {
    while (IsNameCharacter(*p)) ++p;
    return p;
}

// Character data ends at NUL, at "&" (an entity) or at its terminator: the double quote of an
// attribute value or the "<" after element content. Every character above both "&" and the
// terminator goes on, so most characters are decided by one comparison.
template <wchar_t Terminator>
struct DataStops {
    static constexpr wchar_t kHighest = Terminator > L'&' ? Terminator : L'&';

    static constexpr std::array<bool, kHighest + 1> MakeTable() {
        std::array<bool, kHighest + 1> stops{};
        stops[0] = stops[L'&'] = stops[Terminator] = true;
        return stops;
    }
    static constexpr std::array<bool, kHighest + 1> kTable = MakeTable();

    static bool Stops(wchar_t c) { return c <= kHighest && kTable[c]; }
};

// Wide scans. The program is built for every 32-bit x86 processor, so SSE2 cannot be assumed;
// the two scans that take most of a parse (widening ASCII bytes and finding the end of
// character data) have a 16-byte SSE2 form, chosen once at start-up when the processor has it.
const bool kHasSse2 = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE) != 0;

// Widens the leading ASCII bytes of `s`, 16 at a time, and returns how many there were (the rest,
// from the first byte above ASCII or the last few bytes on, is left to the caller). Each block is
// stored whole: the units after the first byte above ASCII are overwritten by what the caller
// decodes next, and they stay inside the buffer, since the output never runs ahead of the input.
__attribute__((target("sse2"))) size_t WidenAsciiSse2(const uint8_t* s, size_t size, wchar_t* out) {
    const __m128i zero = _mm_setzero_si128();
    size_t done = 0;
    for (; size - done >= 16; done += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + done));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done + 8), _mm_unpackhi_epi8(bytes, zero));
        const unsigned aboveAscii = static_cast<unsigned>(_mm_movemask_epi8(bytes));
        if (aboveAscii != 0) return done + __builtin_ctz(aboveAscii);
    }
    return done;
}

// Eight characters a step; may read up to seven characters past the stop (see kTextPadding).
template <wchar_t Terminator>
__attribute__((target("sse2"))) wchar_t* FindDataStopSse2(wchar_t* p) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i ampersand = _mm_set1_epi16(L'&');
    const __m128i terminator = _mm_set1_epi16(Terminator);
    for (;; p += 8) {
        const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i stops = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(chars, zero), _mm_cmpeq_epi16(chars, ampersand)),
                                           _mm_cmpeq_epi16(chars, terminator));
        // Two mask bits per character: the lowest set bit halved is the first stop's index.
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(stops));
        if (mask != 0) return p + __builtin_ctz(mask) / 2;
    }
}

// The first character at or after `p` that ends character data.
template <wchar_t Terminator>
wchar_t* FindDataStop(wchar_t* p) {
    if (kHasSse2) return FindDataStopSse2<Terminator>(p);
    using Data = DataStops<Terminator>;
    // Four characters a step; each is read only after the one before it went on.
    for (;; p += 4) {
        if (Data::Stops(p[0])) return p;
        if (Data::Stops(p[1])) return p + 1;
        if (Data::Stops(p[2])) return p + 2;
        if (Data::Stops(p[3])) return p + 3;
    }
}

// One well-formed UTF-8 sequence whose lead byte is above ASCII, into one or two UTF-16 units;
// false if it is ill-formed. The three-byte form (CJK text) is tested first.
bool DecodeSequence(const uint8_t*& s, const uint8_t* end, wchar_t*& o) {
    auto continuation = [](uint8_t b) { return (b & 0xC0) == 0x80; };
    const uint32_t lead = *s;
    const size_t left = static_cast<size_t>(end - s);
    if ((lead & 0xF0) == 0xE0) {
        if (left < 3 || !continuation(s[1]) || !continuation(s[2])) return false;
        const uint32_t code = ((lead & 0x0F) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
        if (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)) return false;
        *o++ = static_cast<wchar_t>(code);
        s += 3;
    } else if (lead >= 0xC2 && lead < 0xE0) {
        if (left < 2 || !continuation(s[1])) return false;
        *o++ = static_cast<wchar_t>(((lead & 0x1F) << 6) | (s[1] & 0x3F));
        s += 2;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        if (left < 4 || !continuation(s[1]) || !continuation(s[2]) || !continuation(s[3])) return false;
        const uint32_t code = ((lead & 0x07) << 18) | ((s[1] & 0x3Fu) << 12) | ((s[2] & 0x3Fu) << 6) | (s[3] & 0x3Fu);
        if (code < 0x10000 || code > 0x10FFFF) return false;
        *o++ = static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
        *o++ = static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        s += 4;
    } else {
        return false;  // a continuation byte, an overlong lead or one beyond U+10FFFF
    }
    return true;
}

// Well-formed UTF-8 into UTF-16, ASCII runs many bytes at a time. Returns the number of UTF-16
// units written (never more than `size`), or -1 at the first ill-formed sequence.
long DecodeUtf8(const uint8_t* s, size_t size, wchar_t* out) {
    const uint8_t* end = s + size;
    wchar_t* o = out;
    while (s < end) {
        if (kHasSse2) {
            const size_t widened = WidenAsciiSse2(s, static_cast<size_t>(end - s), o);
            s += widened;
            o += widened;
        }
        // Without SSE2, and for the last few bytes: eight ASCII bytes at a time.
        while (end - s >= 8) {
            uint32_t low, high;
            std::memcpy(&low, s, 4);
            std::memcpy(&high, s + 4, 4);
            if ((low | high) & 0x80808080u) break;
            for (int i = 0; i < 8; ++i) o[i] = s[i];
            s += 8;
            o += 8;
        }
        if (s >= end) break;
        if (*s < 0x80) {
            *o++ = static_cast<wchar_t>(*s++);
            continue;
        }
        // Characters above ASCII tend to come in runs: decode them before widening again.
        do {
            if (!DecodeSequence(s, end, o)) return -1;
        } while (s < end && *s >= 0x80);
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

// Decodes character data in place: the five entities, and with `preserveWhitespace` off every run
// of whitespace after a space is dropped. Returns where it stopped (NUL or the terminator, not
// consumed); `decodedEnd` is where the decoded text ends.
template <wchar_t Terminator>
wchar_t* ParseData(wchar_t* p, wchar_t*& decodedEnd, bool preserveWhitespace) {
    using Data = DataStops<Terminator>;
    wchar_t* dest = p;
    if (preserveWhitespace) {
        // Until the first entity the text already stands where it belongs.
        p = FindDataStop<Terminator>(p);
        dest = p;
        while (*p != L'\0' && *p != Terminator) {
            while (*p == L'&') DecodeEntity(++p, dest);
            while (!Data::Stops(*p)) *dest++ = *p++;
        }
    } else {
        while (*p != L'\0' && *p != Terminator) {
            if (*p == L'&') {
                while (*p == L'&') DecodeEntity(++p, dest);
                continue;
            }
            const bool space = *p == L' ';
            *dest++ = *p++;
            if (space) p = SkipWhitespace(p);
        }
    }
    // Blank out what decoding freed, so that attribute mapping can step over a shortened value.
    for (wchar_t* fill = dest + 1; fill < p; ++fill) *fill = L' ';
    decodedEnd = dest;
    return p;
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
    text_.reset(new wchar_t[length + kTextPadding]);
    std::wmemcpy(text_.get(), text, length);
    std::fill_n(text_.get() + length, kTextPadding, L'\0');
    if (Parse(length)) return true;
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
    text_.reset(new wchar_t[size + kTextPadding]);
    long length = DecodeUtf8(bytes, size, text_.get());
    if (length < 0) {
        length = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(size),
                                     text_.get(), static_cast<int>(size));
    }
    std::fill_n(text_.get() + length, kTextPadding, L'\0');
    if (Parse(static_cast<size_t>(length))) return true;
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

wchar_t* CSkinMarkup::ParseAttributes(wchar_t* p) {
    if (*p == L'>') return p;
    // "/>" straight after the name stays for the caller, which sees an empty element.
    if (p[0] == L'/' && p[1] == L'>') return p;
    *p++ = L'\0';
    p = SkipWhitespace(p);
    while (*p != L'\0' && *p != L'>' && *p != L'/') {
        wchar_t* identifierEnd = SkipIdentifier(p);
        p = SkipWhitespace(identifierEnd);
        if (*p != L'=') {
            Fail(L"Error while parsing attributes", p);
            return nullptr;
        }
        *p++ = L' ';
        *identifierEnd = L'\0';
        p = SkipWhitespace(p);
        if (*p != L'"') {
            Fail(L"Expected attribute value", p);
            return nullptr;
        }
        wchar_t* valueEnd = nullptr;
        p = ParseData<L'"'>(p + 1, valueEnd, preserveWhitespace_);
        if (*p == L'\0') {
            Fail(L"Error while parsing attribute string", p);
            return nullptr;
        }
        *valueEnd = L'\0';
        if (valueEnd != p) *p = L' ';
        p = SkipWhitespace(p + 1);
    }
    return p;
}

wchar_t* CSkinMarkup::CloseElement(wchar_t* p, const OpenLevel& level) {
    *level.contentEnd = L'\0';
    *p = L'\0';
    p = SkipWhitespace(p + 2);
    // The open name holds no NUL, so a text that ends early differs before it is passed.
    const size_t nameLength = static_cast<size_t>(level.nameEnd - level.nameStart);
    for (size_t i = 0; i < nameLength; ++i) {
        if (p[i] != level.nameStart[i]) {
            Fail(L"Unmatched closing tag", p);
            return nullptr;
        }
    }
    p = SkipWhitespace(p + nameLength);
    if (*p != L'>') {
        Fail(L"Unmatched closing tag", p);
        return nullptr;
    }
    *level.nameEnd = L'\0';
    return SkipWhitespace(p + 1);
}

// Iterative, so that deep nesting costs heap rather than stack.
bool CSkinMarkup::Parse(size_t length) {
    errorMessage_[0] = L'\0';
    errorLocation_[0] = L'\0';
    // Skin layouts spend well over 32 characters on an element, so the table rarely has to grow
    // (and be copied) during the parse; a denser text grows it as usual.
    elements_.reserve(length / 32 + 16);
    ReserveElement();  // row 0 describes no element

    std::vector<OpenLevel> levels;
    levels.reserve(32);  // deeper than skin layouts nest, so it is allocated once
    levels.push_back({0, 0, nullptr, nullptr, nullptr});
    // An unclosed root, or an unclosed child of the root, ends the text: finish what is open.
    auto acceptEnd = [&levels]() {
        for (size_t i = 1; i < levels.size(); ++i) {
            *levels[i].contentEnd = L'\0';
            *levels[i].nameEnd = L'\0';
        }
        return true;
    };

    wchar_t* p = SkipWhitespace(text_.get());
    for (;;) {
        const uint32_t parent = levels.back().parent;
        if (*p == L'\0') {
            if (parent <= 1) return acceptEnd();
            return Fail(L"Expected start tag", p);
        }
        p = SkipWhitespace(p);
        if (*p != L'<') return Fail(L"Expected start tag", p);
        if (p[1] == L'/') {
            if (levels.size() == 1) return true;
            const OpenLevel finished = levels.back();
            levels.pop_back();
            p = CloseElement(p, finished);
            if (p == nullptr) return false;
            continue;
        }
        *p = L'\0';
        p = SkipWhitespace(p + 1);
        if (*p == L'!' || *p == L'?') {
            const wchar_t marker = *p == L'!' ? L'-' : L'?';
            while (*p != L'\0' && !(p[0] == marker && p[1] == L'>')) ++p;
            if (*p != L'\0') p += 2;
            p = SkipWhitespace(p);
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
        wchar_t* nameEnd = p = SkipIdentifier(p);
        if (*p == L'\0') return Fail(L"Error parsing element name", p);
        p = ParseAttributes(p);
        if (p == nullptr) return false;
        p = SkipWhitespace(p);
        if (p[0] == L'/' && p[1] == L'>') {
            elements_[row].data = Offset(p);
            *p = L'\0';
            *nameEnd = L'\0';
            p = SkipWhitespace(p + 2);
            continue;
        }
        if (*p != L'>') return Fail(L"Expected start-tag closing", p);
        elements_[row].data = Offset(++p);
        wchar_t* contentEnd = nullptr;
        p = ParseData<L'<'>(p, contentEnd, preserveWhitespace_);
        const OpenLevel opened{row, 0, nameStart, nameEnd, contentEnd};
        if (*p == L'\0' && parent <= 1) {
            levels.push_back(opened);
            return acceptEnd();
        }
        if (*p != L'<') return Fail(L"Expected end-tag start", p);
        if (p[1] != L'/') {
            levels.push_back(opened);
            continue;
        }
        p = CloseElement(p, opened);
        if (p == nullptr) return false;
    }
}

}  // namespace UiLib
