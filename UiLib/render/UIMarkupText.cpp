// Markup text of CSkinRenderer: plain text interleaved with brace (or angle) tags.
#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "UiLib/render/ImageDrawParams.h"
#include "UiLib/render/RenderClip.h"
#include "UiLib/render/SkinResources.h"
#include "UiLib/render/UIRender.h"

namespace UiLib {
namespace {

constexpr wchar_t kTagLetters[] = L"abcfinprsuxy";

// One piece of a laid-out line: a run of text in one style, or an inline image.
struct Piece {
    std::wstring text;
    HFONT font = nullptr;
    UiColor color = 0;
    int link = -1;
    bool selected = false;
    const TImageInfo* image = nullptr;
    RECT imageSource{};
    int x = 0;
    int width = 0;
    int height = 0;
    int ascent = 0;
    int top = 0;  // set when the lines are aligned
};

struct Line {
    std::vector<Piece> pieces;
    int indent = 0;
    int width = 0;
    int height = 0;
    int ascent = 0;
};

// A tag found at some position of the text.
struct Tag {
    wchar_t letter = 0;
    bool closing = false;
    std::wstring argument;
    size_t end = 0;  // position just after the tag
};

bool IsOpen(wchar_t c) { return c == L'<' || c == L'{'; }
bool IsClose(wchar_t c) { return c == L'>' || c == L'}'; }

// Reads a tag at `pos`; false when the text there is literal.
bool ReadTag(const std::wstring& text, size_t pos, Tag& tag) {
    if (pos + 2 >= text.size() || !IsOpen(text[pos])) return false;
    size_t at = pos + 1;
    tag.closing = text[at] == L'/';
    if (tag.closing) ++at;
    if (at + 1 >= text.size() || !wcschr(kTagLetters, text[at]) || text[at] == 0) return false;
    tag.letter = text[at];
    wchar_t after = text[at + 1];
    if (tag.closing ? !IsClose(after) : (after != L' ' && !IsClose(after))) return false;
    size_t close = at + 1;
    while (close < text.size() && !IsClose(text[close])) ++close;
    if (close >= text.size()) return false;
    tag.argument = tag.closing ? std::wstring() : text.substr(at + 1, close - at - 1);
    size_t first = tag.argument.find_first_not_of(L' ');
    tag.argument = first == std::wstring::npos ? std::wstring() : tag.argument.substr(first);
    tag.end = close + 1;
    return true;
}

// Lays out and draws one markup text.
class MarkupText {
public:
    MarkupText(HDC dc, CSkinResources& resources, const RECT& rect, UiColor color, UINT style)
        : dc_(dc), resources_(resources), rect_(rect), style_(style), singleLine_((style & DT_SINGLELINE) != 0) {
        fonts_.push_back(resources.GetDefaultFontInfo().font.Get());
        colors_.push_back(color);
        indents_.push_back(0);
        lines_.emplace_back();
    }

    void Parse(const std::wstring& text);
    void Finish(RECT& rect, RECT* linkRects, std::wstring* linkTargets, int& linkCount, POINT mouse);

private:
    const TFontInfo& CurrentFontInfo() { return resources_.GetFontInfo(fonts_.back()); }
    void ApplyTag(const Tag& tag, const std::wstring& text, size_t& pos);
    void PushStyledFont(bool bold, bool italic, bool underline);
    void PushFont(const std::wstring& argument);
    void AddImage(const std::wstring& argument);
    void AddText(const std::wstring& text);
    void AddWord(std::wstring word);
    void PlacePiece(Piece piece);
    // Shortens the end of the current line until `tail` fits after it.
    void TrimLineFor(const std::wstring& tail);
    void NewLine();
    int LineRoom() const { return rect_.right - rect_.left - lines_.back().indent; }
    void Draw(const std::vector<RECT>& linkRects, POINT mouse);

