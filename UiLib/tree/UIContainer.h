#pragma once
#include <memory>

#include "UiLib/Utils/PtrArray.h"
#include "UiLib/tree/IContainerUI.h"
#include "UiLib/tree/UIControl.h"
#include "UiLib/tree/UIScrollBar.h"

namespace UiLib {

// A control with an ordered list of children that it owns, positions, paints clipped to its
// inner area, hit-tests and scrolls with its own scroll bars.
class CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    const wchar_t* GetClass() const override;
    // A layout holding page tabs, list items or menu items is their tab list, list or menu.
    DWORD GetAccessibleRole() const override;
    void* GetInterface(const std::wstring& name) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(std::unique_ptr<CControlUI> control) override;
    bool AddAt(std::unique_ptr<CControlUI> control, int index) override;
    std::unique_ptr<CControlUI> Remove(CControlUI* control) override;
    std::unique_ptr<CControlUI> RemoveAt(int index) override;
    void RemoveAll() override;

    // The inset and the padding between children are set in the skin's pixels, read in the window's.
    virtual RECT GetInset() const;
    virtual void SetInset(RECT inset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int padding);
    // With delayed destruction on, RemoveAll hands the children to the manager's delayed clean-up
    // instead of deleting them at once.
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool delayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool enabled = true);

    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE position);
    // Scrolls vertically just far enough for the whole of `child` to show.
    void ScrollIntoView(const CControlUI* child);
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void EnableScrollBar(bool vertical = true, bool horizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;

    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetMouseEnabled(bool enabled = true) override;
    void SetManager(CControlHost* manager, CControlUI* parent, bool init = true) override;
    CControlUI* FindControl(FindControlProc proc, void* data, UINT flags) override;
    void DoEvent(UiEvent& event) override;
    void SetPos(RECT rect) override;
    void DoPaint(HDC dc, const RECT& paint) override;
    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;

protected:
    // Places the float child at `index` by its fixed position and size.
    virtual void SetFloatPos(int index);
    // Shows, sizes and places the scroll bars around `inner` for content of the required size.
    virtual void ProcessScrollBar(RECT inner, int requiredWidth, int requiredHeight);
    // The position minus the inset.
    RECT InsetRect() const;
    // The position minus the inset and the visible scroll bars.
    RECT InnerRect() const;
    // Deletes a removed child, now or through the manager's delayed clean-up.
    void DisposeChild(std::unique_ptr<CControlUI> child);

    CPtrArray<std::unique_ptr<CControlUI>> items_;
    RECT inset_{};
    int childPadding_ = 0;
    bool delayedDestroy_ = true;
    bool mouseChildEnabled_ = true;
    bool scrollProcess_ = false;
    std::unique_ptr<CScrollBarUI> verticalScrollBar_;
    std::unique_ptr<CScrollBarUI> horizontalScrollBar_;

private:
    CControlUI* FindInScrollBars(FindControlProc proc, void* data, UINT flags);
    CControlUI* FindInChildren(FindControlProc proc, void* data, UINT flags);
    void PaintChildren(HDC dc, const RECT& paint);
    void ScrollBy(int cx, int cy);
    int LineHeight() const;
    void AdoptChild(CControlUI* child);
};

}  // namespace UiLib
