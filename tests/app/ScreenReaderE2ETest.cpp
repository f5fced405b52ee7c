// A screen reader in another process: it walks the main window's accessible tree from
// AccessibleObjectFromWindow, performs a game's default action and hears, through an
// out-of-context WinEvent hook, the game that real key presses move to.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "shared/ComPtr.h"
#include "tests/support/AccessibleClient.h"
#include "tests/support/DemoGamesProgramTest.h"

namespace {

// One element as the reader met it: the object that answers for it and its child id there
// (CHILDID_SELF for an object of its own), with what it was told.
struct Element {
    ComPtr<IAccessible> object;
    LONG id = CHILDID_SELF;
    std::wstring name;
    LONG role = 0;
    LONG state = 0;
    // The role of the object whose child it is.
    LONG parentRole = 0;
};

ComPtr<IAccessible> Share(IAccessible* object) {
    ComPtr<IAccessible> shared;
    object->QueryInterface(IID_IAccessible, shared.OutVoid());
    return shared;
}

LONG RoleOf(IAccessible& object, LONG id) {
    VARIANT role;
    return SUCCEEDED(object.get_accRole(ChildId(id), &role)) && role.vt == VT_I4 ? role.lVal : 0;
}

// Every element below `object`, depth first, as a screen reader reads the window.
void Walk(IAccessible& object, std::vector<Element>& elements) {
    LONG count = 0;
    if (object.get_accChildCount(&count) != S_OK) return;
    const LONG ownRole = RoleOf(object, CHILDID_SELF);
    for (LONG id = 1; id <= count; ++id) {
        Element element;
        element.object = Share(&object);
        element.id = id;
        ScopedBstr name;
        if (object.get_accName(ChildId(id), name.Out()) == S_OK) element.name = name.Text();
        element.role = RoleOf(object, id);
        VARIANT state;
        if (SUCCEEDED(object.get_accState(ChildId(id), &state))) element.state = state.lVal;
        element.parentRole = ownRole;
        ComPtr<IDispatch> child;
        ComPtr<IAccessible> childObject;
        const bool ownObject = object.get_accChild(ChildId(id), child.Out()) == S_OK && child &&
                               SUCCEEDED(child->QueryInterface(IID_IAccessible, childObject.OutVoid()));
        elements.push_back(std::move(element));
        if (ownObject) Walk(*childObject.Get(), elements);
    }
}

const Element* Find(const std::vector<Element>& elements, const std::wstring& name, LONG role) {
    auto found = std::find_if(elements.begin(), elements.end(),
                              [&](const Element& element) { return element.name == name && element.role == role; });
    return found == elements.end() ? nullptr : &*found;
}

// The focus events of the program, as a screen reader's hook receives them on this thread.
struct FocusEvent {
    HWND window;
    LONG object;
    LONG child;
};
std::vector<FocusEvent> focusEvents;

void CALLBACK RecordFocus(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    focusEvents.push_back({window, object, child});
}

using ScopedWinEventHook = std::unique_ptr<std::remove_pointer_t<HWINEVENTHOOK>, decltype(&UnhookWinEvent)>;

// The name of the element a focus event names, read as a screen reader reads it.
std::wstring NameOf(const FocusEvent& event) {
    ComPtr<IAccessible> source;
    VARIANT child;
    ::VariantInit(&child);
    if (AccessibleObjectFromEvent(event.window, static_cast<DWORD>(event.object), static_cast<DWORD>(event.child),
                                  source.Out(), &child) != S_OK)
        return L"";
    ScopedBstr name;
    source->get_accName(child, name.Out());
    return name.Text();
}

class ScreenReaderE2ETest : public DemoGamesProgramTest {
protected:
    std::vector<Element> Read(HWND window) {
        std::vector<Element> elements;
        ComPtr<IAccessible> client = ClientObjectOf(window);
        if (client) Walk(*client.Get(), elements);
        return elements;
    }