    HDC dc_;
    CSkinResources& resources_;
    RECT rect_;
    UINT style_;
    bool singleLine_;
    bool cut_ = false;
    bool selected_ = false;
    int link_ = -1;
    int forcedLineHeight_ = 0;
    int pendingMove_ = 0;
    std::vector<HFONT> fonts_;
    std::vector<UiColor> colors_;
    std::vector<int> indents_;
    std::vector<std::wstring> linkTargets_;
    std::vector<Line> lines_;
};

void MarkupText::Parse(const std::wstring& text) {
    std::wstring literal;
    size_t pos = 0;
    while (pos < text.size()) {
        Tag tag;
        if (!ReadTag(text, pos, tag)) {
            literal += text[pos++];
            continue;
        }
        AddText(literal);
        literal.clear();
        pos = tag.end;
        ApplyTag(tag, text, pos);
    }
    AddText(literal);
}

void MarkupText::ApplyTag(const Tag& tag, const std::wstring& text, size_t& pos) {
    auto pop = [](auto& stack) {
        if (stack.size() > 1) stack.pop_back();
    };
    if (tag.closing) {
        switch (tag.letter) {
        case L'b': case L'f': case L'i': case L'u': pop(fonts_); break;
        case L'c': pop(colors_); break;
        case L'p': pop(indents_); NewLine(); break;
        case L's': selected_ = false; break;
        case L'a': link_ = -1; break;
        default: break;
        }
        return;
    }
    switch (tag.letter) {
    case L'a':
        link_ = static_cast<int>(linkTargets_.size());
        linkTargets_.push_back(tag.argument);
        break;
    case L'b': PushStyledFont(true, false, false); break;
    case L'u': PushStyledFont(false, false, true); break;
    case L'c': {
        const wchar_t* digits = tag.argument.c_str();
        if (*digits == L'#') ++digits;
        colors_.push_back(0xFF000000 | (wcstoul(digits, nullptr, 16) & 0xFFFFFF));
        break;
    }
    case L'f': PushFont(tag.argument); break;
    case L'i':
        if (tag.argument.empty()) PushStyledFont(false, true, false);
        else AddImage(tag.argument);
        break;
    case L'n':
        if (!singleLine_) NewLine();
        break;
    case L'p':
        if (!singleLine_) NewLine();
        indents_.push_back(static_cast<int>(wcstol(tag.argument.c_str(), nullptr, 10)));
        lines_.back().indent = indents_.back();
        break;
    case L'r': {
        size_t end = pos;
        Tag closing;
        while (end < text.size() && !(ReadTag(text, end, closing) && closing.closing && closing.letter == L'r')) ++end;
        AddText(text.substr(pos, end - pos));
        pos = end < text.size() ? closing.end : end;
        break;
    }
    case L's': selected_ = !selected_; break;
    case L'x': pendingMove_ += static_cast<int>(wcstol(tag.argument.c_str(), nullptr, 10)); break;
    case L'y': forcedLineHeight_ = static_cast<int>(wcstol(tag.argument.c_str(), nullptr, 10)); break;
    default: break;
    }
}

void MarkupText::PushStyledFont(bool bold, bool italic, bool underline) {
    const TFontInfo& info = CurrentFontInfo();
    bold = bold || info.bold;
    italic = italic || info.italic;
    underline = underline || info.underline;
    HFONT font = resources_.FindFont(info.faceName, info.size, bold, underline, italic);
    if (!font) font = resources_.AddFont(info.faceName, info.size, bold, underline, italic);
    fonts_.push_back(font ? font : fonts_.back());
}

void MarkupText::PushFont(const std::wstring& argument) {
    if (!argument.empty() && std::iswdigit(argument[0])) {
        fonts_.push_back(resources_.GetFont(static_cast<int>(wcstol(argument.c_str(), nullptr, 10))));
        return;
    }
    // face size [bold] [underline] [italic]
    size_t space = argument.find(L' ');
    std::wstring face = argument.substr(0, space);
    std::wstring rest = space == std::wstring::npos ? std::wstring() : argument.substr(space + 1);
    int size = static_cast<int>(wcstol(rest.c_str(), nullptr, 10));
    bool bold = rest.find(L"bold") != std::wstring::npos;
    bool underline = rest.find(L"underline") != std::wstring::npos;
    bool italic = rest.find(L"italic") != std::wstring::npos;
    if (face.empty() || size <= 0) {
        fonts_.push_back(fonts_.back());
        return;
    }
    HFONT font = resources_.FindFont(face, size, bold, underline, italic);
    if (!font) font = resources_.AddFont(face, size, bold, underline, italic);
    fonts_.push_back(font ? font : fonts_.back());
}

void MarkupText::AddImage(const std::wstring& argument) {
    Piece piece;
    std::wstring name = argument;
    int count = 1;
    int index = 0;
    if (argument.find(L"file='") != std::wstring::npos || argument.find(L"res='") != std::wstring::npos) {
        CImageStringParser parser(RECT{}, nullptr);
        parser.Parse(argument);
        name = parser.Params().name;
    } else {
        size_t space = argument.find(L' ');
        name = argument.substr(0, space);
        if (space != std::wstring::npos) {
            wchar_t* end = nullptr;
            count = std::max(1, static_cast<int>(wcstol(argument.c_str() + space + 1, &end, 10)));
            index = std::clamp(static_cast<int>(wcstol(end, nullptr, 10)), 0, count - 1);
        }
    }
    piece.image = resources_.GetImageEx(name);
    if (!piece.image) return;
    int partWidth = piece.image->width / count;
    piece.imageSource = RECT{partWidth * index, 0, partWidth * (index + 1), piece.image->height};
    piece.width = partWidth;
    piece.height = piece.image->height;
    piece.ascent = piece.height;
    piece.link = link_;
    PlacePiece(std::move(piece));
}

void MarkupText::AddText(const std::wstring& text) {
    // Words keep their trailing blanks, so that lines break between words.
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != L' ' && text[end] != L'\n') ++end;
        while (end < text.size() && text[end] == L' ') ++end;
        if (end < text.size() && text[end] == L'\n') {
            AddWord(text.substr(start, end - start));
            if (!singleLine_) NewLine();
            start = end + 1;
            continue;
        }
        if (end == start) ++end;
        AddWord(text.substr(start, end - start));
        start = end;
    }
}

