// Every attribute that a layout of the program's skin or of the demonstration skin gives a control
// is one that the control's class knows: a misspelt name would otherwise be dropped silently.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UiLib/core/UIManager.h"
#include "UiLib/menu/MenuBuilderCallback.h"
#include "UiLib/tree/ControlRegistry.h"
#include "UiLib/tree/UIControl.h"
#include "UiLib/tree/WindowTasks.h"
#include "games/GameList.h"
#include "games/PlayHistory.h"
#include "shared/TextConvert.h"
#include "tinyxml.h"

using namespace UiLib;

namespace {

// Every tag a layout of the program may name, made as the builder would make it.
class TagMaker {
public:
    std::unique_ptr<CControlUI> Make(const std::wstring& tag) {
        // The container's scroll bars take their defaults under these two names.
        if (tag == L"VScrollBar" || tag == L"HScrollBar") return CControlRegistry::Create(L"ScrollBar");
        if (auto control = CControlRegistry::Create(tag)) return control;
        return CMenuBuilderCallback(nullptr).CreateControlForTag(tag.c_str());
    }
};

// The names of a default attribute list: name="value" pairs separated by blanks.
std::vector<std::wstring> NamesInList(const std::wstring& list) {
    std::vector<std::wstring> names;
    size_t pos = 0;
    for (size_t equals; (equals = list.find(L"=\"", pos)) != std::wstring::npos;) {
        names.push_back(list.substr(pos, equals - pos));
        size_t close = list.find(L'"', equals + 2);
        if (close == std::wstring::npos) break;
        pos = list.find_first_not_of(L' ', close + 1);
        if (pos == std::wstring::npos) break;
    }
    return names;
}

bool IsResourceTag(const std::wstring& tag) {
    return tag == L"Window" || tag == L"Font" || tag == L"Image" || tag == L"Include";
}

class SkinChecker {
public:
    // Adds a line to `faults` for each tag without a control and each attribute its class lacks.
    void CheckFile(const std::wstring& path) {
        TiXmlDocument document;
        if (!document.LoadFile(WideToUtf8(path).c_str())) {
            faults_.push_back(path + L": not readable");
            return;
        }
        for (TiXmlElement* element = document.RootElement(); element; element = Next(element)) CheckElement(path, *element);
    }
    const std::vector<std::wstring>& Faults() const { return faults_; }

private:
    // Depth first through the whole document.
    static TiXmlElement* Next(TiXmlElement* element) {
        if (TiXmlElement* child = element->FirstChildElement()) return child;
        for (; element; element = element->Parent() ? element->Parent()->ToElement() : nullptr)
            if (TiXmlElement* sibling = element->NextSiblingElement()) return sibling;
        return nullptr;
    }

    void CheckElement(const std::wstring& path, const TiXmlElement& element) {
        const std::wstring tag = Utf8ToWide(element.Value());
        if (IsResourceTag(tag)) return;
        if (tag == L"Default") {
            const std::wstring target = Utf8ToWide(element.Attribute("name") ? element.Attribute("name") : "");
            const std::wstring list = Utf8ToWide(element.Attribute("value") ? element.Attribute("value") : "");
            CheckNames(path, target, NamesInList(list));
            return;
        }
        std::vector<std::wstring> names;
        for (const TiXmlAttribute* attribute = element.FirstAttribute(); attribute; attribute = attribute->Next())
            names.push_back(Utf8ToWide(attribute->Name()));
        CheckNames(path, tag, names);
    }

    void CheckNames(const std::wstring& path, const std::wstring& tag, const std::vector<std::wstring>& names) {
        std::unique_ptr<CControlUI> control = maker_.Make(tag);
        if (!control) {
            faults_.push_back(path + L": no control for <" + tag + L">");
            return;
        }
        for (const std::wstring& name : names)
            if (!control->GetAttributeTable().Knows(name))
                faults_.push_back(path + L": <" + tag + L"> (" + control->GetClass() + L") has no \"" + name + L"\"");
    }

    TagMaker maker_;
    std::vector<std::wstring> faults_;
};

struct SearchCloser {
    void operator()(HANDLE search) const { ::FindClose(search); }
};

std::vector<std::wstring> LayoutsIn(const std::wstring& folder) {
    std::vector<std::wstring> paths;
    WIN32_FIND_DATAW found{};
    HANDLE first = ::FindFirstFileW((folder + L"*.xml").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) return paths;
    std::unique_ptr<void, SearchCloser> search(first);
    do paths.push_back(folder + found.cFileName);
    while (::FindNextFileW(search.get(), &found));
    return paths;
}

}  // namespace

TEST(SkinAttributes, EveryAttributeOfEveryLayoutIsKnownToItsControl) {
    SkinChecker checker;
    int layouts = 0;
    for (const wchar_t* folder : {SKIN_SOURCE_DIR, DEMO_SKIN_SOURCE_DIR}) {
        for (const std::wstring& path : LayoutsIn(folder)) {
            checker.CheckFile(path);
            ++layouts;
        }
    }
    EXPECT_GE(layouts, 13);
    std::wstring faults;
    for (const std::wstring& fault : checker.Faults()) faults += fault + L"\n";
    EXPECT_TRUE(checker.Faults().empty()) << WideToUtf8(faults);
}
