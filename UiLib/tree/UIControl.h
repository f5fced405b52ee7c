#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "UiLib/Utils/EventSource.h"
#include "UiLib/Utils/Signal.h"
#include "UiLib/Utils/UiColor.h"
#include "UiLib/render/DpiScale.h"
#include "UiLib/render/GdiObject.h"
#include "UiLib/tree/AttributeTable.h"
#include "UiLib/tree/UIEvent.h"

namespace UiLib {

class CControlHost;
class CSkinResources;
class CControlUI;

// Flags of FindControl.
enum UiFindFlags : UINT {
    UIFIND_ALL = 0,
    UIFIND_VISIBLE = 1,
    UIFIND_ENABLED = 2,
    UIFIND_HITTEST = 4,
    UIFIND_TOP_FIRST = 8,
    UIFIND_ME_FIRST = 0x80000000,
};

// Control flags: what a control takes from the keyboard and mouse handling of its window.
enum UiControlFlags : UINT {
    UIFLAG_TABSTOP = 1,
    UIFLAG_SETCURSOR = 2,
};

// What a control is in the caption band of its window: the band drags the window but for the
// controls of the roles that the window lets take clicks there.
enum class UiCaptionRole { None, Button, Option, Text };

// Called for each control a search visits; a non-null result ends the search with it.
using FindControlProc = CControlUI*(CALLBACK*)(CControlUI* control, void* data);

// Percentages by which a float control follows the growth of its parent.
struct RelativePos {
    bool relative = false;
    int moveX = 0;
    int moveY = 0;
    int zoomX = 0;
    int zoomY = 0;
    SIZE parentSize{};
};

// The base of every element of a skinned window: identity, geometry wishes, state, the string
// attribute interface, the event entry and the painting sequence.
class CControlUI {
public:
    CControlUI();
    virtual ~CControlUI();

    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    virtual std::wstring GetName() const;
    virtual void SetName(const std::wstring& name);
    virtual const wchar_t* GetClass() const;
    virtual void* GetInterface(const std::wstring& name);
    virtual UINT GetControlFlags() const;
    virtual UiCaptionRole GetCaptionRole() const { return UiCaptionRole::None; }
    // True for static text: its Alt shortcut activates the next control that takes one.
    virtual bool HandsShortcutOn() const { return false; }
    // What a screen reader is told about the control: an MSAA role (ROLE_SYSTEM_...), the state
    // flags (STATE_SYSTEM_...) and its name: the text, else the tooltip, else the skin's "accname";
    // the skin's "accdescription" describes it further.
    virtual DWORD GetAccessibleRole() const;
    virtual DWORD GetAccessibleState() const;
    virtual std::wstring GetAccessibleName() const;
    void SetAccessibleName(const std::wstring& name) { accessibleName_ = name; }
    // Selects the control as a screen reader asks: options, tabs and list items are selected;
    // false for a control that is not selected so.
    virtual bool AccessibleSelect() { return false; }
    const std::wstring& GetAccessibleDescription() const { return accessibleDescription_; }
    void SetAccessibleDescription(const std::wstring& text) { accessibleDescription_ = text; }

    virtual bool Activate();
    virtual CControlHost* GetManager() const;
    virtual void SetManager(CControlHost* manager, CControlUI* parent, bool init = true);
    virtual CControlUI* GetParent() const;

    virtual std::wstring GetText() const;
    virtual void SetText(const std::wstring& text);