void MarkupText::AddWord(std::wstring word) {
    if (word.empty() || cut_) return;
    Piece piece;
    piece.font = fonts_.back();
    piece.color = colors_.back();
    piece.link = link_;
    piece.selected = selected_;
    const TFontInfo& info = CurrentFontInfo();
    piece.height = info.tm.tmHeight;
    piece.ascent = info.tm.tmAscent;
    CSelectObject select(dc_, piece.font);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc_, word.c_str(), static_cast<int>(word.size()), &extent);
    Line& line = lines_.back();
    bool fits = line.width + pendingMove_ + extent.cx <= LineRoom();
    if (!fits && !singleLine_ && line.width > 0) {
        NewLine();
        AddWord(std::move(word));
        return;
    }
    if (!fits && (singleLine_ || (style_ & DT_END_ELLIPSIS))) {
        // Cut the word so that it and the ellipsis fit, and stop there.
        std::wstring ellipsis = (style_ & DT_END_ELLIPSIS) ? L"..." : L"";
        while (!word.empty()) {
            std::wstring shown = word + ellipsis;
            ::GetTextExtentPoint32W(dc_, shown.c_str(), static_cast<int>(shown.size()), &extent);
            if (line.width + pendingMove_ + extent.cx <= LineRoom()) break;
            word.pop_back();
        }
        if (word.empty()) TrimLineFor(ellipsis);
        word += ellipsis;
        ::GetTextExtentPoint32W(dc_, word.c_str(), static_cast<int>(word.size()), &extent);
        cut_ = true;
    } else if (!fits) {
        // A word longer than the whole line is broken between characters.
        size_t keep = word.size();
        while (keep > 1) {
            ::GetTextExtentPoint32W(dc_, word.c_str(), static_cast<int>(keep), &extent);
            if (extent.cx <= LineRoom()) break;
            --keep;
        }
        if (keep < word.size()) {
            std::wstring rest = word.substr(keep);
            word.resize(keep);
            ::GetTextExtentPoint32W(dc_, word.c_str(), static_cast<int>(word.size()), &extent);
            piece.text = word;
            piece.width = extent.cx;
            PlacePiece(piece);
            NewLine();
            AddWord(rest);
            return;
        }
    }
    piece.text = std::move(word);
    piece.width = extent.cx;
    PlacePiece(std::move(piece));
}

void MarkupText::TrimLineFor(const std::wstring& tail) {
    Line& line = lines_.back();
    SIZE tailExtent{};
    ::GetTextExtentPoint32W(dc_, tail.c_str(), static_cast<int>(tail.size()), &tailExtent);
    while (!line.pieces.empty() && line.width + tailExtent.cx > LineRoom()) {
        Piece& last = line.pieces.back();
        if (last.image || last.text.size() <= 1) {
            line.pieces.pop_back();
        } else {
            last.text.pop_back();
            CSelectObject select(dc_, last.font);
            SIZE extent{};
            ::GetTextExtentPoint32W(dc_, last.text.c_str(), static_cast<int>(last.text.size()), &extent);
            last.width = extent.cx;
        }
        line.width = line.pieces.empty() ? 0 : line.pieces.back().x + line.pieces.back().width;
    }
}

void MarkupText::PlacePiece(Piece piece) {
    Line& line = lines_.back();
    piece.x = line.width + pendingMove_;
    line.width = piece.x + piece.width;
    pendingMove_ = 0;
    line.ascent = std::max(line.ascent, piece.ascent);
    line.height = std::max(line.height, piece.height);
    line.pieces.push_back(std::move(piece));
}

