// The controls' typed callbacks, reached with real messages in a real window, against the string
// notifications they stand beside; and the typed lookup by name.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UIEdit.h"
#include "UiLib/controls/UIList.h"
#include "UiLib/controls/UIListLabelElement.h"
#include "UiLib/controls/UIOption.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/layouts/UITabLayout.h"
#include "tests/UiLib/core/ManagerWindow.h"

using namespace UiLib;

namespace {

const wchar_t kLayout[] =
    L"<Window size=\"400,300\">"
    L"<VerticalLayout>"
    L"  <HorizontalLayout height=\"30\">"
    L"    <Button name=\"button\" width=\"60\" text=\"b\" menu=\"true\"/>"
    L"    <Option name=\"loose\" width=\"60\" text=\"o\"/>"
    L"    <Option name=\"first\" width=\"60\" group=\"g\" selected=\"true\" bindtablayoutname=\"pages\""
    L"            bindtabindex=\"0\"/>"
    L"    <Option name=\"second\" width=\"60\" group=\"g\" bindtablayoutname=\"pages\" bindtabindex=\"1\"/>"
    L"  </HorizontalLayout>"
    L"  <Edit name=\"edit\" height=\"30\" text=\"ab\"/>"
    L"  <List name=\"list\" height=\"60\">"
    L"    <ListLabelElement name=\"item0\" height=\"20\" text=\"a\"/>"
    L"    <ListLabelElement name=\"item1\" height=\"20\" text=\"b\"/>"
    L"  </List>"
    L"  <TabLayout name=\"pages\"><Control name=\"page0\"/><Control name=\"page1\"/></TabLayout>"
    L"</VerticalLayout>"
    L"</Window>";

// The notifications that have a typed callback.
const std::set<std::wstring> kTypedKinds = {L"click",       L"selectchanged", L"tabselect", L"itemselect",
                                            L"itemactivate", L"textchanged",  L"return",    L"keypress",
                                            L"menu"};

std::wstring Entry(const wchar_t* kind, const CControlUI* sender, const std::wstring& value = std::wstring()) {
    return std::wstring(kind) + L" " + sender->GetName() + (value.empty() ? L"" : L" " + value);
}

std::wstring PointText(POINT point) { return std::to_wstring(point.x) + L"," + std::to_wstring(point.y); }

// What a notification says, in the words the typed callbacks record.
std::wstring EntryOf(const UiNotify& msg) {
    const wchar_t* kind = msg.sType.c_str();
    if (msg.sType == L"selectchanged")
        return Entry(kind, msg.pSender, static_cast<COptionUI*>(msg.pSender)->IsSelected() ? L"on" : L"off");
    if (msg.sType == L"tabselect" || msg.sType == L"itemselect" || msg.sType == L"keypress")
        return Entry(kind, msg.pSender, std::to_wstring(msg.wParam));
    if (msg.sType == L"textchanged") return Entry(kind, msg.pSender, msg.pSender->GetText());
    if (msg.sType == L"menu") return Entry(kind, msg.pSender, PointText(msg.ptMouse));
    return Entry(kind, msg.pSender);
}

class TypedSignalWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        CDialogBuilder builder;
        std::unique_ptr<CControlUI> root = builder.Create(kLayout, nullptr, nullptr, &window.manager);
        ASSERT_NE(root, nullptr);
        window.manager.AttachDialog(std::move(root));
        notes.hook = [this](UiNotify& msg) {
            if (kTypedKinds.count(msg.sType)) log.push_back(L"notified " + EntryOf(msg));
        };
        window.manager.AddNotifier(&notes);
        window.Show();
        window.PumpUntil([this] { return window.manager.GetFocus() != nullptr; }, 2000);
    }

    template <typename T>
    T* Find(const wchar_t* name) {
        T* control = window.manager.FindControl<T>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    void Typed(const std::wstring& entry) { log.push_back(L"typed " + entry); }

    POINT Centre(CControlUI* control) const {
        RECT pos = control->GetPos();
        return POINT{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
    }
    void Click(CControlUI* control) {
        POINT at = Centre(control);
        ::SendMessageW(window.Get(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(at.x, at.y));
        ::SendMessageW(window.Get(), WM_LBUTTONUP, 0, ClientPoint(at.x, at.y));
        window.Pump();
    }

    ManagerWindow window{RECT{0, 0, 400, 300}};
    NotifyLog notes;
    std::vector<std::wstring> log;
    std::vector<CSubscription> subscriptions;
};

}  // namespace

TEST_F(TypedSignalWindowTest, EachTypedCallbackComesJustBeforeItsNotification) {
    auto* button = Find<CButtonUI>(L"button");
    auto* loose = Find<COptionUI>(L"loose");
    auto* second = Find<COptionUI>(L"second");
    auto* edit = Find<CEditUI>(L"edit");
    auto* list = Find<CListUI>(L"list");
    auto* item0 = Find<CListLabelElementUI>(L"item0");
    auto* item1 = Find<CListLabelElementUI>(L"item1");
    auto* pages = Find<CTabLayoutUI>(L"pages");
    ASSERT_FALSE(HasFailure());

    for (auto* option : {button, static_cast<CButtonUI*>(loose), static_cast<CButtonUI*>(second)})
        subscriptions.push_back(option->OnClick([this, option] { Typed(Entry(L"click", option)); }));
    for (auto* option : {loose, second})
        subscriptions.push_back(option->OnSelectedChanged(
            [this, option](bool selected) { Typed(Entry(L"selectchanged", option, selected ? L"on" : L"off")); }));
    subscriptions.push_back(button->OnMenuRequest([&](POINT at) { Typed(Entry(L"menu", button, PointText(at))); }));
    subscriptions.push_back(
        pages->OnTabSelected([&](int index) { Typed(Entry(L"tabselect", pages, std::to_wstring(index))); }));
    subscriptions.push_back(
        list->OnItemSelected([&](int index) { Typed(Entry(L"itemselect", list, std::to_wstring(index))); }));
    for (auto* item : {item0, item1})
        subscriptions.push_back(item->OnActivated([this, item] { Typed(Entry(L"itemactivate", item)); }));
    subscriptions.push_back(
        edit->OnTextChanged([&](const std::wstring& text) { Typed(Entry(L"textchanged", edit, text)); }));
    subscriptions.push_back(edit->OnReturn([&] { Typed(Entry(L"return", edit)); }));
    subscriptions.push_back(edit->OnKeyPress([&](UINT key) { Typed(Entry(L"keypress", edit, std::to_wstring(key))); }));

    Click(button);
    POINT menuAt = Centre(button);
    POINT screen = ToScreen(window.Get(), menuAt);
    ::SendMessageW(window.Get(), WM_RBUTTONDOWN, MK_RBUTTON, ClientPoint(menuAt.x, menuAt.y));
    ::SendMessageW(window.Get(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window.Get()), MAKELPARAM(screen.x, screen.y));
    Click(loose);
    Click(loose);
    Click(second);
    Click(item1);
    POINT itemAt = Centre(item0);
    ::SendMessageW(window.Get(), WM_LBUTTONDBLCLK, MK_LBUTTON, ClientPoint(itemAt.x, itemAt.y));
    Click(edit);
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(native, nullptr);
    ::SendMessageW(native, EM_SETSEL, 2, 2);
    ::SendMessageW(native, WM_CHAR, L'c', 0);
    ::SendMessageW(native, WM_KEYDOWN, VK_ESCAPE, 0);
    ::SendMessageW(native, WM_KEYDOWN, VK_RETURN, 0);
    window.Pump();

    const std::wstring at = PointText(menuAt);
    const std::vector<std::wstring> expected = {
        L"click button", L"menu button " + at, L"click loose", L"selectchanged loose on", L"click loose",
        L"selectchanged loose off", L"click second", L"tabselect pages 1", L"selectchanged second on",
        L"itemselect list 1", L"itemactivate item0", L"textchanged edit abc", L"keypress edit 27", L"return edit"};
    std::vector<std::wstring> pairs;
    for (const std::wstring& entry : expected) {
        pairs.push_back(L"typed " + entry);
        pairs.push_back(L"notified " + entry);
    }
    EXPECT_EQ(log, pairs);

    // Once the subscriptions go, only the notifications are left.
    subscriptions.clear();
    log.clear();
    Click(button);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"notified click button"}));
}

