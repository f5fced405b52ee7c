#pragma once
#include <array>

#include "UiLib/controls/UILabel.h"

namespace UiLib {

// Wrapping text whose markup links ({a target}...{/a}) can be clicked.
class CTextUI : public CLabelUI {
public:
    static constexpr int kMaxLinks = 8;

    CTextUI();

    const wchar_t* GetClass() const override;
    // Text with links is a link; activated as a whole (a screen reader's default action) it
    // follows its first link.
    DWORD GetAccessibleRole() const override;
    // The text as shown, without its markup.
    std::wstring GetAccessibleName() const override;
    bool Activate() override;
    UiCaptionRole GetCaptionRole() const override { return UiCaptionRole::Text; }
    void* GetInterface(const std::wstring& name) override;
    UINT GetControlFlags() const override;

    // The links found by the last paint.
    int GetLinkCount() const { return linkCount_; }
    const RECT& GetLinkRect(int index) const { return linkRects_[index]; }
    const std::wstring& GetLinkContent(int index) const { return linkTargets_[index]; }
    int GetHoveredLink() const { return hoveredLink_; }

    SIZE EstimateSize(SIZE available) override;
    void DoEvent(UiEvent& event) override;
    void PaintText(HDC dc) override;

private:
    // The index of the link under `point`, or -1.
    int LinkAt(POINT point) const;

    std::array<RECT, kMaxLinks> linkRects_{};
    std::array<std::wstring, kMaxLinks> linkTargets_;
    int linkCount_ = 0;
    int hoveredLink_ = -1;
};

}  // namespace UiLib
