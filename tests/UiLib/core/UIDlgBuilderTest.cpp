// Builder tests: layouts as text, files and module resources turned into control trees for a
// real window's paint manager.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "UiLib/core/IDialogBuilderCallback.h"
#include "UiLib/core/UIDlgBuilder.h"
#include "UiLib/core/UIManager.h"
#include "UiLib/layouts/UIVerticalLayout.h"
#include "UiLib/tree/ControlRegistry.h"
#include "UiLib/tree/UIContainer.h"
#include "UiLib/tree/UIControl.h"
#include "tests/UiLib/core/SkinFixtures.h"
#include "tests/UiLib/support/SkinFolder.h"
#include "tests/support/TestFolder.h"

using namespace UiLib;

namespace {

// A plain top-level window for a paint manager to belong to.
class HostWindow {
public:
    HostWindow() {
        window_ = ::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 10, 10, 120, 90, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        manager.Init(window_);
    }
    ~HostWindow() { ::DestroyWindow(window_); }
    HWND Get() const { return window_; }
    SIZE Size() const {
        RECT rect{};
        ::GetWindowRect(window_, &rect);
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }

    CPaintManagerUI manager;

private:
    HWND window_ = nullptr;
};

// A container the application knows by its own tag; it notes the window size when it is made.
class ProbeUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override { return L"ProbeUI"; }
};

class Callback : public IDialogBuilderCallback {
public:
    explicit Callback(HWND window = nullptr) : window_(window) {}
    std::unique_ptr<CControlUI> CreateControlForTag(const wchar_t* tag) override {
        asked.push_back(tag);
        if (std::wstring(tag) != L"Probe") return nullptr;
        if (window_) {
            RECT rect{};
            ::GetWindowRect(window_, &rect);
            sizeAtCreation = SIZE{rect.right - rect.left, rect.bottom - rect.top};
        }
        return std::make_unique<ProbeUI>();
    }
    std::vector<std::wstring> asked;
    SIZE sizeAtCreation{};

private:
    HWND window_;
};

CContainerUI* AsContainer(CControlUI* control) {
    return control ? static_cast<CContainerUI*>(control->GetInterface(L"Container")) : nullptr;
}

std::unique_ptr<CControlUI> Build(const std::wstring& layout, CPaintManagerUI* manager,
                                  IDialogBuilderCallback* callback = nullptr) {
    CDialogBuilder builder;
    return builder.Create(CDialogBuilder::Layout(layout), nullptr, callback, manager);
}

// Every framework control registers its tag from its own file, and the tag makes the class named
// after it ("Button" makes "ButtonUI"); nothing else is made.
TEST(ControlRegistryTest, TagsMakeTheClassesNamedAfterThem) {
    const std::vector<std::wstring> tags = CControlRegistry::Tags();
    for (const wchar_t* tag : {L"Control", L"Container", L"VerticalLayout", L"HorizontalLayout", L"TabLayout", L"Button",
                               L"Option", L"CheckBox", L"RadioBox", L"Label", L"Text", L"Edit", L"ScrollBar",
                               L"ActiveX", L"WebBrowser", L"List", L"ListHeader", L"ListHeaderItem",
                               L"ListContainerElement", L"ListLabelElement", L"Progress"}) {
        EXPECT_NE(std::find(tags.begin(), tags.end(), tag), tags.end()) << tag;
        std::unique_ptr<CControlUI> control = CControlRegistry::Create(tag);
        ASSERT_NE(control, nullptr) << tag;
        EXPECT_EQ(std::wstring(control->GetClass()), std::wstring(tag) + L"UI");
    }
    for (const std::wstring& tag : tags) EXPECT_NE(CControlRegistry::Create(tag), nullptr) << tag;
    for (const wchar_t* unknown : {L"ActiveXCtrl", L"Bogus", L"button", L"ButtonUI", L"按钮", L""})
        EXPECT_EQ(CControlRegistry::Create(unknown), nullptr) << unknown;
}