    virtual const RECT& GetPos() const;
    virtual void SetPos(RECT rect);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    // Padding, the float position and the fixed, minimum and maximum sizes are set in the skin's
    // 96-DPI pixels and read, by the layouts, in the window's pixels.
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT padding);
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE xy);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int width);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int height);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int width);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int width);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int height);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int height);
    virtual void SetRelativePos(SIZE move, SIZE zoom);
    virtual void SetRelativeParentSize(SIZE size);
    virtual RelativePos GetRelativePos() const;
    virtual bool IsRelativePos() const;

    virtual std::wstring GetToolTip() const;
    virtual void SetToolTip(const std::wstring& text);
    virtual wchar_t GetShortcut() const;
    virtual void SetShortcut(wchar_t ch);
    virtual bool IsContextMenuUsed() const;
    virtual void SetContextMenuUsed(bool used);
    virtual const std::wstring& GetUserData() const;
    virtual void SetUserData(const std::wstring& text);
    virtual UINT_PTR GetTag() const;
    virtual void SetTag(UINT_PTR tag);

    virtual bool IsVisible() const;
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const;
    virtual bool IsIrregular() const;
    virtual void SetEnabled(bool enabled = true);
    virtual void SetIrregular(bool irregular);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool enabled = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool enabled = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool floating = true);

    virtual const std::wstring& GetStyleName() const;
    virtual void ApplyStyle(const std::wstring& styleName, CControlHost* manager);

    virtual CControlUI* FindControl(FindControlProc proc, void* data, UINT flags);

    void Init();
    virtual void DoInit();

    virtual void Event(UiEvent& event);
    virtual void DoEvent(UiEvent& event);

    // Sets one attribute through the table of the control's class.
    void SetAttribute(const std::wstring& name, const std::wstring& value);
    // The attributes of this class; a class with attributes of its own overrides both with its table.
    static const CAttributeTable& Attributes();
    virtual const CAttributeTable& GetAttributeTable() const;
    virtual SIZE EstimateSize(SIZE available);

    virtual void DoPaint(HDC dc, const RECT& paint);
    virtual void PaintBkColor(HDC dc);
    virtual void PaintBkImage(HDC dc);
    virtual void PaintStatusImage(HDC dc);
    virtual void PaintText(HDC dc);
    virtual void PaintBorder(HDC dc);
    virtual void DoPostPaint(HDC dc, const RECT& paint);

    void Invalidate();
    bool IsUpdateNeeded() const { return updateNeeded_; }
    void NeedUpdate();
    void NeedParentUpdate();
    // Applies `name="value"` pairs separated by single blanks; stops at the first deviation.
    void ApplyAttributeList(const std::wstring& list);
    // Draws an image attribute string over the control; false when its image cannot be loaded.
    bool DrawImage(HDC dc, const std::wstring& image, const std::wstring& modifier = std::wstring());

    // Background, border and virtual-window accessors used by derived controls and tests; border
    // sizes and corners in the skin's pixels (painted scaled).
    UiColor GetBkColor() const { return bkColor_; }
    void SetBkColor(UiColor color);
    UiColor GetBkColor2() const { return bkColor2_; }
    void SetBkColor2(UiColor color);
    UiColor GetBkColor3() const { return bkColor3_; }
    void SetBkColor3(UiColor color);
    UiColor GetDisabledBkColor() const { return disabledBkColor_; }
    void SetDisabledBkColor(UiColor color);
    const std::wstring& GetBkImage() const { return bkImage_; }
    void SetBkImage(const std::wstring& image);
    UiColor GetBorderColor() const { return borderColor_; }
    void SetBorderColor(UiColor color);
    UiColor GetFocusBorderColor() const { return focusBorderColor_; }
    void SetFocusBorderColor(UiColor color);
    bool IsColorHSL() const { return colorHsl_; }
    void SetColorHSL(bool on);
    int GetBorderSize() const { return borderSize_; }
    void SetBorderSize(int size);
    RECT GetBorderSizes() const { return borderSizes_; }
    void SetBorderSize(RECT sizes);
    int GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(int style);
    SIZE GetBorderRound() const { return borderRound_; }
    void SetBorderRound(SIZE round);
    const std::wstring& GetVirtualWnd() const;
    void SetVirtualWnd(const std::wstring& name);
    HRGN GetRegion() const { return region_.Get(); }

    IDelegate OnInit;
    IDelegate OnSize;
    IDelegate OnEvent;
    IDelegate OnNotify;

    // The player asked for this control's context menu (right click, menu key, Shift+F10), at
    // `at` in the window's client coordinates; only while the control uses context menus. Its
    // "menu" notification goes out right after.
    [[nodiscard]] CSubscription OnMenuRequest(std::function<void(POINT at)> handler) {
        return menuRequested_.Connect(std::move(handler));
    }

protected:
    // How this control's window scales the skin's lengths; as written while the control has no window.
    CDpiScale DpiScale() const;
    // The fixed width and height in the window's pixels.
    SIZE FixedSize() const;
    void SetBorderSide(LONG RECT::*side, const std::wstring& value);
    // Whether `point` hits this control (its rectangle, or its region when irregular).
    bool HitTest(POINT point) const;
    // Builds the hit region from the background image: every run of non-black pixels.
    void BuildRegionFromImage();
    void InvalidateClipped(RECT rect) const;
    // A size wish changed: the float control re-lays out itself, others their parent.
    void SetSizeWish(LONG& field, int value);
    template <typename Value>
    void SetPaintValue(Value& field, Value value);
    void PaintIcon(HDC dc);
    // What the control draws with: its host's skin resources, none without a host.
    CSkinResources* SkinResources() const;
    // Tells screen readers of a change (EVENT_OBJECT_...) to the control while it is shown.
    void AnnounceChange(DWORD event);

    CControlHost* manager_ = nullptr;
    CControlUI* parent_ = nullptr;
    std::wstring name_;
    std::wstring text_;
    std::wstring toolTip_;
    std::wstring userData_;
    std::wstring accessibleName_;
    std::wstring accessibleDescription_;
    std::wstring virtualWnd_;
    std::wstring styleName_;
    UINT_PTR tag_ = 0;
    wchar_t shortcut_ = 0;

    RECT rcItem_{};
    RECT rcPaint_{};
    RECT rcPadding_{};
    SIZE xy_{};
    SIZE fixed_{};
    SIZE min_{};
    SIZE max_{9999, 9999};
    RelativePos relativePos_;

    CSignal<POINT> menuRequested_;
    bool updateNeeded_ = true;
    bool menuUsed_ = false;
    bool visible_ = true;
    bool internVisible_ = true;
    bool enabled_ = true;
    bool irregular_ = false;
    bool mouseEnabled_ = true;
    bool keyboardEnabled_ = true;
    bool focused_ = false;
    bool float_ = false;
    bool setPosBusy_ = false;
    bool regionPending_ = true;

    UiColor bkColor_ = 0;
    UiColor bkColor2_ = 0;
    UiColor bkColor3_ = 0;
    UiColor disabledBkColor_ = 0xFFF0F0F0;
    bool colorHsl_ = false;
    std::wstring bkImage_;
    UiColor borderColor_ = 0;
    UiColor focusBorderColor_ = 0;
    int borderSize_ = 0;
    RECT borderSizes_{};
    int borderStyle_ = PS_SOLID;
    SIZE borderRound_{};
    CRegionHandle region_;
};

}  // namespace UiLib