void MarkupText::NewLine() {
    Line& line = lines_.back();
    if (line.height == 0) line.height = CurrentFontInfo().tm.tmHeight;
    if (forcedLineHeight_ > 0) line.height = forcedLineHeight_;
    lines_.emplace_back();
    lines_.back().indent = indents_.back();
    pendingMove_ = 0;
}

void MarkupText::Finish(RECT& rect, RECT* linkRects, std::wstring* linkTargets, int& linkCount, POINT mouse) {
    Line& last = lines_.back();
    if (last.pieces.empty() && lines_.size() > 1) lines_.pop_back();
    else if (last.height == 0) last.height = CurrentFontInfo().tm.tmHeight;
    if (forcedLineHeight_ > 0) lines_.back().height = forcedLineHeight_;

    int totalHeight = 0;
    int widest = 0;
    for (const Line& line : lines_) {
        totalHeight += line.height;
        widest = std::max(widest, line.indent + line.width);
    }
    if (style_ & DT_CALCRECT) {
        rect.right = rect.left + widest;
        rect.bottom = rect.top + totalHeight;
        linkCount = 0;
        return;
    }

    // Align the lines and turn piece positions into client coordinates.
    int top = rect_.top;
    if (style_ & DT_VCENTER) top += (rect_.bottom - rect_.top - totalHeight) / 2;
    else if (style_ & DT_BOTTOM) top = rect_.bottom - totalHeight;
    std::vector<RECT> pieceLinks;
    int recorded = 0;
    for (Line& line : lines_) {
        int left = rect_.left + line.indent;
        int room = rect_.right - rect_.left - line.indent;
        if (style_ & DT_CENTER) left += (room - line.width) / 2;
        else if (style_ & DT_RIGHT) left += room - line.width;
        for (Piece& piece : line.pieces) {
            piece.x += left;
            piece.top = top + line.ascent - piece.ascent;
            if (piece.link >= 0 && recorded < linkCount) {
                linkRects[recorded] = RECT{piece.x, piece.top, piece.x + piece.width, piece.top + piece.height};
                linkTargets[recorded] = linkTargets_[piece.link];
                ++recorded;
            }
        }
        top += line.height;
    }
    linkCount = recorded;
    Draw(std::vector<RECT>(linkRects, linkRects + recorded), mouse);
}

void MarkupText::Draw(const std::vector<RECT>& linkRects, POINT mouse) {
        bool hotLink = std::any_of(linkRects.begin(), linkRects.end(),
                               [&](const RECT& r) { return ::PtInRect(&r, mouse) != FALSE; });
    int oldMode = ::SetBkMode(dc_, TRANSPARENT);
    CRenderClip clip(dc_, rect_);
    for (const Line& line : lines_) {
        for (const Piece& piece : line.pieces) {
            RECT box{piece.x, piece.top, piece.x + piece.width, piece.top + piece.height};
            if (piece.image) {
                CSkinRenderer::DrawImage(dc_, piece.image->hBitmap, box, rect_, piece.imageSource, RECT{},
                                         piece.image->alpha);
                continue;
            }
            if (piece.selected) CSkinRenderer::DrawColor(dc_, box, resources_.GetDefaultSelectedBkColor());
            UiColor color = piece.color;
            HFONT font = piece.font;
            if (piece.link >= 0) {
                color = hotLink ? resources_.GetDefaultLinkHoverFontColor() : resources_.GetDefaultLinkFontColor();
                const TFontInfo& info = resources_.GetFontInfo(font);
                HFONT underlined = resources_.FindFont(info.faceName, info.size, info.bold, true, info.italic);
                if (!underlined)
                    underlined = resources_.AddFont(info.faceName, info.size, info.bold, true, info.italic);
                if (underlined) font = underlined;
            }
            ::SetTextColor(dc_, ToColorRef(color));
            CSelectObject select(dc_, font);
            ::TextOutW(dc_, box.left, box.top, piece.text.c_str(), static_cast<int>(piece.text.size()));
        }
    }
    ::SetBkMode(dc_, oldMode);
}

}  // namespace

void CSkinRenderer::DrawMarkupText(HDC dc, CSkinResources* resources, RECT& rect, const std::wstring& text,
                                   UiColor color, RECT* linkRects, std::wstring* linkTargets, int& linkCount,
                                   UINT style, POINT mouse) {
    if (text.empty() || !resources || ::IsRectEmpty(&rect)) {
        linkCount = 0;
        return;
    }
    if (!linkRects || !linkTargets) linkCount = 0;
    MarkupText markup(dc, *resources, rect, color, style);
    markup.Parse(text);
    markup.Finish(rect, linkRects, linkTargets, linkCount, mouse);
}

}  // namespace UiLib
