#include "UiLib/core/UIDlgBuilder.h"

#include <algorithm>
#include <cwchar>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/core/IDialogBuilderCallback.h"
#include "UiLib/render/SkinResources.h"
#include "UiLib/tree/ControlHost.h"
#include "UiLib/tree/ControlRegistry.h"
#include "UiLib/tree/IContainerUI.h"
#include "UiLib/tree/UIControl.h"

namespace UiLib {
namespace {

bool IsNamed(const wchar_t* name, const wchar_t* wanted) { return name && wcscmp(name, wanted) == 0; }

// Tags read by the window pass (or reserved for animation and style sets): never controls.
bool IsResourceTag(const wchar_t* tag) {
    for (const wchar_t* resource : {L"Image", L"Font", L"Default", L"EffectsStyles", L"Styles", L"ActionScript"})
        if (IsNamed(tag, resource)) return true;
    return false;
}

void AddImageTag(CSkinMarkupNode node, CControlHost* manager) {
    std::wstring name = node.GetAttributeValue(L"name");
    if (name.empty()) return;
    manager->GetResources().AddImage(name, node.GetAttributeValue(L"restype"),
                                     ParseColorValue(node.GetAttributeValue(L"mask")));
}

void AddFontTag(CSkinMarkupNode node, CControlHost* manager) {
    std::wstring face = node.GetAttributeValue(L"name");
    if (face.empty()) return;
    int size = node.HasAttribute(L"size") ? ParseIntValue(node.GetAttributeValue(L"size")) : 12;
    bool bold = ParseBoolValue(node.GetAttributeValue(L"bold"));
    bool underline = ParseBoolValue(node.GetAttributeValue(L"underline"));
    bool italic = ParseBoolValue(node.GetAttributeValue(L"italic"));
    manager->GetResources().AddFont(face, size, bold, underline, italic);
    if (ParseBoolValue(node.GetAttributeValue(L"default")))
        manager->GetResources().SetDefaultFont(face, size, bold, underline, italic);
}

void AddDefaultTag(CSkinMarkupNode node, CControlHost* manager) {
    std::wstring tag = node.GetAttributeValue(L"name");
    if (!tag.empty()) manager->GetResources().AddDefaultAttributeList(tag, node.GetAttributeValue(L"value"));
}

}  // namespace

CDialogBuilder::CDialogBuilder() { markup_.SetPreserveWhitespace(true); }

bool CDialogBuilder::Load(const Layout& layout, const wchar_t* resourceType) {
    resourceType_.clear();
    if (!layout.text.empty()) {
        if (layout.text[0] == L'<') return markup_.Load(layout.text.c_str());
        return markup_.LoadFromFile(layout.text.c_str());
    }
    if (layout.id == 0 || layout.id > 0xFFFF || !resourceType || !*resourceType) {
        markup_.Release();
        return false;
    }
    if (!markup_.LoadFromResource(layout.id, resourceType)) return false;
    resourceType_ = resourceType;
    return true;
}

std::unique_ptr<CControlUI> CDialogBuilder::Create(const Layout& layout, const wchar_t* resourceType,
                                                   IDialogBuilderCallback* callback, CControlHost* manager) {
    if (!Load(layout, resourceType)) return nullptr;
    return Create(callback, manager);
}

CControlUI* CDialogBuilder::CreateInto(CControlUI* parent, const Layout& layout, const wchar_t* resourceType,
                                       IDialogBuilderCallback* callback, CControlHost* manager) {
    if (!Load(layout, resourceType)) return nullptr;
    return CreateInto(parent, callback, manager);
}

std::unique_ptr<CControlUI> CDialogBuilder::Create(IDialogBuilderCallback* callback, CControlHost* manager) {
    std::unique_ptr<CControlUI> root;
    Build(callback, manager, Level{nullptr, &root, 0});
    return root;
}

CControlUI* CDialogBuilder::CreateInto(CControlUI* parent, IDialogBuilderCallback* callback,
                                       CControlHost* manager) {
    if (!parent) return nullptr;
    return Build(callback, manager, Level{parent, nullptr, 0});
}

CControlUI* CDialogBuilder::Build(IDialogBuilderCallback* callback, CControlHost* manager, const Level& level) {
    callback_ = callback;
    CSkinMarkupNode root = markup_.GetRoot();
    if (!root.IsValid()) return nullptr;
    if (manager) {
        ApplyResourceTags(root, manager);
        if (IsNamed(root.GetName(), L"Window") && manager->GetPaintWindow()) ApplyWindowAttributes(root, manager);
    }
    return ParseChildren(root, manager, level);
}

void CDialogBuilder::ApplyResourceTags(CSkinMarkupNode root, CControlHost* manager) {
    for (CSkinMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const wchar_t* tag = node.GetName();
        if (IsNamed(tag, L"Image")) AddImageTag(node, manager);
        else if (IsNamed(tag, L"Font")) AddFontTag(node, manager);
        else if (IsNamed(tag, L"Default")) AddDefaultTag(node, manager);
    }
}

void CDialogBuilder::ApplyWindowAttributes(CSkinMarkupNode root, CControlHost* manager) {
    int count = root.GetAttributeCount();
    for (int i = 0; i < count; ++i) manager->SetWindowAttribute(root.GetAttributeName(i), root.GetAttributeValue(i));
}

CControlUI* CDialogBuilder::ParseChildren(CSkinMarkupNode parentNode, CControlHost* manager, const Level& level) {
    if (level.depth > kMaxDepth) return nullptr;
    CControlUI* first = nullptr;
    for (CSkinMarkupNode node = parentNode.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const wchar_t* tag = node.GetName();
        if (IsResourceTag(tag)) continue;
        if (IsNamed(tag, L"Include")) {
            CControlUI* included = ParseInclude(node, manager, level);
            if (!first) first = included;
            continue;
        }
        std::unique_ptr<CControlUI> owned = CreateControl(tag);
        if (!owned) continue;
        CControlUI* control = owned.get();
        // Children are built before their parent joins the tree.
        if (node.HasChildren()) ParseChildren(node, manager, Level{control, nullptr, level.depth + 1});
        if (level.parent) {
            auto* container = static_cast<IContainerUI*>(level.parent->GetInterface(L"IContainer"));
            if (!container) return nullptr;
            if (!container->Add(std::move(owned))) continue;
        } else if (level.detached && !*level.detached) {
            *level.detached = std::move(owned);
        } else {
            // A second top-level control has no one to belong to.
            continue;
        }
        ApplyAttributes(node, control, manager);
        if (!first) first = control;
    }
    return first;
}

CControlUI* CDialogBuilder::ParseInclude(CSkinMarkupNode node, CControlHost* manager, const Level& level) {
    if (!node.HasAttributes()) return nullptr;
    long count = node.HasAttribute(L"count") ? ParseIntValue(node.GetAttributeValue(L"count")) : 1;
    std::wstring source = node.GetAttributeValue(L"source");
    if (source.empty() || count < 1 || includeDepth_ >= kMaxIncludeDepth) return nullptr;
    count = std::min(count, kMaxIncludeCount);
    CControlUI* first = nullptr;
    for (long i = 0; i < count; ++i) {
        CDialogBuilder included;
        included.includeDepth_ = includeDepth_ + 1;
        // A layout read from the module names the layouts it includes by resource number.
        bool loaded = resourceType_.empty()
                          ? included.markup_.LoadFromFile(source.c_str())
                          : included.Load(Layout(static_cast<UINT>(ParseIntValue(source.c_str()))),
                                          resourceType_.c_str());
        if (!loaded) break;
        CControlUI* built = included.Build(callback_, manager, level);
        if (!first) first = built;
    }
    return first;
}

std::unique_ptr<CControlUI> CDialogBuilder::CreateControl(const wchar_t* tag) {
    std::unique_ptr<CControlUI> control = CControlRegistry::Create(tag);
    if (!control && callback_) control = callback_->CreateControlForTag(tag);
    return control;
}

void CDialogBuilder::ApplyAttributes(CSkinMarkupNode node, CControlUI* control, CControlHost* manager) {
    // The control reaches the manager's fonts and images while its attributes are applied; the
    // manager it already had (none, unless the parent is part of a live tree) is restored after.
    CControlHost* attached = control->GetManager();
    if (manager) {
        control->SetManager(manager, control->GetParent(), false);
        std::wstring defaults = manager->GetResources().GetDefaultAttributeList(node.GetName());
        if (!defaults.empty()) control->ApplyAttributeList(defaults);
    }
    int count = node.GetAttributeCount();
    for (int i = 0; i < count; ++i) {
        std::wstring name = node.GetAttributeName(i);
        if (name != L"style") control->SetAttribute(name, node.GetAttributeValue(i));
    }
    if (manager) control->SetManager(attached, control->GetParent(), false);
}

}  // namespace UiLib