TEST(DialogBuilderTest, ResourceTagsFillTheManager) {
    SkinFolder skin;
    skin.AddPng(L"dot.png", 2, 2, {0xFFFF0000, 0xFFFF0000, 0xFFFF00FF, 0xFFFF00FF});
    HostWindow host;
    CPaintManagerUI& manager = host.manager;
    auto root = Build(
        L"<Window>"
        L"<Image name=\"dot.png\" mask=\"#FFFF00FF\"/>"
        L"<Image name=\"missing.png\"/>"
        L"<Font name=\"Arial\" size=\"10\"/>"
        L"<Font size=\"30\"/>"
        L"<Font name=\"宋体\" size=\"12\" default=\"true\"/>"
        L"<Font name=\"Arial\" size=\"16\" bold=\"true\" underline=\"TRUE\" italic=\"true\"/>"
        L"<Default name=\"Control\" value=\"height=&quot;30&quot;\"/>"
        L"<Default name=\"Control\" value=\"height=&quot;99&quot;\"/>"
        L"<VerticalLayout/></Window>",
        &manager);
    ASSERT_NE(root, nullptr);

    const TImageInfo* image = manager.GetImage(L"dot.png");
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(image->alpha);
    EXPECT_EQ(image->mask, 0xFFFF00FFu);
    EXPECT_EQ(manager.GetImage(L"missing.png"), nullptr);

    // The font without a face adds nothing, so the next one still gets index 1.
    ASSERT_EQ(manager.FontCount(), 3);
    EXPECT_EQ(manager.GetFontInfo(0).size, 10);
    EXPECT_EQ(manager.GetFontInfo(1).faceName, L"宋体");
    EXPECT_EQ(manager.GetFontInfo(1).size, 12);
    const TFontInfo& styled = manager.GetFontInfo(2);
    EXPECT_TRUE(styled.bold);
    EXPECT_FALSE(styled.underline);  // only the exact text "true" counts
    EXPECT_TRUE(styled.italic);
    EXPECT_EQ(manager.GetDefaultFontInfo().faceName, L"宋体");
    EXPECT_EQ(manager.GetDefaultFontInfo().size, 12);

    // The first default list for a tag stays.
    EXPECT_EQ(manager.GetDefaultAttributeList(L"Control"), L"height=\"30\"");
}

TEST(DialogBuilderTest, DefaultListComesBeforeTheElementsOwnAttributes) {
    HostWindow host;
    auto root = Build(
        L"<Window><Default name=\"Control\" value=\"width=&quot;40&quot; bkcolor=&quot;#FF00FF00&quot;\"/>"
        L"<VerticalLayout><Control name=\"own\" width=\"60\" width=\"70\"/><Control name=\"plain\"/>"
        L"</VerticalLayout></Window>",
        &host.manager);
    CContainerUI* layout = AsContainer(root.get());
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->GetCount(), 2);
    // A repeated attribute is applied each time; the last one wins.
    EXPECT_EQ(layout->GetItemAt(0)->GetFixedWidth(), 70);
    EXPECT_EQ(layout->GetItemAt(0)->GetBkColor(), 0xFF00FF00u);
    EXPECT_EQ(layout->GetItemAt(1)->GetFixedWidth(), 40);
    // Built controls are handed over without a manager: attaching the tree gives them one.
    EXPECT_EQ(layout->GetItemAt(0)->GetManager(), nullptr);
    EXPECT_EQ(layout->GetItemAt(0)->GetParent(), layout);
}

