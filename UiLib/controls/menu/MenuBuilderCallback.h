#pragma once
#include "UiLib/core/IDialogBuilderCallback.h"

namespace UiLib {

// Builds the menu tags of a menu layout: "Menu" and "MenuElement", in any letter case.
class CMenuBuilderCallback : public IDialogBuilderCallback {
public:
    std::unique_ptr<CControlUI> CreateControlForTag(const wchar_t* tag) override;
};

}  // namespace UiLib
