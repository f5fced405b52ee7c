#include "UiLib/core/AccessibleWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UICheckBox.h"
#include "UiLib/controls/UIEdit.h"
#include "UiLib/controls/UILabel.h"
#include "UiLib/controls/UIOption.h"
#include "UiLib/layouts/UIVerticalLayout.h"
#include "shared/ComPtr.h"
#include "tests/UiLib/core/ManagerWindow.h"

using namespace UiLib;

namespace {

constexpr int kLeft = 640;
constexpr int kTop = 420;

VARIANT ChildId(LONG id) {
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// A client's view of one child: what a screen reader asks of every element it reads.
struct Element {
    std::wstring name;
    LONG role = 0;
    LONG state = 0;
    RECT screen{};
};

Element Read(IAccessible& object, LONG id) {
    Element element;
    ScopedBstr name;
    if (object.get_accName(ChildId(id), name.Out()) == S_OK) element.name = name.Text();
    VARIANT value;
    if (SUCCEEDED(object.get_accRole(ChildId(id), &value))) element.role = value.lVal;
    if (SUCCEEDED(object.get_accState(ChildId(id), &value))) element.state = value.lVal;
    LONG left = 0, top = 0, width = 0, height = 0;
    object.accLocation(&left, &top, &width, &height, ChildId(id));
    element.screen = RECT{left, top, left + width, top + height};
    return element;
}

// The child whose name is `name`, 0 when none is.
LONG FindByName(IAccessible& object, const std::wstring& name) {
    LONG count = 0;
    object.get_accChildCount(&count);
    for (LONG id = 1; id <= count; ++id)
        if (Read(object, id).name == name) return id;
    return 0;
}

// The focus events this process raised, as a screen reader's hook receives them.
struct FocusEvent {
    HWND window;
    LONG object;
    LONG child;
};
std::vector<FocusEvent> focusEvents;

void CALLBACK RecordFocus(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    focusEvents.push_back({window, object, child});
}

// Hooks the focus events of this process while it lives.
class FocusHook {
public:
    FocusHook()
        : hook_(::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, &RecordFocus,
                                  ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT)) {
        focusEvents.clear();
    }
    ~FocusHook() { ::UnhookWinEvent(hook_); }
    FocusHook(const FocusHook&) = delete;
    FocusHook& operator=(const FocusHook&) = delete;
    bool Hooked() const { return hook_ != nullptr; }

private:
    HWINEVENTHOOK hook_;
};

// A start button, a page's option (selected), a check box, a label, a search field and a button
// named only by its tooltip and one only by its skin name, one row of 30 pixels each; a hidden
// button is not read out.
class AccessibleWindowTest : public ::testing::Test {
protected:
    AccessibleWindowTest() : window(RECT{kLeft, kTop, kLeft + 200, kTop + 240}) {
        auto root = std::make_unique<CVerticalLayoutUI>();
        layout = root.get();
        start = Add<CButtonUI>(L"name=\"start\" height=\"30\" text=\"开始游戏\"");
        page = Add<COptionUI>(L"name=\"page\" height=\"30\" text=\"我的游戏\" group=\"tabs\" selected=\"true\"");
        Add<CCheckBoxUI>(L"height=\"30\" text=\"开机启动\"");
        Add<CLabelUI>(L"height=\"30\" text=\"游戏列表\"");
        Add<CEditUI>(L"height=\"30\" tooltip=\"搜索\"");
        Add<CButtonUI>(L"height=\"30\" tooltip=\"关闭\"");
        Add<CButtonUI>(L"height=\"30\" accname=\"最小化\"");
        Add<CButtonUI>(L"height=\"30\" text=\"隐藏\" visible=\"false\"");
        window.manager.AttachDialog(std::move(root));
        window.manager.AddNotifier(&notes);
        window.Show();
    }

    template <typename Control>
    Control* Add(const wchar_t* attributes) {
        auto control = std::make_unique<Control>();
        control->ApplyAttributeList(attributes);
        Control* raw = control.get();
        layout->Add(std::move(control));
        return raw;
    }

    ComPtr<IAccessible> ClientObject() {
        ComPtr<IAccessible> object;
        EXPECT_EQ(::AccessibleObjectFromWindow(window.Get(), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                               object.OutVoid()),
                  S_OK);
        return object;
    }