TEST(DialogBuilderTest, WindowAttributesSetTheManagerAndResizeFirst) {
    HostWindow host;
    CPaintManagerUI& manager = host.manager;
    Callback callback(host.Get());
    auto root = Build(
        L"<Window size=\"300,170\" sizebox=\"4,4,6,6\" caption=\"0,0,0,90\" roundcorner=\"5 5\" mininfo=\"200,100\""
        L" maxinfo=\"800,600\" showdirty=\"true\" alpha=\"200\" bktrans=\"true\" disabledfontcolor=\"#FF111111\""
        L" defaultfontcolor=\"FF222222\" linkfontcolor=\"#FF333333\" linkhoverfontcolor=\"#FF444444\""
        L" selectedcolor=\"#FF555555\">"
        L"<Probe/></Window>",
        &manager, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(callback.sizeAtCreation.cx, 300);
    EXPECT_EQ(callback.sizeAtCreation.cy, 170);
    EXPECT_EQ(manager.GetInitSize().cx, 300);
    RECT sizeBox = manager.GetSizeBox();
    EXPECT_EQ(sizeBox.left + sizeBox.top + sizeBox.right + sizeBox.bottom, 20);
    EXPECT_EQ(manager.GetCaptionRect().bottom, 90);
    EXPECT_EQ(manager.GetRoundCorner().cx, 5);
    EXPECT_EQ(manager.GetRoundCorner().cy, 5);
    EXPECT_EQ(manager.GetMinInfo().cx, 200);
    EXPECT_EQ(manager.GetMaxInfo().cy, 600);
    EXPECT_TRUE(manager.IsShowUpdateRect());
    EXPECT_EQ(manager.GetTransparent(), 200);
    EXPECT_NE(::GetWindowLongW(host.Get(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_TRUE(manager.IsBackgroundTransparent());
    EXPECT_EQ(manager.GetDefaultDisabledColor(), 0xFF111111u);
    EXPECT_EQ(manager.GetDefaultFontColor(), 0xFF222222u);
    EXPECT_EQ(manager.GetDefaultLinkFontColor(), 0xFF333333u);
    EXPECT_EQ(manager.GetDefaultLinkHoverFontColor(), 0xFF444444u);
    EXPECT_EQ(manager.GetDefaultSelectedBkColor(), 0xFF555555u);
}

TEST(DialogBuilderTest, WindowAttributesNeedAWindowRootAndAWindow) {
    HostWindow host;
    Build(L"<Layout caption=\"0,0,0,50\"><Control/></Layout>", &host.manager);
    EXPECT_EQ(host.manager.GetCaptionRect().bottom, 0);
    CPaintManagerUI windowless;
    EXPECT_NE(Build(L"<Window size=\"300,170\"><Control/></Window>", &windowless), nullptr);
    EXPECT_EQ(windowless.GetInitSize().cx, 0);

    // With a root attached the window keeps its size; the size is still remembered.
    host.manager.AttachDialog(std::make_unique<CVerticalLayoutUI>());
    Build(L"<Window size=\"333,222\"><Control/></Window>", &host.manager);
    EXPECT_EQ(host.Size().cx, 120);
    EXPECT_EQ(host.manager.GetInitSize().cx, 333);
}

// Whether the shell still has the icon: modifying an icon it does not have fails.
bool TrayHasIcon(HWND window, UINT id) {
    NOTIFYICONDATAW record{};
    record.cbSize = NOTIFYICONDATAW_V2_SIZE;
    record.hWnd = window;
    record.uID = id;
    record.uFlags = NIF_TIP;
    lstrcpynW(record.szTip, L"probe", ARRAYSIZE(record.szTip));
    return ::Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

TEST(DialogBuilderTest, TrayIconLivesAsLongAsTheManager) {
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    HostWindow host;
    auto manager = std::make_unique<CPaintManagerUI>();
    manager->Init(host.Get());
    Build(L"<Window traytiptext=\"Ludora\" trayiconid=\"101\"><Control/></Window>", manager.get());
    const CTrayIcon& icon = manager->GetTrayIcon();
    EXPECT_FALSE(icon.IsShown()) << "the shell is asked when the window's timer comes";
    MSG msg;
    LRESULT result = 0;
    for (DWORD giveUp = ::GetTickCount() + 2000; !icon.IsShown() && ::GetTickCount() < giveUp;) {
        if (::PeekMessageW(&msg, host.Get(), WM_TIMER, WM_TIMER, PM_REMOVE))
            manager->MessageHandler(msg.message, msg.wParam, msg.lParam, result);
        else
            ::Sleep(1);
    }
    EXPECT_TRUE(icon.IsShown());
    EXPECT_EQ(icon.GetId(), 101u);
    EXPECT_EQ(icon.GetTip(), L"Ludora");
    EXPECT_TRUE(TrayHasIcon(host.Get(), 101));
    manager.reset();
    EXPECT_FALSE(TrayHasIcon(host.Get(), 101));

    // No icon for an id below 1 or one the program does not have.
    CPaintManagerUI other;
    other.Init(host.Get());
    Build(L"<Window trayiconid=\"0\"><Control/></Window>", &other);
    EXPECT_FALSE(other.GetTrayIcon().IsShown());
    Build(L"<Window trayiconid=\"977\"><Control/></Window>", &other);
    EXPECT_FALSE(other.GetTrayIcon().IsShown());
}

TEST(DialogBuilderTest, UnknownTagsAreDroppedWithTheirSubtree) {
    HostWindow host;
    Callback callback;
    auto root = Build(
        L"<Window><VerticalLayout><Bogus><Control name=\"inner\"/></Bogus><Control name=\"kept\"/>"
        L"<Control name=\"leaf\"><Control name=\"orphan\"/></Control></VerticalLayout></Window>",
        &host.manager, &callback);
    CContainerUI* layout = AsContainer(root.get());
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->GetCount(), 2);
    EXPECT_EQ(layout->GetItemAt(0)->GetName(), L"kept");
    EXPECT_EQ(layout->GetItemAt(1)->GetName(), L"leaf");
    // The unknown tag was offered to the application; nothing below it was built or asked for.
    EXPECT_EQ(callback.asked, std::vector<std::wstring>{L"Bogus"});
    host.manager.AttachDialog(std::move(root));
    EXPECT_EQ(host.manager.FindControl(L"inner"), nullptr);
    EXPECT_EQ(host.manager.FindControl(L"orphan"), nullptr);
    EXPECT_NE(host.manager.FindControl(L"kept"), nullptr);
}

TEST(DialogBuilderTest, CallbackTagsBecomeControlsWithChildren) {
    HostWindow host;
    Callback callback;
    auto root = Build(L"<Window><Probe name=\"probe\"><Control name=\"a\"/><Control name=\"b\"/></Probe></Window>",
                      &host.manager, &callback);
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->GetClass(), L"ProbeUI");
    EXPECT_EQ(root->GetName(), L"probe");
    EXPECT_EQ(AsContainer(root.get())->GetCount(), 2);
}

TEST(DialogBuilderTest, BuildsIntoAParentAndStopsAtOneWithoutChildList) {
    CVerticalLayoutUI parent;
    CDialogBuilder builder;
    CControlUI* first = builder.CreateInto(&parent, CDialogBuilder::Layout(L"<Window><Control name=\"x\"/><Control/></Window>"),
                                           nullptr, nullptr, nullptr);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetName(), L"x");
    EXPECT_EQ(parent.GetCount(), 2);

    CControlUI leaf;
    EXPECT_EQ(builder.CreateInto(&leaf, CDialogBuilder::Layout(L"<Window><Control/></Window>"), nullptr, nullptr,
                                 nullptr),
              nullptr);
}

TEST(DialogBuilderTest, IncludeRepeatsTheIncludedChildren) {
    SkinFolder skin;
    std::wstring path = CPaintManagerUI::GetResourcePath();
    WriteFileBytes(path + L"item.xml",
                   "<Window size=\"1,1\"><Font name=\"Arial\" size=\"9\"/>"
                   "<Control name=\"row\" height=\"10\"/><Control height=\"5\"/></Window>");
    HostWindow host;
    auto root = Build(
        L"<Window><VerticalLayout><Include source=\"item.xml\" count=\"3\"/><Include source=\"item.xml\" count=\"0\"/>"
        L"<Include count=\"2\"/><Include/><Include source=\"nothing.xml\"/><Control name=\"last\"/></VerticalLayout>"
        L"</Window>",
        &host.manager);
    CContainerUI* layout = AsContainer(root.get());
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->GetCount(), 7);
    for (int i = 0; i < 6; i += 2) EXPECT_EQ(layout->GetItemAt(i)->GetName(), L"row");
    EXPECT_EQ(layout->GetItemAt(1)->GetFixedHeight(), 5);
    EXPECT_EQ(layout->GetItemAt(6)->GetName(), L"last");
    // The included layout's resource tags and window attributes count too, once per inclusion.
    EXPECT_EQ(host.manager.FontCount(), 3);
    EXPECT_EQ(host.manager.GetInitSize().cx, 1);
}

TEST(DialogBuilderTest, ALayoutThatIncludesItselfEnds) {
    SkinFolder skin;
    WriteFileBytes(CPaintManagerUI::GetResourcePath() + L"self.xml",
                   "<Window><Control/><Include source=\"self.xml\" count=\"2\"/></Window>");
    CVerticalLayoutUI parent;
    CDialogBuilder builder;
    builder.CreateInto(&parent, CDialogBuilder::Layout(L"self.xml"), nullptr, nullptr, nullptr);
    // Each level adds one control and includes two more levels, down to the nesting limit.
    EXPECT_EQ(parent.GetCount(), (1 << (CDialogBuilder::kMaxIncludeDepth + 1)) - 1);
}

TEST(DialogBuilderTest, ModuleLayoutsIncludeByResourceNumber) {
    HostWindow host;
    CDialogBuilder builder;
    auto root = builder.Create(CDialogBuilder::Layout(201u), L"xml", nullptr, &host.manager);
    CContainerUI* layout = AsContainer(root.get());
    ASSERT_NE(layout, nullptr);
    ASSERT_EQ(layout->GetCount(), 3);
    EXPECT_EQ(layout->GetItemAt(0)->GetName(), L"included");
    EXPECT_EQ(layout->GetItemAt(1)->GetName(), L"included");
    EXPECT_EQ(layout->GetItemAt(2)->GetName(), L"own");
    EXPECT_EQ(builder.Create(CDialogBuilder::Layout(999u), L"xml", nullptr, &host.manager), nullptr);
    EXPECT_EQ(builder.Create(CDialogBuilder::Layout(201u), nullptr, nullptr, &host.manager), nullptr);
}

TEST(DialogBuilderTest, FailedLoadsGiveNoTree) {
    SkinFolder skin;
    HostWindow host;
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create(CDialogBuilder::Layout(L"absent.xml"), nullptr, nullptr, &host.manager), nullptr);
    EXPECT_EQ(builder.Create(CDialogBuilder::Layout(L"<Window><Control></Window>"), nullptr, nullptr, &host.manager),
              nullptr);
    EXPECT_NE(std::wstring(builder.GetLastErrorMessage()), L"");
    EXPECT_EQ(builder.Create(CDialogBuilder::Layout(L"<Window/>"), nullptr, nullptr, &host.manager), nullptr);
    // A second top-level control has no owner and is not kept.
    auto first = builder.Create(CDialogBuilder::Layout(L"<Window><Control name=\"1\"/><Control name=\"2\"/></Window>"),
                                nullptr, nullptr, &host.manager);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetName(), L"1");
}

