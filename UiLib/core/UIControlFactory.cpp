#include "UiLib/core/UIControlFactory.h"

#include <algorithm>
#include <iterator>

#include "UiLib/controls/UIActiveX.h"
#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UICheckBox.h"
#include "UiLib/controls/UIControl.h"
#include "UiLib/controls/UIEdit.h"
#include "UiLib/controls/UILabel.h"
#include "UiLib/controls/UIList.h"
#include "UiLib/controls/UIListContainerElement.h"
#include "UiLib/controls/UIListHeader.h"
#include "UiLib/controls/UIListHeaderItem.h"
#include "UiLib/controls/UIListLabelElement.h"
#include "UiLib/controls/UIOption.h"
#include "UiLib/controls/UIRadioBox.h"
#include "UiLib/controls/UIScrollBar.h"
#include "UiLib/controls/UIText.h"
#include "UiLib/controls/UIWebBrowser.h"
#include "UiLib/layouts/UIContainer.h"
#include "UiLib/layouts/UIHorizontalLayout.h"
#include "UiLib/layouts/UITabLayout.h"
#include "UiLib/layouts/UIVerticalLayout.h"

namespace UiLib {
namespace {

using ControlCreator = std::unique_ptr<CControlUI> (*)();

template <typename Control>
std::unique_ptr<CControlUI> Make() {
    return std::make_unique<Control>();
}

struct RegisteredClass {
    const char* name;
    ControlCreator create;
};

// Every control class a layout can name. Only classes the framework has get an entry.
constexpr RegisteredClass kRegisteredClasses[] = {
    {"CControlUI", &Make<CControlUI>},
    {"CContainerUI", &Make<CContainerUI>},
    {"CVerticalLayoutUI", &Make<CVerticalLayoutUI>},
    {"CHorizontalLayoutUI", &Make<CHorizontalLayoutUI>},
    {"CTabLayoutUI", &Make<CTabLayoutUI>},
    {"CButtonUI", &Make<CButtonUI>},
    {"COptionUI", &Make<COptionUI>},
    {"CCheckBoxUI", &Make<CCheckBoxUI>},
    {"CRadioBoxUI", &Make<CRadioBoxUI>},
    {"CLabelUI", &Make<CLabelUI>},
    {"CTextUI", &Make<CTextUI>},
    {"CEditUI", &Make<CEditUI>},
    {"CScrollBarUI", &Make<CScrollBarUI>},
    {"CActiveXUI", &Make<CActiveXUI>},
    {"CWebBrowserUI", &Make<CWebBrowserUI>},
    {"CListUI", &Make<CListUI>},
    {"CListHeaderUI", &Make<CListHeaderUI>},
    {"CListHeaderItemUI", &Make<CListHeaderItemUI>},
    {"CListContainerElementUI", &Make<CListContainerElementUI>},
    {"CListLabelElementUI", &Make<CListLabelElementUI>},
};

const RegisteredClass* FindClass(const std::string& className) {
    auto found = std::find_if(std::begin(kRegisteredClasses), std::end(kRegisteredClasses),
                              [&](const RegisteredClass& entry) { return className == entry.name; });
    return found == std::end(kRegisteredClasses) ? nullptr : found;
}

}  // namespace

std::unique_ptr<CControlUI> CControlFactory::CreateControl(const std::string& className) {
    const RegisteredClass* entry = FindClass(className);
    return entry ? entry->create() : nullptr;
}

bool CControlFactory::IsRegistered(const std::string& className) { return FindClass(className) != nullptr; }

std::string CControlFactory::ClassNameForTag(const std::wstring& tag) {
    if (tag.empty()) return std::string();
    std::string name = "C";
    for (wchar_t ch : tag) {
        if (ch <= 0 || ch > 0x7F) return std::string();
        name += static_cast<char>(ch);
    }
    return name + "UI";
}

}  // namespace UiLib
