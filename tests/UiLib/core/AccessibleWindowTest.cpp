#include "UiLib/core/AccessibleWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UICheckBox.h"
#include "UiLib/controls/UIEdit.h"
#include "UiLib/controls/UILabel.h"
#include "UiLib/controls/UIList.h"
#include "UiLib/controls/UIListLabelElement.h"
#include "UiLib/controls/UIOption.h"
#include "UiLib/controls/UIText.h"
#include "UiLib/layouts/UIHorizontalLayout.h"
#include "UiLib/layouts/UIVerticalLayout.h"
#include "UiLib/tree/IAccessibleRowsUI.h"
#include "shared/ComPtr.h"
#include "tests/UiLib/core/ManagerWindow.h"
#include "tests/support/AccessibleClient.h"

using namespace UiLib;

namespace {

constexpr int kLeft = 640;
constexpr int kTop = 420;

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

// The object events this process raised, as a screen reader's hook receives them.
struct ObjectEvent {
    DWORD event;
    HWND window;
    LONG object;
    LONG child;
};
std::vector<ObjectEvent> objectEvents;

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    objectEvents.push_back({event, window, object, child});
}

// Hooks the object events from `first` to `last` of this process while it lives.
class EventHook {
public:
    EventHook(DWORD first, DWORD last)
        : hook_(::SetWinEventHook(first, last, nullptr, &RecordEvent, ::GetCurrentProcessId(), 0,
                                  WINEVENT_OUTOFCONTEXT)) {
        objectEvents.clear();
    }
    ~EventHook() { ::UnhookWinEvent(hook_); }
    EventHook(const EventHook&) = delete;
    EventHook& operator=(const EventHook&) = delete;
    bool Hooked() const { return hook_ != nullptr; }

private:
    HWINEVENTHOOK hook_;
};

// The events of one kind recorded so far.
std::vector<ObjectEvent> EventsOf(DWORD event) {
    std::vector<ObjectEvent> found;
    for (const ObjectEvent& recorded : objectEvents)
        if (recorded.event == event) found.push_back(recorded);
    return found;
}

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

    ComPtr<IAccessible> ClientObject() { return ClientObjectOf(window.Get()); }

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

    EventHook hook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS);
    ASSERT_TRUE(hook.Hooked());
    // The first tab stop took the focus at the first paint: the page option takes it now.
    const LONG pageId = FindByName(*object.Get(), L"我的游戏");
    ASSERT_EQ(object->accSelect(SELFLAG_TAKEFOCUS, ChildId(pageId)), S_OK);
    window.PumpUntil([] { return !objectEvents.empty(); }, 2000);
    EXPECT_TRUE(Read(*object.Get(), pageId).state & STATE_SYSTEM_FOCUSED);
    EXPECT_FALSE(Read(*object.Get(), startId).state & STATE_SYSTEM_FOCUSED);
    ASSERT_FALSE(objectEvents.empty()) << "the focus change is announced";
    EXPECT_EQ(objectEvents.back().window, window.Get());
    EXPECT_EQ(objectEvents.back().object, OBJID_CLIENT);
    EXPECT_EQ(objectEvents.back().child, pageId);
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

// A page tab strip of two tabs, a list of three items, a text with a link and a start button: the
// strip and the list hold their items as children of their own.
class AccessibleGroupsTest : public ::testing::Test {
protected:
    AccessibleGroupsTest() : window(RECT{kLeft, kTop, kLeft + 200, kTop + 240}) {
        auto root = std::make_unique<CVerticalLayoutUI>();
        auto strip = std::make_unique<CHorizontalLayoutUI>();
        strip->ApplyAttributeList(L"height=\"30\"");
        for (const wchar_t* tab : {L"text=\"我的游戏\" selected=\"true\"", L"text=\"热门推荐\""}) {
            auto option = std::make_unique<COptionUI>();
            option->ApplyAttributeList(L"width=\"80\" group=\"tabs\" bindtablayoutname=\"pages\"");
            option->ApplyAttributeList(tab);
            tabs.push_back(option.get());
            strip->Add(std::move(option));
        }
        root->Add(std::move(strip));
        auto games = std::make_unique<CListUI>();
        games->ApplyAttributeList(L"height=\"90\" accname=\"游戏\"");
        list = games.get();
        for (const wchar_t* name : {L"龙之谷", L"剑侠", L"仙境"}) {
            auto item = std::make_unique<CListLabelElementUI>();
            item->ApplyAttributeList(L"height=\"30\" accdescription=\"已安装\"");
            item->SetText(name);
            items.push_back(item.get());
            games->Add(std::move(item));
        }
        root->Add(std::move(games));
        auto site = std::make_unique<CTextUI>();
        site->ApplyAttributeList(L"height=\"30\" showhtml=\"true\" text=\"{a home}官方网站{/a}\"");
        link = site.get();
        root->Add(std::move(site));
        auto start = std::make_unique<CButtonUI>();
        start->ApplyAttributeList(L"height=\"30\" text=\"开始游戏\"");
        button = start.get();
        root->Add(std::move(start));
        window.manager.AttachDialog(std::move(root));
        window.manager.AddNotifier(&notes);
        window.Show();
        window.PumpUntil([this] { return link->GetLinkCount() > 0; }, 2000);
    }

