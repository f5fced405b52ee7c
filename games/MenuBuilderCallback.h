#pragma once
#include "UiLib/core/IDialogBuilderCallback.h"

// Builds the menu tags of a menu layout: "Menu" and "MenuElement", in any letter case.
class CMenuBuilderCallback : public UiLib::IDialogBuilderCallback {
public:
    std::unique_ptr<UiLib::CControlUI> CreateControlForTag(const wchar_t* tag) override;
};