    ScopedComApartment com_;
};

}  // namespace

TEST_F(ScreenReaderE2ETest, AReaderFindsTheControlsSelectsAGameAndHearsTheKeyboardMoveToTheNext) {
    HWND window = Start();
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 5000));

    std::vector<Element> elements = Read(window);
    EXPECT_NE(Find(elements, L"开始游戏", ROLE_SYSTEM_PUSHBUTTON), nullptr);
    for (int game = 1; game <= 3; ++game) {
        const Element* button = Find(elements, games_.Name(game), ROLE_SYSTEM_LISTITEM);
        ASSERT_NE(button, nullptr) << "game " << game;
        EXPECT_EQ(button->parentRole, ROLE_SYSTEM_LIST) << "the games are items of the column's list";
    }
    // The five tabs are page tabs of one tab list, the page shown marked.
    std::vector<const Element*> tabs;
    for (const Element& element : elements)
        if (element.role == ROLE_SYSTEM_PAGETAB) tabs.push_back(&element);
    ASSERT_EQ(tabs.size(), 5u);
    const wchar_t* const tabNames[] = {L"我的游戏", L"热门推荐", L"单机游戏", L"网络游戏", L"网页游戏"};
    for (size_t tab = 0; tab < tabs.size(); ++tab) {
        EXPECT_EQ(tabs[tab]->name, tabNames[tab]);
        EXPECT_EQ(tabs[tab]->parentRole, ROLE_SYSTEM_PAGETABLIST);
        EXPECT_EQ((tabs[tab]->state & STATE_SYSTEM_SELECTED) != 0, tab == 0) << tabs[tab]->name;
    }
    auto search = std::find_if(elements.begin(), elements.end(),
                               [](const Element& element) { return element.role == ROLE_SYSTEM_TEXT; });
    ASSERT_NE(search, elements.end()) << "the search field is editable text";
    EXPECT_NE(search->name.find(L"搜索"), std::wstring::npos);

    // The second game's default action selects it as a click does: its strategy page is asked
    // for and the start area names it.
    const Element* second = Find(elements, games_.Name(2), ROLE_SYSTEM_LISTITEM);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->object->accDoDefaultAction(ChildId(second->id)), S_OK);
    EXPECT_TRUE(WaitUntil([&] { return service_.CountRequests("act=getGongLue&ID=12") > 0; }, 5000));
    elements = Read(window);
    EXPECT_NE(Find(elements, games_.Name(2), ROLE_SYSTEM_STATICTEXT), nullptr) << "the start area shows the game";
    second = Find(elements, games_.Name(2), ROLE_SYSTEM_LISTITEM);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->state & STATE_SYSTEM_SELECTED);

    // The reader puts the focus on the game; a real Down key moves the selection to the next one,
    // and the focus event names that game.
    ScopedWinEventHook hook(SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, &RecordFocus,
                                            program_->Id(), 0, WINEVENT_OUTOFCONTEXT),
                            &UnhookWinEvent);
    ASSERT_NE(hook, nullptr);
    ASSERT_EQ(second->object->accSelect(SELFLAG_TAKEFOCUS, ChildId(second->id)), S_OK);
    ASSERT_TRUE(WaitUntil([] { return !focusEvents.empty(); }, 5000)) << "the focus the reader gave is announced";
    EXPECT_EQ(NameOf(focusEvents.back()), games_.Name(2));
    focusEvents.clear();
    PressKey(VK_DOWN);
    ASSERT_TRUE(WaitUntil([] { return !focusEvents.empty(); }, 5000)) << "Down on the second game";
    EXPECT_EQ(focusEvents.back().window, window);
    EXPECT_EQ(focusEvents.back().object, OBJID_CLIENT);
    EXPECT_EQ(NameOf(focusEvents.back()), games_.Name(3));
    EXPECT_TRUE(WaitUntil([&] { return service_.CountRequests("act=getGongLue&ID=13") > 0; }, 5000));
}
