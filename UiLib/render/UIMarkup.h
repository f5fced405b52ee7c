#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "UiLib/render/UIMarkupNode.h"

namespace UiLib {

// The skin's XML reader. It accepts the subset the skin files use (elements, double-quoted
// attributes, text, five entities; comments and declarations are skipped) and parses in place inside
// one UTF-16 copy of the document: names, values and text are terminated where they stand and the
// elements are rows of a flat table that holds offsets, so nothing else is allocated.
class CSkinMarkup {
public:
    struct ElementRecord {
        uint32_t start;   // offset of the element name
        uint32_t child;   // first child row, 0 if none
        uint32_t next;    // next sibling row, 0 if none
        uint32_t parent;  // parent row, 0 at the top level
        uint32_t data;    // offset of the text content
    };

    // Skin files larger than this are refused.
    static constexpr size_t kMaxFileSize = 4u * 1024 * 1024;
    static constexpr size_t kErrorMessageSize = 100;
    static constexpr size_t kErrorLocationSize = 50;

    CSkinMarkup();
    ~CSkinMarkup();
    CSkinMarkup(const CSkinMarkup&) = delete;
    CSkinMarkup& operator=(const CSkinMarkup&) = delete;

    // Each load releases the previous document first and leaves the document empty on failure.
    bool Load(const wchar_t* text);
    bool LoadFromMem(const uint8_t* bytes, size_t size);
    // A skin file found through the resource configuration (resource folder or skin archive).
    bool LoadFromFile(const wchar_t* fileName);
    // A module resource of the resource module, by number and type.
    bool LoadFromResource(UINT id, const wchar_t* type);
    void Release();

    bool IsValid() const { return elements_.size() > 1; }
    CSkinMarkupNode GetRoot();
    const wchar_t* GetLastErrorMessage() const { return errorMessage_; }
    const wchar_t* GetLastErrorLocation() const { return errorLocation_; }
    void SetPreserveWhitespace(bool preserve) { preserveWhitespace_ = preserve; }

private:
    friend class CSkinMarkupNode;
    struct OpenLevel;

    // `length` is the text's length in characters, for sizing the element table.
    bool Parse(size_t length);
    // These two return the position after what they read, or null after a failure.
    wchar_t* ParseAttributes(wchar_t* p);
    wchar_t* CloseElement(wchar_t* p, const OpenLevel& level);
    uint32_t ReserveElement();
    bool Fail(const wchar_t* message, const wchar_t* location);
    void SetError(const wchar_t* message);
    uint32_t Offset(const wchar_t* p) const { return static_cast<uint32_t>(p - text_.get()); }

    std::unique_ptr<wchar_t[]> text_;
    std::vector<ElementRecord> elements_;
    wchar_t errorMessage_[kErrorMessageSize];
    wchar_t errorLocation_[kErrorLocationSize];
    bool preserveWhitespace_ = true;
};

}  // namespace UiLib