    ComPtr<IAccessible> ClientObject() { return ClientObjectOf(window.Get()); }

    ScopedComApartment com;
    ManagerWindow window;
    NotifyLog notes;
    std::vector<COptionUI*> tabs;
    CListUI* list;
    std::vector<CListLabelElementUI*> items;
    CTextUI* link;
    CButtonUI* button;
};

// The object a VARIANT carries (VT_DISPATCH), taken over.
ComPtr<IAccessible> ObjectIn(VARIANT& value) {
    ComPtr<IAccessible> object;
    if (value.vt == VT_DISPATCH && value.pdispVal) {
        value.pdispVal->QueryInterface(IID_IAccessible, object.OutVoid());
        value.pdispVal->Release();
        value.vt = VT_EMPTY;
    }
    return object;
}

ComPtr<IAccessible> ChildObject(IAccessible& parent, LONG id) {
    ComPtr<IDispatch> dispatch;
    ComPtr<IAccessible> object;
    if (parent.get_accChild(ChildId(id), dispatch.Out()) == S_OK && dispatch)
        dispatch->QueryInterface(IID_IAccessible, object.OutVoid());
    return object;
}

TEST_F(AccessibleGroupsTest, TabListsAndListsHoldTheirItemsWithRolesStatesAndDefaultActions) {
    ComPtr<IAccessible> object = ClientObject();
    ASSERT_TRUE(object);
    LONG count = 0;
    ASSERT_EQ(object->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, 4);  // the strip, the list, the link, the button
    EXPECT_EQ(Read(*object.Get(), 1).role, ROLE_SYSTEM_PAGETABLIST);
    EXPECT_EQ(Read(*object.Get(), 2).role, ROLE_SYSTEM_LIST);
    EXPECT_EQ(Read(*object.Get(), 2).name, L"游戏");
    EXPECT_EQ(Read(*object.Get(), 3).role, ROLE_SYSTEM_LINK);
    EXPECT_EQ(Read(*object.Get(), 3).name, L"官方网站");
    EXPECT_EQ(Read(*object.Get(), 4).role, ROLE_SYSTEM_PUSHBUTTON);
    ComPtr<IDispatch> none;
    EXPECT_EQ(object->get_accChild(ChildId(4), none.Out()), S_FALSE) << "a button is a simple element";

    ComPtr<IAccessible> strip = ChildObject(*object.Get(), 1);
    ASSERT_TRUE(strip);
    ASSERT_EQ(strip->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, 2);
    Element mine = Read(*strip.Get(), 1);
    Element hot = Read(*strip.Get(), 2);
    EXPECT_EQ(mine.name, L"我的游戏");
    EXPECT_EQ(mine.role, ROLE_SYSTEM_PAGETAB);
    EXPECT_TRUE(mine.state & STATE_SYSTEM_SELECTED);
    EXPECT_FALSE(mine.state & STATE_SYSTEM_CHECKED);
    EXPECT_FALSE(hot.state & STATE_SYSTEM_SELECTED);
    EXPECT_TRUE(hot.state & STATE_SYSTEM_SELECTABLE);
    VARIANT selected;
    ASSERT_EQ(strip->get_accSelection(&selected), S_OK);
    EXPECT_EQ(selected.lVal, 1);
    ComPtr<IDispatch> parent;
    ASSERT_EQ(strip->get_accParent(parent.Out()), S_OK);
    EXPECT_EQ(parent.Get(), static_cast<IDispatch*>(object.Get())) << "the strip's parent is the window's object";

    ComPtr<IAccessible> games = ChildObject(*object.Get(), 2);
    ASSERT_TRUE(games);
    ASSERT_EQ(games->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, 3);
    Element second = Read(*games.Get(), 2);
    EXPECT_EQ(second.name, L"剑侠");
    EXPECT_EQ(second.role, ROLE_SYSTEM_LISTITEM);
    EXPECT_EQ(second.screen.top, kTop + items[1]->GetPos().top);
    ScopedBstr description;
    ASSERT_EQ(games->get_accDescription(ChildId(2), description.Out()), S_OK);
    EXPECT_EQ(description.Text(), L"已安装");
    // A click selects an item: so does its default action.
    ASSERT_EQ(games->accDoDefaultAction(ChildId(2)), S_OK);
    EXPECT_TRUE(items[1]->IsSelected());
    EXPECT_TRUE(Read(*games.Get(), 2).state & STATE_SYSTEM_SELECTED);
    ASSERT_EQ(strip->accSelect(SELFLAG_TAKESELECTION, ChildId(2)), S_OK);
    EXPECT_TRUE(tabs[1]->IsSelected());
    EXPECT_FALSE(tabs[0]->IsSelected());

    // A point over the second item: the window answers with the list, the list with the item.
    VARIANT hit;
    const LONG overSecond = kTop + items[1]->GetPos().top + 15;
    ASSERT_EQ(object->accHitTest(kLeft + 50, overSecond, &hit), S_OK);
    ComPtr<IAccessible> hitList = ObjectIn(hit);
    ASSERT_TRUE(hitList);
    ASSERT_EQ(hitList->accHitTest(kLeft + 50, overSecond, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, 2);

    ASSERT_EQ(object->accDoDefaultAction(ChildId(3)), S_OK);
    window.Pump();
    EXPECT_EQ(notes.Count(L"link"), 1) << "the link's default action follows it";

    // Once the list is hidden its object is gone, whatever the client still holds.
    list->SetVisible(false);
    EXPECT_EQ(games->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
}

TEST_F(AccessibleGroupsTest, SelectionNameAndStateChangesAreAnnouncedForTheElementTheyConcern) {
    ComPtr<IAccessible> object = ClientObject();
    ASSERT_TRUE(object);
    EventHook hook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE);
    ASSERT_TRUE(hook.Hooked());

    tabs[1]->Selected(true);
    items[2]->Select(true);
    button->SetText(L"运行");
    button->SetEnabled(false);
    window.PumpUntil([] { return !EventsOf(EVENT_OBJECT_STATECHANGE).empty() && !EventsOf(EVENT_OBJECT_NAMECHANGE).empty(); },
                     2000);

    // An item inside a group is named to the window's object by an id of its own.
    std::vector<ObjectEvent> selections = EventsOf(EVENT_OBJECT_SELECTION);
    ASSERT_EQ(selections.size(), 2u);
    std::vector<std::wstring> selectedNames;
    for (const ObjectEvent& selection : selections) {
        EXPECT_EQ(selection.window, window.Get());
        ComPtr<IAccessible> source;
        VARIANT child;
        ASSERT_EQ(::AccessibleObjectFromEvent(selection.window, static_cast<DWORD>(selection.object),
                                              static_cast<DWORD>(selection.child), source.Out(), &child),
                  S_OK);
        ScopedBstr name;
        ASSERT_EQ(source->get_accName(child, name.Out()), S_OK);
        selectedNames.push_back(name.Text());
        VARIANT state;
        ASSERT_EQ(source->get_accState(child, &state), S_OK);
        EXPECT_TRUE(state.lVal & STATE_SYSTEM_SELECTED);
    }
    EXPECT_EQ(selectedNames, (std::vector<std::wstring>{L"热门推荐", L"仙境"}));

    std::vector<ObjectEvent> names = EventsOf(EVENT_OBJECT_NAMECHANGE);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].child, 4);
    EXPECT_EQ(Read(*object.Get(), 4).name, L"运行");
    // Both tabs and the item changed state, then the button.
    std::vector<ObjectEvent> states = EventsOf(EVENT_OBJECT_STATECHANGE);
    ASSERT_EQ(states.size(), 4u);
    EXPECT_EQ(states.back().child, 4);
    EXPECT_TRUE(Read(*object.Get(), 4).state & STATE_SYSTEM_UNAVAILABLE);

    // A hidden control changes unheard.
    objectEvents.clear();
    button->SetVisible(false);
    button->SetText(L"开始游戏");
    window.Pump();
    EXPECT_TRUE(EventsOf(EVENT_OBJECT_NAMECHANGE).empty());
}

}  // namespace

