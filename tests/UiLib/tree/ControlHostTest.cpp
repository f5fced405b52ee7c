#include "UiLib/tree/ControlHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "UiLib/Utils/StringMap.h"
#include "UiLib/controls/UIButton.h"
#include "UiLib/controls/UILabel.h"
#include "UiLib/controls/UIOption.h"
#include "UiLib/layouts/UITabLayout.h"
#include "UiLib/layouts/UIVerticalLayout.h"
#include "UiLib/render/SkinResources.h"

using namespace UiLib;

namespace {

// A host without any window: it keeps what the controls hand it and records what they ask.
class FakeHost : public CControlHost {
public:
    struct Sent {
        CControlUI* sender;
        std::wstring type;
    };

    HWND GetPaintWindow() const override { return nullptr; }
    void Invalidate(const RECT&) override { ++invalidations; }
    void NeedUpdate() override { ++layoutRequests; }
    CSkinResources& GetResources() override { return *resources; }

    bool InitControls(CControlUI* control, CControlUI* parent = nullptr) override {
        control->SetManager(this, parent ? parent : control->GetParent(), true);
        if (!control->GetName().empty()) names.Set(control->GetName(), control);
        return true;
    }
    void ReapObjects(CControlUI* control) override { reaped.push_back(control); }
    void AddDelayedCleanup(std::unique_ptr<CControlUI> control) override { doomed.push_back(std::move(control)); }
    CControlUI* FindControl(const std::wstring& name) override {
        CControlUI** entry = names.Find(name);
        return entry ? *entry : nullptr;
    }

    CControlUI* GetFocus() const override { return focus; }
    void SetFocus(CControlUI* control) override { focus = control; }
    bool SetNextTabControl(bool = true) override { return true; }

    bool SetTimer(CControlUI*, UINT, UINT) override { return false; }
    bool KillTimer(CControlUI*, UINT) override { return false; }

    bool AddOptionGroup(const std::wstring& group, CControlUI* option) override {
        if (!groups.Find(group)) groups.Insert(group, CPtrArray<CControlUI*>());
        groups.Find(group)->Add(option);
        return true;
    }
    const CPtrArray<CControlUI*>* GetOptionGroup(const std::wstring& group) override { return groups.Find(group); }
    void RemoveOptionGroup(const std::wstring& group, CControlUI* option) override {
        if (CPtrArray<CControlUI*>* members = groups.Find(group)) members->TakeAt(members->IndexOf(option));
    }

    bool AddPreMessageFilter(IMessageFilterUI*) override { return false; }
    bool RemovePreMessageFilter(IMessageFilterUI*) override { return false; }
    bool AddMessageFilter(IMessageFilterUI*) override { return false; }
    bool RemoveMessageFilter(IMessageFilterUI*) override { return false; }
    bool AddTranslateAccelerator(ITranslateAccelerator*) override { return false; }
    bool RemoveTranslateAccelerator(ITranslateAccelerator*) override { return false; }

    void SendNotify(CControlUI* sender, const wchar_t* type, WPARAM = 0, LPARAM = 0, bool = false) override {
        sent.push_back(Sent{sender, type});
    }
    void SendNotify(UiNotify& msg, bool = false) override { sent.push_back(Sent{msg.pSender, msg.sType}); }
    void UsedVirtualWnd(bool) override {}
    POINT GetMousePos() const override { return POINT{-1, -1}; }
    void RunSoon(std::function<void()> task) override { task(); }

    int Count(const wchar_t* type) const {
        int count = 0;
        for (const Sent& message : sent) count += message.type == type;
        return count;
    }

    std::shared_ptr<CSkinResources> resources = std::make_shared<CSkinResources>();
    CStringMap<CControlUI*> names;
    CStringMap<CPtrArray<CControlUI*>> groups;
    std::vector<Sent> sent;
    std::vector<CControlUI*> reaped;
    std::vector<std::unique_ptr<CControlUI>> doomed;
    CControlUI* focus = nullptr;
    int invalidations = 0;
    int layoutRequests = 0;
};

template <typename Control>
Control* AddTo(CContainerUI& parent, const wchar_t* attributes) {
    auto control = std::make_unique<Control>();
    control->ApplyAttributeList(attributes);
    Control* raw = control.get();
    parent.Add(std::move(control));
    return raw;
}

// The controls and layouts need nothing of a window but what the host offers: they click, select,
// switch tabs, measure with the skin's fonts and hand themselves over when they go.
TEST(ControlHost, ControlsLiveInAHostWithoutAWindow) {
    FakeHost host;
    host.GetResources().AddFont(L"Arial", 30, false, false, false);
    auto root = std::make_unique<CVerticalLayoutUI>();
    host.InitControls(root.get());
    auto* tabs = AddTo<CTabLayoutUI>(*root, L"name=\"tabs\"");
    AddTo<CControlUI>(*tabs, L"");
    AddTo<CControlUI>(*tabs, L"");
    auto* button = AddTo<CButtonUI>(*root, L"bindtablayoutname=\"tabs\" bindtabindex=\"1\"");
    auto* first = AddTo<COptionUI>(*root, L"group=\"g\"");
    auto* second = AddTo<COptionUI>(*root, L"group=\"g\"");
    auto* label = AddTo<CLabelUI>(*root, L"font=\"0\"");
    ASSERT_EQ(button->GetManager(), &host);
    root->SetPos(RECT{0, 0, 200, 300});

    EXPECT_TRUE(button->Activate());
    EXPECT_EQ(host.Count(L"click"), 1);
    EXPECT_EQ(tabs->GetCurSel(), 1) << "the button found its tab through the host";
    EXPECT_EQ(host.Count(L"tabselect"), 1);

    first->Activate();
    second->Activate();
    EXPECT_FALSE(first->IsSelected()) << "the host's option group deselects the other";
    EXPECT_TRUE(second->IsSelected());
    EXPECT_EQ(host.Count(L"selectchanged"), 2);

    const int invalidations = host.invalidations;
    button->SetText(L"go");
    EXPECT_GT(host.invalidations, invalidations);
    EXPECT_EQ(label->EstimateSize(SIZE{100, 100}).cy, host.GetResources().GetFontInfo(0).tm.tmHeight + 4)
        << "the label measures with the skin's font";

    root->Remove(button);
    EXPECT_NE(std::find(host.reaped.begin(), host.reaped.end(), button), host.reaped.end());
}

}  // namespace
