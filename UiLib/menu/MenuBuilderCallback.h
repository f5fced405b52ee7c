#pragma once
#include <memory>

#include "UiLib/core/IDialogBuilderCallback.h"
#include "UiLib/menu/MenuChain.h"

namespace UiLib {

// Builds the menu tags of a menu layout: "Menu" and "MenuElement", in any letter case. The menus
// it builds belong to `chain`.
class CMenuBuilderCallback : public IDialogBuilderCallback {
public:
    explicit CMenuBuilderCallback(std::shared_ptr<CMenuChain> chain = nullptr);

    std::unique_ptr<CControlUI> CreateControlForTag(const wchar_t* tag) override;

private:
    std::shared_ptr<CMenuChain> chain_;
};

}  // namespace UiLib