namespace {

// A list of a thousand rows with a control only for the two in view, rows 5 and 6 (6 selected),
// and a button after them; a reader acting on another row brings it into view on the first one.
class ThousandRows : public CVerticalLayoutUI, public IAccessibleRowsUI {
public:
    static constexpr int kRows = 1000;

    void* GetInterface(const std::wstring& name) override {
        if (name == L"AccessibleRows") return static_cast<IAccessibleRowsUI*>(this);
        return CVerticalLayoutUI::GetInterface(name);
    }
    static std::wstring Name(int row) { return L"行 " + std::to_wstring(row); }
    int AccessibleRowCount() const override { return kRows; }
    std::wstring AccessibleRowName(int row) const override { return Name(row); }
    bool IsAccessibleRowSelected(int row) const override { return row == 6; }
    CControlUI* AccessibleRowControl(int row) const override {
        return row == shownRows[0] ? items[0] : row == shownRows[1] ? items[1] : nullptr;
    }
    int AccessibleRowOf(const CControlUI* control) const override {
        return control == items[0] ? shownRows[0] : control == items[1] ? shownRows[1] : -1;
    }
    CControlUI* ShowAccessibleRow(int row) override {
        shownRows[0] = row;
        items[0]->SetText(Name(row));
        return items[0];
    }