TEST_F(TypedSignalWindowTest, ALookupOfAMissingNameOrAnotherTypeIsReported) {
    std::vector<std::wstring> misses;
    ControlLookupMissHandler previous = SetControlLookupMissHandler(
        [&misses](const ControlLookupMiss& miss) { misses.push_back(DescribeControlLookupMiss(miss)); });

    CButtonUI* asButton = window.manager.FindControl<CButtonUI>(L"button");
    COptionUI* optionAsButton = static_cast<COptionUI*>(window.manager.FindControl<CButtonUI>(L"loose"));
    CTabLayoutUI* buttonAsTabs = window.manager.FindControl<CTabLayoutUI>(L"button");
    CButtonUI* misspelt = window.manager.FindControl<CButtonUI>(L"buton");
    SetControlLookupMissHandler(std::move(previous));

    EXPECT_EQ(asButton, window.manager.FindControl(L"button"));
    EXPECT_EQ(optionAsButton, window.manager.FindControl(L"loose")) << "a derived control is one of its bases";
    EXPECT_EQ(buttonAsTabs, nullptr);
    EXPECT_EQ(misspelt, nullptr);
    EXPECT_EQ(misses, (std::vector<std::wstring>{L"'button' is a ButtonUI, not UiLib::CTabLayoutUI",
                                                 L"no control named 'buton'"}));
}
