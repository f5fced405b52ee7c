#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "UiLib/controls/menu/ObserverImpl.h"
#include "UiLib/controls/menu/ReceiverImpl.h"
#include "UiLib/core/WindowImplBase.h"

namespace UiLib {

class CMenuElementUI;
class CMenuUI;

// What one menu window asks the others to do.
struct ContextMenuParam {
    // Close every menu.
    static constexpr int32_t kCloseAll = 1;
    // Close the menus that have `window` among their ancestors (the sub-menus opened from it).
    static constexpr int32_t kCloseSubMenusOf = 2;

    int32_t action;
    HWND window;
};

using MenuObserver = ObserverImpl<BOOL, ContextMenuParam>;

// Every open menu of the process, the root first, then its sub-menus in the order they opened.
extern MenuObserver s_menuObserver;

// A pop-up menu: a top-most tool window built from a menu layout (or, for a sub-menu, from the
// sub-entries of the entry that opened it). It opens at a point and stays on the screen, closes
// with the other menus, on Escape and when the focus goes to a window that is not a menu, and
// hands a clicked entry's name to `OnItemClick` of the first menu of the chain.
class CMenuWnd : public WindowImplBase, public ReceiverImpl<BOOL, ContextMenuParam> {
public:
    // Posted to the root menu with a clicked entry's name (a heap string) as first parameter.
    static constexpr UINT kItemClickMessage = WM_USER + 115;
    // Alignment flags: the right edge, or the bottom edge, lies at the base point.
    static constexpr DWORD kAlignRight = 0x08;
    static constexpr DWORD kAlignBottom = 0x10;
    // What the program's menus and the sub-menus pass: the top-left corner at the base point.
    static constexpr DWORD kDefaultAlignment = 6;

    // `parent` is the parent of a root menu's window. The object deletes itself once its window
    // is gone: create it with new.
    explicit CMenuWnd(HWND parent);

    // Opens the menu: a root menu (no owner entry) from the layout `source` at the screen point,
    // a sub-menu beside its owner entry.
    void Init(CMenuElementUI* owner, const std::wstring& source, const wchar_t* type, DWORD alignment, POINT point);

    BOOL Receive(ContextMenuParam param) override;
    void Notify(UiNotify& msg) override;

    // The name of a clicked entry anywhere in the chain; called on the root menu.
    virtual void OnItemClick(const std::wstring& name);
    // The menu's layout is attached and laid out for the first time.
    virtual void OnMenuInit();

protected:
    ~CMenuWnd() override;

    const wchar_t* GetWindowClassName() const override;
    std::wstring GetSkinFolder() override;
    std::wstring GetSkinFile() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND window) override;

private:
    LRESULT CreateRootMenu();
    LRESULT CreateSubMenu();
    // The rectangle of a sub-menu of that size beside its owner entry.
    RECT PlaceSubMenu(SIZE size, const RECT& work) const;
    // Whether the window belongs to one of the open menus.
    static bool IsMenuWindow(HWND window);
    void PostItemClick(const std::wstring& name);
    void TakeItemClick(WPARAM wParam);

    HWND parent_;
    POINT base_{};
    std::wstring source_;
    std::wstring type_;
    CMenuElementUI* owner_ = nullptr;
    CMenuUI* layout_ = nullptr;
    DWORD alignment_ = 0;
    bool buildFailed_ = false;
};

}  // namespace UiLib