    ScopedComApartment com;
    ManagerWindow window;
    NotifyLog notes;
    CVerticalLayoutUI* layout;
    CButtonUI* start;
    COptionUI* page;
};

TEST_F(AccessibleWindowTest, AClientReadsEveryVisibleControlWithItsRoleNameStateAndPlace) {
    ComPtr<IAccessible> object = ClientObject();
    ASSERT_TRUE(object);
    LONG count = 0;
    ASSERT_EQ(object->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 7);

    VARIANT role;
    ASSERT_EQ(object->get_accRole(ChildId(CHILDID_SELF), &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_CLIENT);

    Element startButton = Read(*object.Get(), FindByName(*object.Get(), L"开始游戏"));
    EXPECT_EQ(startButton.role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_TRUE(startButton.state & STATE_SYSTEM_FOCUSABLE);
    EXPECT_FALSE(startButton.state & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(startButton.screen.left, kLeft);
    EXPECT_EQ(startButton.screen.top, kTop);
    EXPECT_EQ(startButton.screen.bottom - startButton.screen.top, 30);

    Element pageOption = Read(*object.Get(), FindByName(*object.Get(), L"我的游戏"));
    EXPECT_EQ(pageOption.role, ROLE_SYSTEM_RADIOBUTTON);
    EXPECT_TRUE(pageOption.state & STATE_SYSTEM_CHECKED);
    EXPECT_EQ(pageOption.screen.top, kTop + 30);

    EXPECT_EQ(Read(*object.Get(), FindByName(*object.Get(), L"开机启动")).role, ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(Read(*object.Get(), FindByName(*object.Get(), L"游戏列表")).role, ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(Read(*object.Get(), FindByName(*object.Get(), L"搜索")).role, ROLE_SYSTEM_TEXT);
    EXPECT_EQ(Read(*object.Get(), FindByName(*object.Get(), L"关闭")).role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(Read(*object.Get(), FindByName(*object.Get(), L"最小化")).role, ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(FindByName(*object.Get(), L"隐藏"), 0);

    // The point in the middle of the second row is the page option.
    VARIANT hit;
    ASSERT_EQ(object->accHitTest(kLeft + 100, kTop + 45, &hit), S_OK);
    EXPECT_EQ(hit.lVal, FindByName(*object.Get(), L"我的游戏"));

    VARIANT next;
    ASSERT_EQ(object->accNavigate(NAVDIR_NEXT, ChildId(1), &next), S_OK);
    EXPECT_EQ(next.lVal, 2);
    EXPECT_EQ(object->accNavigate(NAVDIR_NEXT, ChildId(count), &next), S_FALSE);
}

TEST_F(AccessibleWindowTest, TheDefaultActionClicksAndAFocusChangeIsAnnounced) {
    ComPtr<IAccessible> object = ClientObject();
    ASSERT_TRUE(object);
    const LONG startId = FindByName(*object.Get(), L"开始游戏");
    ASSERT_EQ(object->accDoDefaultAction(ChildId(startId)), S_OK);
    window.Pump();
    EXPECT_EQ(notes.Count(L"click"), 1);
    ASSERT_EQ(notes.received.back().pSender, start);

    FocusHook hook;
    ASSERT_TRUE(hook.Hooked());
    // The first tab stop took the focus at the first paint: the page option takes it now.
    const LONG pageId = FindByName(*object.Get(), L"我的游戏");
    ASSERT_EQ(object->accSelect(SELFLAG_TAKEFOCUS, ChildId(pageId)), S_OK);
    window.PumpUntil([] { return !focusEvents.empty(); }, 2000);
    EXPECT_TRUE(Read(*object.Get(), pageId).state & STATE_SYSTEM_FOCUSED);
    EXPECT_FALSE(Read(*object.Get(), startId).state & STATE_SYSTEM_FOCUSED);
    ASSERT_FALSE(focusEvents.empty()) << "the focus change is announced";
    EXPECT_EQ(focusEvents.back().window, window.Get());
    EXPECT_EQ(focusEvents.back().object, OBJID_CLIENT);
    EXPECT_EQ(focusEvents.back().child, pageId);
    VARIANT focus;
    if (::GetFocus() == window.Get()) {
        ASSERT_EQ(object->get_accFocus(&focus), S_OK);
        EXPECT_EQ(focus.lVal, pageId);
    }
}

TEST_F(AccessibleWindowTest, UnknownChildrenAndAClosedWindowAreRefused) {
    ComPtr<IAccessible> object = ClientObject();
    ASSERT_TRUE(object);
    VARIANT role;
    EXPECT_EQ(object->get_accRole(ChildId(99), &role), E_INVALIDARG);
    VARIANT text;
    ::VariantInit(&text);
    text.vt = VT_BSTR;
    EXPECT_EQ(object->get_accRole(text, &role), E_INVALIDARG);
    EXPECT_EQ(object->accDoDefaultAction(ChildId(4)), DISP_E_MEMBERNOTFOUND);  // static text does nothing

    // Another window goes while its client still holds the object.
    auto closing = std::make_unique<ManagerWindow>(RECT{kLeft, kTop, kLeft + 100, kTop + 100});
    auto root = std::make_unique<CButtonUI>();
    root->SetText(L"确定");
    closing->manager.AttachDialog(std::move(root));
    ComPtr<IAccessible> orphan;
    ASSERT_EQ(::AccessibleObjectFromWindow(closing->Get(), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                           orphan.OutVoid()),
              S_OK);
    ScopedBstr name;
    ASSERT_EQ(orphan->get_accName(ChildId(1), name.Out()), S_OK);
    EXPECT_EQ(name.Text(), L"确定");
    closing.reset();
    LONG count = -1;
    EXPECT_EQ(orphan->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(orphan->get_accRole(ChildId(1), &role), CO_E_OBJNOTCONNECTED);
}

}  // namespace
