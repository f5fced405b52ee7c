#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "UiLib/render/UIMarkup.h"

namespace UiLib {

class CControlUI;
class CControlHost;
class IDialogBuilderCallback;

// Turns one skin layout into a tree of controls for one window: the window settings of the
// root element (size, caption band, fonts, images, default attribute lists, tray icon), then
// one control per element, its attributes applied in a fixed order.
class CDialogBuilder {
public:
    // Where a layout comes from: a module resource number (below 65536), the layout text itself
    // (it begins with "<"), or a skin file name.
    struct Layout {
        Layout(UINT resourceId) : id(resourceId) {}
        Layout(const wchar_t* textOrFile) : text(textOrFile ? textOrFile : L"") {}
        Layout(const std::wstring& textOrFile) : text(textOrFile) {}
        UINT id = 0;
        std::wstring text;
    };

    // Includes nested deeper than this, and elements nested deeper than kMaxDepth, are not built:
    // a layout that includes itself ends there instead of exhausting the stack.
    static constexpr int kMaxIncludeDepth = 8;
    static constexpr int kMaxDepth = 256;
    // An include repeats its layout at most this often.
    static constexpr long kMaxIncludeCount = 1000;

    CDialogBuilder();

    // Loads the layout; `resourceType` names the module resource type of a numbered layout.
    bool Load(const Layout& layout, const wchar_t* resourceType = nullptr);

    // Loads and builds a tree that belongs to the caller: the first control of the top level.
    std::unique_ptr<CControlUI> Create(const Layout& layout, const wchar_t* resourceType,
                                       IDialogBuilderCallback* callback, CControlHost* manager);
    // Loads and builds into `parent`, which owns what is built; returns the first control added.
    CControlUI* CreateInto(CControlUI* parent, const Layout& layout, const wchar_t* resourceType,
                           IDialogBuilderCallback* callback, CControlHost* manager);
    // The same from the document already loaded.
    std::unique_ptr<CControlUI> Create(IDialogBuilderCallback* callback, CControlHost* manager);
    CControlUI* CreateInto(CControlUI* parent, IDialogBuilderCallback* callback, CControlHost* manager);

    CSkinMarkup& GetMarkup() { return markup_; }
    const wchar_t* GetLastErrorMessage() const { return markup_.GetLastErrorMessage(); }
    const wchar_t* GetLastErrorLocation() const { return markup_.GetLastErrorLocation(); }

private:
    // What one level of parsing produces: the first control created, and with no parent, the
    // first top-level control itself.
    struct Level {
        CControlUI* parent = nullptr;
        std::unique_ptr<CControlUI>* detached = nullptr;
        int depth = 0;
    };

    CControlUI* Build(IDialogBuilderCallback* callback, CControlHost* manager, const Level& level);
    void ApplyResourceTags(CSkinMarkupNode root, CControlHost* manager);
    void ApplyWindowAttributes(CSkinMarkupNode root, CControlHost* manager);
    CControlUI* ParseChildren(CSkinMarkupNode node, CControlHost* manager, const Level& level);
    CControlUI* ParseInclude(CSkinMarkupNode node, CControlHost* manager, const Level& level);
    std::unique_ptr<CControlUI> CreateControl(const wchar_t* tag);
    void ApplyAttributes(CSkinMarkupNode node, CControlUI* control, CControlHost* manager);

    CSkinMarkup markup_;
    IDialogBuilderCallback* callback_ = nullptr;
    std::wstring resourceType_;
    int includeDepth_ = 0;
};

}  // namespace UiLib
