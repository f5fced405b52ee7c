#pragma once
#include <array>

#include "UiLib/tree/UIControl.h"

namespace UiLib {

class CContainerUI;

// A scroll bar: two arrow buttons, a track (the rail) and a thumb whose size and place show the
// visible part of a range. It scrolls its owner container, or, without one, reports "scroll".
class CScrollBarUI : public CControlUI {
public:
    static constexpr int kDefaultSize = 16;
    // The control timer that repeats scrolling while the mouse is held down.
    static constexpr UINT kRepeatTimerId = 10;
    static constexpr UINT kRepeatInterval = 50;
    // Ticks an arrow button or the rail is held before scrolling repeats.
    static constexpr int kRepeatDelayTicks = 5;

    // The parts, in painting order after the background.
    enum Part { kButton1, kButton2, kThumb, kRail, kBackground, kPartCount };
    // The image states of a part.
    enum PartState { kNormal, kHot, kPushed, kDisabled, kStateCount };

    CScrollBarUI();

    const wchar_t* GetClass() const override;
    DWORD GetAccessibleRole() const override;
    void* GetInterface(const std::wstring& name) override;

    CContainerUI* GetOwner() const { return owner_; }
    void SetOwner(CContainerUI* owner) { owner_ = owner; }
    bool IsHorizontal() const { return horizontal_; }
    // A vertical bar has a fixed width, a horizontal one a fixed height.
    void SetHorizontal(bool horizontal);
    int GetScrollRange() const { return range_; }
    // The position is kept within the new range.
    void SetScrollRange(int range);
    int GetScrollPos() const { return position_; }
    // Clamped to 0..range.
    void SetScrollPos(int position);
    int GetLineSize() const { return lineSize_; }
    void SetLineSize(int size) { lineSize_ = size; }
    bool GetShowButton1() const { return showButton_[0]; }
    void SetShowButton1(bool show);
    bool GetShowButton2() const { return showButton_[1]; }
    void SetShowButton2(bool show);

    const std::wstring& GetPartImage(Part part, PartState state) const { return images_[part][state]; }
    void SetPartImage(Part part, PartState state, const std::wstring& image);
    // The rectangles of the arrow buttons and the thumb from the last layout.
    const RECT& GetButton1Rect() const { return button1_; }
    const RECT& GetButton2Rect() const { return button2_; }
    const RECT& GetThumbRect() const { return thumb_; }
    // The rail is drawn as a grip of the bar's width centred on the thumb; empty without a range.
    RECT GetRailRect() const;

    void SetPos(RECT rect) override;
    void DoEvent(UiEvent& event) override;
    static const CAttributeTable& Attributes();
    const CAttributeTable& GetAttributeTable() const override;
    void PaintStatusImage(HDC dc) override;

private:
    template <Part part, PartState state>
    static void SetPartImageAttribute(CScrollBarUI& bar, const std::wstring& image);
    template <Part part>
    static void AddPartImages(CAttributeTable& table);

    // A span along the bar, across its whole width.
    RECT Span(LONG from, LONG to) const;
    // Places the buttons and the thumb in the bar's rectangle for the current range and position.
    void UpdateParts();
    int ButtonSize() const { return horizontal_ ? GetFixedHeight() : GetFixedWidth(); }
    // The coordinate along the bar of a point.
    LONG Along(POINT point) const { return horizontal_ ? point.x : point.y; }
    // Scrolling, through the owner's operations when there is one.
    void ScrollTo(int position);
    void LineBack();
    void LineForward();
    void PageBack();
    void PageForward();
    // Pages toward `point` unless the thumb already covers it.
    void PageToward(POINT point);
    void OnButtonDown(POINT point);
    void OnButtonUp();
    void OnMouseMove(POINT point);
    void OnTimer();
    void UpdateHot(POINT point);
    // The image of a part for its state bits: disabled, pushed, hot, normal.
    std::wstring& ImageFor(Part part, UINT state);
    // Draws a part's image inside the part's rectangle; one that cannot be drawn is cleared.
    void PaintPart(HDC dc, Part part, UINT state, const RECT& rect);

    CContainerUI* owner_ = nullptr;
    bool horizontal_ = false;
    int range_ = 100;
    int position_ = 0;
    int lineSize_ = 8;
    std::array<bool, 2> showButton_{true, true};
    std::array<std::array<std::wstring, kStateCount>, kPartCount> images_;

    RECT button1_{};
    RECT button2_{};
    RECT thumb_{};
    UINT button1State_ = 0;
    UINT button2State_ = 0;
    UINT thumbState_ = 0;
    // Thumb dragging: where the drag started and how far the mouse has moved it since.
    POINT dragStart_{};
    int dragStartPos_ = 0;
    int dragOffset_ = 0;
    // Whether the mouse is held on the bar, where it is, and the ticks it has been held.
    bool holding_ = false;
    POINT holdPoint_{};
    int repeatTicks_ = 0;
};

}  // namespace UiLib
