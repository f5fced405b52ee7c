#include "UiLib/render/UIMarkupNode.h"

#include <cwchar>

#include "UiLib/render/UIMarkup.h"

namespace UiLib {
namespace {

bool IsWhitespace(wchar_t c) { return c >= 1 && c <= 32; }

}  // namespace

CSkinMarkupNode::CSkinMarkupNode(CSkinMarkup* owner, uint32_t position) : owner_(owner), position_(position) {}

const wchar_t* CSkinMarkupNode::Text(uint32_t offset) const { return owner_->text_.get() + offset; }

CSkinMarkupNode CSkinMarkupNode::GetParent() const {
    if (owner_ == nullptr) return {};
    const uint32_t row = owner_->elements_[position_].parent;
    return row == 0 ? CSkinMarkupNode() : CSkinMarkupNode(owner_, row);
}

CSkinMarkupNode CSkinMarkupNode::GetSibling() const {
    if (owner_ == nullptr) return {};
    const uint32_t row = owner_->elements_[position_].next;
    return row == 0 ? CSkinMarkupNode() : CSkinMarkupNode(owner_, row);
}

CSkinMarkupNode CSkinMarkupNode::GetChild() const {
    if (owner_ == nullptr) return {};
    const uint32_t row = owner_->elements_[position_].child;
    return row == 0 ? CSkinMarkupNode() : CSkinMarkupNode(owner_, row);
}

CSkinMarkupNode CSkinMarkupNode::GetChild(const wchar_t* name) const {
    if (owner_ == nullptr || name == nullptr) return {};
    for (uint32_t row = owner_->elements_[position_].child; row != 0; row = owner_->elements_[row].next) {
        if (std::wcscmp(Text(owner_->elements_[row].start), name) == 0) return CSkinMarkupNode(owner_, row);
    }
    return {};
}

bool CSkinMarkupNode::HasSiblings() const { return owner_ != nullptr && owner_->elements_[position_].next != 0; }

bool CSkinMarkupNode::HasChildren() const { return owner_ != nullptr && owner_->elements_[position_].child != 0; }

const wchar_t* CSkinMarkupNode::GetName() const {
    return owner_ == nullptr ? nullptr : Text(owner_->elements_[position_].start);
}

const wchar_t* CSkinMarkupNode::GetValue() const {
    return owner_ == nullptr ? nullptr : Text(owner_->elements_[position_].data);
}

// Walks the start tag between the name's terminator and the element's data: each attribute is a
// name, its terminator, optional blanks, a quote and the terminated value.
void CSkinMarkupNode::MapAttributes() const {
    attributeCount_ = 0;
    const CSkinMarkup::ElementRecord& element = owner_->elements_[position_];
    const wchar_t* text = owner_->text_.get();
    const wchar_t* end = text + element.data;
    const wchar_t* p = text + element.start;
    auto stepOverString = [&p, end]() {
        while (p < end && *p != L'\0') ++p;
        ++p;
    };
    stepOverString();
    while (p < end) {
        while (p < end && IsWhitespace(*p)) ++p;
        if (p >= end) return;
        const uint32_t name = static_cast<uint32_t>(p - text);
        stepOverString();
        while (p < end && IsWhitespace(*p)) ++p;
        if (p >= end || *p != L'"') return;
        ++p;
        attributes_[attributeCount_++] = {name, static_cast<uint32_t>(p - text)};
        if (attributeCount_ >= kMaxAttributes) return;
        stepOverString();
    }
}

int CSkinMarkupNode::GetAttributeCount() const {
    if (owner_ == nullptr) return 0;
    if (attributeCount_ == 0) MapAttributes();
    return attributeCount_;
}

bool CSkinMarkupNode::HasAttributes() const { return GetAttributeCount() > 0; }

int CSkinMarkupNode::FindAttribute(const wchar_t* name) const {
    if (name == nullptr) return -1;
    const int count = GetAttributeCount();
    for (int i = 0; i < count; ++i) {
        if (std::wcscmp(Text(attributes_[i].first), name) == 0) return i;
    }
    return -1;
}

bool CSkinMarkupNode::HasAttribute(const wchar_t* name) const { return FindAttribute(name) >= 0; }

const wchar_t* CSkinMarkupNode::GetAttributeName(int index) const {
    if (owner_ == nullptr) return nullptr;
    if (index < 0 || index >= GetAttributeCount()) return L"";
    return Text(attributes_[index].first);
}

const wchar_t* CSkinMarkupNode::GetAttributeValue(int index) const {
    if (owner_ == nullptr) return nullptr;
    if (index < 0 || index >= GetAttributeCount()) return L"";
    return Text(attributes_[index].second);
}

const wchar_t* CSkinMarkupNode::GetAttributeValue(const wchar_t* name) const {
    if (owner_ == nullptr) return nullptr;
    const int index = FindAttribute(name);
    return index < 0 ? L"" : Text(attributes_[index].second);
}

bool CSkinMarkupNode::GetAttributeValue(const wchar_t* name, wchar_t* buffer, size_t capacity) const {
    if (owner_ == nullptr || buffer == nullptr || capacity == 0) return false;
    const int index = FindAttribute(name);
    if (index < 0) return false;
    const wchar_t* value = Text(attributes_[index].second);
    size_t i = 0;
    for (; i + 1 < capacity && value[i] != L'\0'; ++i) buffer[i] = value[i];
    buffer[i] = L'\0';
    return true;
}

}  // namespace UiLib
