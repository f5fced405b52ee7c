#pragma once
#include "UiLib/layouts/UIContainer.h"

// The my-games page of the main window, the first page of its tab layout. For now an empty
// container that the layout places and the main window finds by name.
class CMyGameWndUI : public UiLib::CContainerUI {
public:
    static constexpr const wchar_t* kClassName = L"MyGameWndUI";

    const wchar_t* GetClass() const override { return kClassName; }
    void* GetInterface(const std::wstring& name) override;
};
