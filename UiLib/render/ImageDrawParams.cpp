#include "UiLib/render/ImageDrawParams.h"

#include <algorithm>
#include <cwchar>

#include "UiLib/Utils/AttributeValue.h"

namespace UiLib {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

void SkipBlanks(const std::wstring& text, size_t& pos) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
}

// Reads one key='value' pair at `pos`; false when the text does not fit that form.
bool ReadPair(const std::wstring& text, size_t& pos, std::wstring& key, std::wstring& value) {
    size_t keyStart = pos;
    while (pos < text.size() && text[pos] != L'=' && !IsBlank(text[pos]) && text[pos] != L'\'') ++pos;
    if (pos == keyStart) return false;
    key = text.substr(keyStart, pos - keyStart);
    SkipBlanks(text, pos);
    if (pos >= text.size() || text[pos] != L'=') return false;
    ++pos;
    SkipBlanks(text, pos);
    if (pos >= text.size() || text[pos] != L'\'') return false;
    size_t valueStart = ++pos;
    size_t close = text.find(L'\'', valueStart);
    if (close == std::wstring::npos) return false;
    value = text.substr(valueStart, close - valueStart);
    pos = close + 1;
    return true;
}

}  // namespace

CImageStringParser::CImageStringParser(const RECT& item, DrawPending drawPending, const CDpiScale& dpi)
    : item_(item), drawPending_(std::move(drawPending)), dpi_(dpi) {
    params_.dest = item;
}

void CImageStringParser::Parse(const std::wstring& text) {
    if (text.empty()) return;
    if (text.find(L'=') == std::wstring::npos) {
        Apply(L"file", text);
        return;
    }
    size_t pos = 0;
    std::wstring key, value;
    for (;;) {
        SkipBlanks(text, pos);
        if (pos >= text.size() || !ReadPair(text, pos, key, value)) return;
        if (!value.empty()) Apply(key, value);
    }
}

void CImageStringParser::Apply(const std::wstring& key, const std::wstring& value) {
    const wchar_t* v = value.c_str();
    if (key == L"file" || key == L"res") {
        if (imageCount_ > 0 && drawPending_) drawPending_(params_);
        params_.name = value;
        if (key == L"file") ++imageCount_;
    } else if (key == L"restype") {
        if (imageCount_ > 0 && drawPending_) drawPending_(params_);
        params_.resourceType = value;
    } else if (key == L"dest") {
        RECT d = dpi_.Scale(ParseRectValue(v));
        params_.dest = RECT{item_.left + d.left, item_.top + d.top, std::min(item_.left + d.right, item_.right),
                            std::min(item_.top + d.bottom, item_.bottom)};
    } else if (key == L"source") {
        params_.source = ParseRectValue(v);
    } else if (key == L"corner") {
        params_.corners = ParseRectValue(v);
    } else if (key == L"mask") {
        params_.mask = ParseColorValue(v);
    } else if (key == L"fade") {
        params_.fade = static_cast<BYTE>(std::clamp<long>(ParseIntValue(v), 0, 255));
    } else if (key == L"hole") {
        params_.hole = ParseBoolValue(v);
    } else if (key == L"xtiled") {
        params_.xTiled = ParseBoolValue(v);
    } else if (key == L"ytiled") {
        params_.yTiled = ParseBoolValue(v);
    }
}

}  // namespace UiLib
