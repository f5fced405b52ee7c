#pragma once
#include <windows.h>

#include <string>

#include "UiLib/Utils/UiColor.h"
#include "UiLib/tree/UIEvent.h"

namespace UiLib {

class CContainerUI;
class CControlUI;
class CListHeaderUI;

// A list remembers the rectangles of at most this many header columns.
constexpr int kListMaxColumns = 32;

// The look shared by every item of one list: fonts, colours and images by item state, and the
// header's column rectangles that text items align to.
struct ListItemStyle {
    int columns = 0;
    RECT column[kListMaxColumns]{};
    int font = -1;
    UINT textStyle = DT_VCENTER;
    RECT textPadding{};
    UiColor textColor = 0xFF000000;
    UiColor bkColor = 0;
    std::wstring bkImage;
    bool alternateBk = false;
    UiColor selectedTextColor = 0xFF000000;
    UiColor selectedBkColor = 0xFFC1E3FF;
    std::wstring selectedImage;
    UiColor hotTextColor = 0xFF000000;
    UiColor hotBkColor = 0xFFE9F5FF;
    std::wstring hotImage;
    UiColor disabledTextColor = 0xFFCCCCCC;
    UiColor disabledBkColor = 0;
    std::wstring disabledImage;
    UiColor lineColor = 0;
    bool showHtml = false;
    bool multiExpand = false;
    bool showVLine = false;
    bool showHLine = false;
    SIZE checkImageSize{};
    SIZE iconImageSize{};
};

// What an item needs of the list it belongs to.
class IListOwnerUI {
public:
    virtual ListItemStyle* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    // Selects the item at `index`; false when it cannot be selected (a negative index clears).
    virtual bool SelectItem(int index, bool takeFocus = false) = 0;
    // Events the items do not handle themselves.
    virtual void DoEvent(UiEvent& event) = 0;

protected:
    ~IListOwnerUI() = default;
};

// The list itself: its header and the body that holds the items.
class IListUI : public IListOwnerUI {
public:
    virtual CListHeaderUI* GetHeader() const = 0;
    virtual CContainerUI* GetList() const = 0;

protected:
    ~IListUI() = default;
};

// One entry of a list.
class IListItemUI {
public:
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* GetOwner() const = 0;
    virtual void SetOwner(CControlUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool select = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool expand = true) = 0;
    virtual void DrawItemText(HDC dc, const RECT& item) = 0;

protected:
    ~IListItemUI() = default;
};

}  // namespace UiLib