TEST(DialogBuilderTest, MutatedLayoutsNeverCrash) {
    SkinFolder skin;
    WriteFileBytes(CPaintManagerUI::GetResourcePath() + L"part.xml", "<Window><Control/></Window>");
    const std::string layout =
        "<Window size=\"200,100\" caption=\"0,0,0,30\" roundcorner=\"4,4\" mininfo=\"10,10\">"
        "<Font name=\"Arial\" size=\"12\" default=\"true\"/><Image name=\"x.png\" mask=\"#FFFF00FF\"/>"
        "<Default name=\"Control\" value=\"width=&quot;4&quot;\"/>"
        "<VerticalLayout inset=\"1,2,3,4\" bkcolor=\"#FF102030\"><HorizontalLayout height=\"20\">"
        "<Control name=\"a\" width=\"10\"/><Include source=\"part.xml\" count=\"2\"/></HorizontalLayout>"
        "<TabLayout selectedid=\"0\"><Container/><Control/></TabLayout></VerticalLayout></Window>";
    SkinFixtures::Mutator mutator(20240611);
    HostWindow host;
    for (int i = 0; i < 300; ++i) {
        std::string mutated = mutator.Mutate(layout);
        std::vector<uint8_t> bytes(mutated.begin(), mutated.end());
        CDialogBuilder builder;
        if (!builder.GetMarkup().LoadFromMem(bytes.data(), bytes.size())) continue;
        CPaintManagerUI manager;
        manager.Init(host.Get());
        manager.AttachDialog(builder.Create(nullptr, &manager));
    }
    SUCCEED();
}

}  // namespace
