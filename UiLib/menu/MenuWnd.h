#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "UiLib/Utils/Signal.h"
#include "UiLib/core/SkinnedWindow.h"
#include "UiLib/menu/MenuBuilderCallback.h"
#include "UiLib/menu/MenuChain.h"
#include "UiLib/tree/UINotify.h"

namespace UiLib {

class CMenuElementUI;
class CMenuUI;

// A pop-up menu: a top-most tool window built from a menu layout (or, for a sub-menu, from the
// sub-entries of the entry that opened it). It opens at a point and stays on the screen, closes
// with the other menus of its chain, on Escape and when the focus goes to a window that is not one
// of them, and hands a clicked entry's name to `OnItemClick` of the chain's root menu. Open it
// through CWindowWnd::CreateOwned with Init, so that its window owns it:
//     CWindowWnd::CreateOwned(std::make_unique<CMyMenu>(parent),
//                             [&](CMyMenu& menu) { return menu.Init(nullptr, layout, type, alignment, point); });
class CMenuWnd : public CSkinnedWindow, public INotifyUI {
public:
    // Alignment flags: the right edge, or the bottom edge, lies at the base point.
    static constexpr DWORD kAlignRight = 0x08;
    static constexpr DWORD kAlignBottom = 0x10;
    // What the program's menus and the sub-menus pass: the top-left corner at the base point.
    static constexpr DWORD kDefaultAlignment = 6;

    // A root menu, whose window's parent is `parent`; it starts a chain of its own.
    explicit CMenuWnd(HWND parent);
    // A sub-menu in the chain of the menu it opens from.
    explicit CMenuWnd(std::shared_ptr<CMenuChain> chain);
    ~CMenuWnd() override;

    // Opens the menu: a root menu (no owner entry) from the layout `source` at the screen point,
    // a sub-menu beside its owner entry. The result is the menu's window, null when it could not
    // be created.
    HWND Init(CMenuElementUI* owner, const std::wstring& source, const wchar_t* type, DWORD alignment, POINT point);

    const CMenuChain& GetChain() const { return *chain_; }

    void Notify(UiNotify& msg) override;

    // The name of a clicked entry anywhere in the chain; called on the root menu.
    virtual void OnItemClick(const std::wstring& name);
    // The same, for whoever opened the root menu: called just before OnItemClick.
    [[nodiscard]] CSubscription OnItemClicked(std::function<void(const std::wstring& name)> handler) {
        return itemClicked_.Connect(std::move(handler));
    }
    // The menu's layout is attached and laid out for the first time.
    virtual void OnMenuInit();

protected:
    const wchar_t* GetWindowClassName() const override;
    LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    std::unique_ptr<CControlUI> BuildLayout() override;
    void InitWindow() override;
    void OnFinalMessage(HWND window) override;

private:
    static SkinnedWindowOptions MenuOptions(CMenuWnd& menu);
    std::unique_ptr<CControlUI> BuildSubMenuLayout();
    void PlaceRootMenu();
    void PlaceSubMenu();
    // The rectangle of a sub-menu of that size beside its owner entry.
    RECT SubMenuRect(SIZE size, const RECT& work) const;
    void PostItemClick(const std::wstring& name);

    HWND parent_ = nullptr;
    // The window the menu opened from, told when the menu goes as it was told when it came.
    HWND openedFrom_ = nullptr;
    std::shared_ptr<CMenuChain> chain_;
    // Builds the menu tags of a root menu's layout.
    CMenuBuilderCallback builderCallback_;
    POINT base_{};
    std::wstring source_;
    std::wstring type_;
    CMenuElementUI* owner_ = nullptr;
    CMenuUI* layout_ = nullptr;
    DWORD alignment_ = 0;
    CSignal<const std::wstring&> itemClicked_;
};

}  // namespace UiLib
