#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace UiLib {

class CSkinMarkup;

// A handle to one element of a parsed CSkinMarkup, copied freely and valid only while the document
// lives. Attribute positions are found on first use and kept in the handle. Queries on an invalid
// handle give null, false or 0.
class CSkinMarkupNode {
public:
    // Attributes beyond this many in one start tag are parsed but not reachable.
    static constexpr int kMaxAttributes = 64;
    static constexpr size_t kAttributeBufferSize = 500;

    CSkinMarkupNode() = default;
    CSkinMarkupNode(CSkinMarkup* owner, uint32_t position);

    bool IsValid() const { return owner_ != nullptr; }
    CSkinMarkupNode GetParent() const;
    CSkinMarkupNode GetSibling() const;
    CSkinMarkupNode GetChild() const;
    // The first child of exactly this name.
    CSkinMarkupNode GetChild(const wchar_t* name) const;
    bool HasSiblings() const;
    bool HasChildren() const;

    const wchar_t* GetName() const;
    const wchar_t* GetValue() const;

    bool HasAttributes() const;
    bool HasAttribute(const wchar_t* name) const;
    int GetAttributeCount() const;
    // Empty for an index outside 0..count-1.
    const wchar_t* GetAttributeName(int index) const;
    const wchar_t* GetAttributeValue(int index) const;
    // The first attribute of exactly this name; empty if there is none.
    const wchar_t* GetAttributeValue(const wchar_t* name) const;
    // Copies at most capacity-1 characters of the first match, terminated; false if there is none.
    bool GetAttributeValue(const wchar_t* name, wchar_t* buffer, size_t capacity = kAttributeBufferSize) const;

private:
    void MapAttributes() const;
    int FindAttribute(const wchar_t* name) const;
    const wchar_t* Text(uint32_t offset) const;

    CSkinMarkup* owner_ = nullptr;
    uint32_t position_ = 0;
    mutable int attributeCount_ = 0;
    // (name offset, value offset) in document order.
    mutable std::array<std::pair<uint32_t, uint32_t>, kMaxAttributes> attributes_;
};

}  // namespace UiLib