    COptionUI* items[2] = {};
    int shownRows[2] = {5, 6};
};

}  // namespace

TEST(AccessibleRowsTest, EveryRowIsAnItemOfTheListAndOneAwayFromTheViewIsBroughtInToBeActedOn) {
    ScopedComApartment com;
    ManagerWindow window(RECT{kLeft, kTop, kLeft + 200, kTop + 240});
    auto root = std::make_unique<CVerticalLayoutUI>();
    auto owned = std::make_unique<ThousandRows>();
    ThousandRows* rows = owned.get();
    rows->ApplyAttributeList(L"accname=\"游戏列表\"");
    for (int i = 0; i < 2; ++i) {
        auto item = std::make_unique<COptionUI>();
        item->ApplyAttributeList(L"height=\"30\" group=\"rows\"");
        item->SetText(ThousandRows::Name(5 + i));
        rows->items[i] = item.get();
        rows->Add(std::move(item));
    }
    auto more = std::make_unique<CButtonUI>();
    more->ApplyAttributeList(L"height=\"30\" text=\"更多游戏\"");
    rows->Add(std::move(more));
    root->Add(std::move(owned));
    window.manager.AttachDialog(std::move(root));
    NotifyLog notes;
    window.manager.AddNotifier(&notes);
    window.Show();

    ComPtr<IAccessible> client = ClientObjectOf(window.Get());
    ASSERT_TRUE(client);
    ComPtr<IAccessible> list = ChildObject(*client.Get(), 1);
    ASSERT_TRUE(list);
    LONG count = 0;
    ASSERT_EQ(list->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, ThousandRows::kRows + 1) << "every row, then the button";
    EXPECT_EQ(Read(*list.Get(), ThousandRows::kRows + 1).name, L"更多游戏");

    // A row away from the view: named, a selectable item, off the screen.
    Element away = Read(*list.Get(), 801);
    EXPECT_EQ(away.name, L"行 800");
    EXPECT_EQ(away.role, ROLE_SYSTEM_LISTITEM);
    EXPECT_TRUE(away.state & STATE_SYSTEM_OFFSCREEN);
    EXPECT_TRUE(away.state & STATE_SYSTEM_SELECTABLE);
    LONG left = 0, top = 0, width = 0, height = 0;
    EXPECT_EQ(list->accLocation(&left, &top, &width, &height, ChildId(801)), S_FALSE);
    // A row in view is its control, where it stands.
    Element shown = Read(*list.Get(), 6);
    EXPECT_EQ(shown.name, L"行 5");
    EXPECT_FALSE(shown.state & STATE_SYSTEM_OFFSCREEN);
    EXPECT_EQ(shown.screen.top, kTop + rows->items[0]->GetPos().top);
    VARIANT selected;
    ASSERT_EQ(list->get_accSelection(&selected), S_OK);
    EXPECT_EQ(selected.lVal, 7);
    VARIANT next;
    ASSERT_EQ(list->accNavigate(NAVDIR_NEXT, ChildId(801), &next), S_OK);
    EXPECT_EQ(next.lVal, 802);

    // Acting on the far row brings it into view, then selects it as a click does.
    ASSERT_EQ(list->accDoDefaultAction(ChildId(801)), S_OK);
    EXPECT_EQ(rows->shownRows[0], 800);
    EXPECT_TRUE(rows->items[0]->IsSelected());
    EXPECT_EQ(Read(*list.Get(), 801).screen.top, kTop + rows->items[0]->GetPos().top);
    EXPECT_EQ(list->accSelect(SELFLAG_TAKEFOCUS, ChildId(300)), S_OK);
    EXPECT_EQ(rows->shownRows[0], 299);
    EXPECT_EQ(window.manager.GetFocus(), rows->items[0]);
}
