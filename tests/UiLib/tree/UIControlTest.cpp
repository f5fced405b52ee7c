#include "UiLib/tree/UIControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "UiLib/core/UIManager.h"
#include "UiLib/layouts/UIVerticalLayout.h"
#include "tests/UiLib/core/SkinFixtures.h"
#include "tests/UiLib/support/SkinFolder.h"
#include "tests/UiLib/support/TestCanvas.h"

using namespace UiLib;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kBlack = 0x000000;

class Recorder : public INotifyUI {
public:
    void Notify(UiNotify& msg) override { received.push_back(msg); }
    std::vector<UiNotify> received;
};

// A control that records the events that reach DoEvent.
class EventProbe : public CControlUI {
public:
    void DoEvent(UiEvent& event) override {
        seen.push_back(event.Type);
        CControlUI::DoEvent(event);
    }
    std::vector<uint32_t> seen;
};

class Subscriber {
public:
    explicit Subscriber(bool answer) : answer_(answer) {}
    bool OnEvent(void*) {
        ++calls;
        return answer_;
    }
    int calls = 0;

private:
    bool answer_;
};

UiEvent MakeEvent(uint32_t type, WPARAM wParam = 0, LPARAM lParam = 0) {
    UiEvent event;
    event.Type = type;
    event.wParam = wParam;
    event.lParam = lParam;
    return event;
}

// A window-less manager with a vertical layout root.
class ControlTest : public ::testing::Test {
protected:
    ControlTest() {
        auto owned = std::make_unique<CVerticalLayoutUI>();
        root = owned.get();
        manager.AttachDialog(std::move(owned));
        manager.AddNotifier(&recorder);
    }

    template <typename Control = CControlUI>
    Control* Add(const std::wstring& attributes = std::wstring()) {
        auto child = std::make_unique<Control>();
        child->ApplyAttributeList(attributes);
        Control* raw = child.get();
        root->Add(std::move(child));
        return raw;
    }

    CPaintManagerUI manager;
    Recorder recorder;
    CVerticalLayoutUI* root;
};

}  // namespace

TEST(ControlAttributes, PosSetsFloatPositionAndSkipsNegativeSizes) {
    CControlUI control;
    control.SetAttribute(L"pos", L"12,3,0,0");
    control.SetAttribute(L"width", L"92");
    control.SetAttribute(L"height", L"21");
    EXPECT_EQ(control.GetFixedXY().cx, 12);
    EXPECT_EQ(control.GetFixedXY().cy, 3);
    EXPECT_EQ(control.GetFixedWidth(), 92);
    EXPECT_EQ(control.GetFixedHeight(), 21);

    control.SetAttribute(L"pos", L"-40,-30,-10,-5");
    EXPECT_EQ(control.GetFixedXY().cx, -10) << "a negative left counts from the right";
    EXPECT_EQ(control.GetFixedXY().cy, -5);
    EXPECT_EQ(control.GetFixedWidth(), 30);
    EXPECT_EQ(control.GetFixedHeight(), 25);

    control.SetAttribute(L"width", L"-4");
    EXPECT_EQ(control.GetFixedWidth(), 30) << "negative sizes are ignored";
}

TEST(ControlAttributes, ValuesFollowTheLayoutConventions) {
    CControlUI control;
    control.SetAttribute(L"bkcolor", L"#FF000000");
    EXPECT_EQ(control.GetBkColor(), 0xFF000000u);
    control.SetAttribute(L"bkcolor2", L"80FF0000");
    EXPECT_EQ(control.GetBkColor2(), 0x80FF0000u) << "the # may be left out";
    control.SetAttribute(L"padding", L"1 2 3 4");
    EXPECT_EQ(control.GetPadding().bottom, 4) << "any one separator character";

    control.SetAttribute(L"visible", L"True");
    EXPECT_FALSE(control.IsVisible()) << "only the exact text true is true";
    control.SetAttribute(L"visible", L"true");
    EXPECT_TRUE(control.IsVisible());
    control.SetAttribute(L"Visible", L"false");
    EXPECT_TRUE(control.IsVisible()) << "names are case-sensitive; unknown ones are ignored";

    control.SetAttribute(L"bordersize", L"1");
    EXPECT_EQ(control.GetBorderSize(), 1);
    EXPECT_EQ(control.GetBorderSizes().top, 0);
    control.SetAttribute(L"bordersize", L"0,1,0,1");
    EXPECT_EQ(control.GetBorderSizes().top, 1);
    EXPECT_EQ(control.GetBorderSizes().bottom, 1);
    EXPECT_EQ(control.GetBorderSizes().left, 0);
    control.SetAttribute(L"leftbordersize", L"3");
    control.SetAttribute(L"rightbordersize", L"-1");
    EXPECT_EQ(control.GetBorderSizes().left, 3);
    EXPECT_EQ(control.GetBorderSizes().right, 0);

    control.SetAttribute(L"shortcut", L"Fx");
    EXPECT_EQ(control.GetShortcut(), L'F');
    control.SetAttribute(L"random", L"true");
    EXPECT_TRUE(control.IsIrregular());
    control.SetAttribute(L"menu", L"true");
    EXPECT_TRUE(control.IsContextMenuUsed());
    control.SetAttribute(L"userdata", L"C:\\game.exe,uninst.exe");
    EXPECT_EQ(control.GetUserData(), L"C:\\game.exe,uninst.exe");
}

TEST(ControlAttributes, AttributeListStopsAtTheFirstDeviation) {
    CControlUI control;
    control.ApplyAttributeList(L"name=\"a\" text=\"b c\" tooltip=\"d\"");
    EXPECT_EQ(control.GetName(), L"a");
    EXPECT_EQ(control.GetText(), L"b c");
    EXPECT_EQ(control.GetToolTip(), L"d");

    CControlUI twoBlanks;
    twoBlanks.ApplyAttributeList(L"name=\"a\"  text=\"b\"");
    EXPECT_EQ(twoBlanks.GetName(), L"a");
    EXPECT_EQ(twoBlanks.GetText(), L"");

    CControlUI unquoted;
    unquoted.ApplyAttributeList(L"name=a text=\"b\"");
    EXPECT_EQ(unquoted.GetName(), L"");

    CControlUI unterminated;
    unterminated.ApplyAttributeList(L"name=\"a\" text=\"b");
    EXPECT_EQ(unterminated.GetName(), L"a");
    EXPECT_EQ(unterminated.GetText(), L"");

    CControlUI imageValue;
    imageValue.ApplyAttributeList(L"bkimage=\"file='a.png' corner='2,2,2,2'\" name=\"n\"");
    EXPECT_EQ(imageValue.GetBkImage(), L"file='a.png' corner='2,2,2,2'");
    EXPECT_EQ(imageValue.GetName(), L"n");
}

TEST_F(ControlTest, NamesAreMappedAndForgottenWithTheirControls) {
    CControlUI* first = Add(L"name=\"btn\"");
    EXPECT_EQ(manager.FindControl(L"btn"), first);
    EXPECT_EQ(manager.FindControl(L"BTN"), nullptr) << "names are case-sensitive";
    CControlUI* second = Add(L"name=\"btn\"");
    EXPECT_EQ(manager.FindControl(L"btn"), second) << "a later control with the same name wins";
    EXPECT_EQ(manager.FindSubControlByName(root, L"BTN"), first) << "sub-control search ignores case";

    root->Remove(second);
    EXPECT_EQ(manager.FindControl(L"btn"), nullptr) << "a destroyed control leaves the map";
}

TEST_F(ControlTest, RemovedChildrenWaitForTheDelayedCleanUp) {
    Add(L"name=\"x\"");
    root->RemoveAll();
    EXPECT_EQ(root->GetCount(), 0);
    EXPECT_EQ(manager.DelayedCleanupCount(), 1u);
    manager.RunDelayedCleanup();
    EXPECT_EQ(manager.DelayedCleanupCount(), 0u);
}

TEST_F(ControlTest, HidingOrDestroyingTheFocusedControlClearsTheFocus) {
    CControlUI* control = Add();
    control->SetFocus();
    EXPECT_EQ(manager.GetFocus(), control);
    EXPECT_TRUE(control->IsFocused());
    control->SetVisible(false);
    EXPECT_EQ(manager.GetFocus(), nullptr);
    EXPECT_FALSE(control->IsFocused());

    control->SetVisible(true);
    control->SetEnabled(false);
    control->SetFocus();
    EXPECT_EQ(manager.GetFocus(), nullptr) << "a disabled control takes no focus";

    control->SetEnabled(true);
    control->SetFocus();
    root->Remove(control);
    EXPECT_EQ(manager.GetFocus(), nullptr);
}

TEST_F(ControlTest, FocusMovesWithEventsAndNotifications) {
    auto* first = Add<EventProbe>();
    auto* second = Add<EventProbe>();
    manager.SetFocus(first);
    manager.SetFocus(second);
    EXPECT_EQ(first->seen, (std::vector<uint32_t>{UIEVENT_SETFOCUS, UIEVENT_KILLFOCUS}));
    EXPECT_FALSE(first->IsFocused());
    EXPECT_TRUE(second->IsFocused());
    ASSERT_EQ(recorder.received.size(), 3u);
    EXPECT_EQ(recorder.received[1].sType, L"killfocus");
    EXPECT_EQ(recorder.received[1].pSender, first);
    EXPECT_EQ(recorder.received[2].sType, L"setfocus");
}

TEST_F(ControlTest, ContainerVisibilityReachesItsChildren) {
    auto inner = std::make_unique<CVerticalLayoutUI>();
    CVerticalLayoutUI* box = inner.get();
    root->Add(std::move(inner));
    auto leaf = std::make_unique<CControlUI>();
    CControlUI* child = leaf.get();
    box->Add(std::move(leaf));
    box->SetVisible(false);
    EXPECT_FALSE(child->IsVisible());
    box->SetVisible(true);
    EXPECT_TRUE(child->IsVisible());

    box->SetVisible(false);
    auto late = std::make_unique<CControlUI>();
    CControlUI* lateChild = late.get();
    box->Add(std::move(late));
    EXPECT_FALSE(lateChild->IsVisible()) << "a child added to a hidden container is hidden";
}

TEST_F(ControlTest, EventSubscribersCanConsumeEvents) {
    auto* control = Add<EventProbe>();
    Subscriber refusing(false);
    control->OnEvent += MakeDelegate(&refusing, &Subscriber::OnEvent);
    UiEvent focus = MakeEvent(UIEVENT_SETFOCUS);
    control->Event(focus);
    EXPECT_EQ(refusing.calls, 1);
    EXPECT_TRUE(control->seen.empty());
    EXPECT_FALSE(control->IsFocused());

    control->OnEvent -= MakeDelegate(&refusing, &Subscriber::OnEvent);
    Subscriber agreeing(true);
    control->OnEvent += MakeDelegate(&agreeing, &Subscriber::OnEvent);
    control->OnEvent += MakeDelegate(&agreeing, &Subscriber::OnEvent);
    EXPECT_EQ(control->OnEvent.Count(), 1u) << "one subscription per function and object";
    control->Event(focus);
    EXPECT_EQ(control->seen, (std::vector<uint32_t>{UIEVENT_SETFOCUS}));
    EXPECT_TRUE(control->IsFocused());
}

TEST_F(ControlTest, TimerContextMenuAndUnhandledEvents) {
    auto* control = Add<EventProbe>();
    UiEvent timer = MakeEvent(UIEVENT_TIMER, 7, 9);
    control->Event(timer);
    ASSERT_EQ(recorder.received.size(), 1u);
    EXPECT_EQ(recorder.received[0].sType, L"timer");
    EXPECT_EQ(recorder.received[0].wParam, 7u);

    recorder.received.clear();
    UiEvent menu = MakeEvent(UIEVENT_CONTEXTMENU, 1, 2);
    control->Event(menu);
    EXPECT_TRUE(recorder.received.empty()) << "no menu without the flag";
    root->SetContextMenuUsed(true);
    control->Event(menu);
    ASSERT_EQ(recorder.received.size(), 1u) << "the unhandled event went up to the parent";
    EXPECT_EQ(recorder.received[0].sType, L"menu");
    EXPECT_EQ(recorder.received[0].pSender, root);

    recorder.received.clear();
    control->SetContextMenuUsed(true);
    control->Event(menu);
    ASSERT_EQ(recorder.received.size(), 1u);
    EXPECT_EQ(recorder.received[0].pSender, control);
    EXPECT_EQ(recorder.received[0].lParam, 2);
}

TEST_F(ControlTest, NotifySubscribersAndTheQueue) {
    CControlUI* control = Add();
    Subscriber agreeing(true);
    control->OnNotify += MakeDelegate(&agreeing, &Subscriber::OnEvent);
    manager.SendNotify(control, L"click");
    EXPECT_EQ(agreeing.calls, 1);
    EXPECT_TRUE(recorder.received.empty()) << "subscribers that all agree consume the notification";

    control->OnNotify -= MakeDelegate(&agreeing, &Subscriber::OnEvent);
    manager.SendNotify(control, L"click", 1, 2, true);
    EXPECT_TRUE(recorder.received.empty()) << "queued, not yet delivered";
    CControlUI* doomed = Add();
    manager.SendNotify(doomed, L"click", 0, 0, true);
    root->Remove(doomed);
    manager.DeliverQueuedNotifications();
    ASSERT_EQ(recorder.received.size(), 1u) << "a destroyed sender's notifications are dropped";
    EXPECT_EQ(recorder.received[0].wParam, 1u);
}

TEST_F(ControlTest, HitTestingHonoursMouseFlagsAndFloatChildren) {
    CControlUI* top = Add(L"height=\"50\"");
    CControlUI* bottom = Add(L"height=\"50\" mouse=\"false\"");
    CControlUI* floating = Add(L"float=\"true\" pos=\"0,0,20,20\"");
    root->SetPos(RECT{0, 0, 100, 100});
    EXPECT_EQ(manager.FindControl(POINT{50, 25}), top);
    EXPECT_EQ(manager.FindControl(POINT{5, 5}), floating) << "the topmost child first";
    EXPECT_EQ(manager.FindControl(POINT{50, 75}), root) << "a child with the mouse off is skipped";
    root->SetMouseChildEnabled(false);
    EXPECT_EQ(manager.FindControl(POINT{50, 25}), root);
    EXPECT_EQ(manager.FindControl(POINT{500, 25}), nullptr);
    (void)bottom;
}

TEST_F(ControlTest, FloatControlRecordsItsPositionRelativeToTheParent) {
    CControlUI* control = Add(L"float=\"true\" pos=\"-30,5,-10,25\"");
    root->SetPos(RECT{100, 100, 300, 200});
    control->SetPos(RECT{250, 120, 280, 150});
    EXPECT_EQ(control->GetFixedXY().cx, -20) << "still counted from the right edge";
    EXPECT_EQ(control->GetFixedXY().cy, 20);
    EXPECT_EQ(control->GetFixedWidth(), 30);
    EXPECT_EQ(control->GetFixedHeight(), 30);
}

TEST_F(ControlTest, SizeSubscribersRunOnEveryPositionChange) {
    CControlUI* control = Add();
    Subscriber sized(true);
    control->OnSize += MakeDelegate(&sized, &Subscriber::OnEvent);
    root->SetPos(RECT{0, 0, 10, 10});
    EXPECT_EQ(sized.calls, 1);
    control->SetPos(RECT{0, 0, 5, -5});
    EXPECT_EQ(control->GetPos().bottom, 0) << "bottom is clamped to top";
}

TEST_F(ControlTest, TabStopsWrapForwardAndStopBackward) {
    class TabStop : public CControlUI {
    public:
        UINT GetControlFlags() const override { return UIFLAG_TABSTOP; }
    };
    CControlUI* first = Add<TabStop>();
    Add();
    CControlUI* last = Add<TabStop>();
    manager.UpdateLayout(RECT{0, 0, 100, 100});
    manager.SetNextTabControl(true);
    EXPECT_EQ(manager.GetFocus(), first);
    manager.SetNextTabControl(true);
    EXPECT_EQ(manager.GetFocus(), last);
    manager.SetNextTabControl(true);
    EXPECT_EQ(manager.GetFocus(), first) << "wraps to the first";
    manager.SetNextTabControl(false);
    EXPECT_EQ(manager.GetFocus(), first) << "nothing precedes the first";
}

TEST_F(ControlTest, FirstLayoutSendsWindowInitOnce) {
    manager.UpdateLayout(RECT{0, 0, 50, 50});
    EXPECT_EQ(root->GetPos().right, 50);
    manager.NeedUpdate();
    manager.UpdateLayout(RECT{0, 0, 50, 50});
    int inits = 0;
    for (const UiNotify& msg : recorder.received) inits += msg.sType == L"windowinit";
    EXPECT_EQ(inits, 1);
}

class ControlPaint : public ControlTest {
protected:
    TestCanvas canvas{40, 40};
};

TEST_F(ControlPaint, OpaqueBackgroundFillsOnlyThePaintArea) {
    CControlUI control;
    control.SetPos(RECT{0, 0, 40, 40});
    control.SetBkColor(0xFFFF0000);
    control.DoPaint(canvas.DC(), RECT{0, 0, 20, 20});
    EXPECT_EQ(canvas.Rgb(10, 10), kRed);
    EXPECT_EQ(canvas.Rgb(30, 30), kWhite);
}

TEST_F(ControlPaint, TranslucentBackgroundBlendsOverTheWholePosition) {
    CControlUI control;
    control.SetPos(RECT{0, 0, 40, 40});
    control.SetBkColor(0x80FF0000);
    control.DoPaint(canvas.DC(), RECT{0, 0, 20, 20});
    EXPECT_TRUE(NearRgb(canvas.Rgb(10, 10), 0xFF7F7F));
    EXPECT_TRUE(NearRgb(canvas.Rgb(30, 30), 0xFF7F7F));
}

TEST_F(ControlPaint, BackgroundGradientsWithTwoAndThreeColours) {
    CControlUI control;
    control.SetPos(RECT{0, 0, 40, 40});
    control.ApplyAttributeList(L"bkcolor=\"#FF000000\" bkcolor2=\"#FFFFFFFF\" bkcolor3=\"#FF000000\"");
    control.DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_LT(canvas.Rgb(5, 1) & 0xFF, 0x30u);
    EXPECT_GT(canvas.Rgb(5, 19) & 0xFF, 0xC0u) << "the middle reaches the second colour";
    EXPECT_LT(canvas.Rgb(5, 38) & 0xFF, 0x30u);
}

TEST_F(ControlPaint, BordersFromOneSizeOrPerSide) {
    CControlUI boxed;
    boxed.SetPos(RECT{0, 0, 40, 40});
    boxed.ApplyAttributeList(L"bordercolor=\"#FF000000\" bordersize=\"1\"");
    boxed.DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_EQ(canvas.Rgb(0, 20), kBlack);
    EXPECT_EQ(canvas.Rgb(39, 20), kBlack);
    EXPECT_EQ(canvas.Rgb(20, 39), kBlack);
    EXPECT_EQ(canvas.Rgb(20, 20), kWhite);

    canvas.Fill(kWhite);
    CControlUI lines;
    lines.SetPos(RECT{0, 0, 40, 40});
    lines.ApplyAttributeList(L"bordercolor=\"#FF000000\" bordersize=\"0,1,0,1\"");
    lines.DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_EQ(canvas.Rgb(20, 0), kBlack);
    EXPECT_EQ(canvas.Rgb(20, 39), kBlack) << "the bottom line lies inside the control";
    EXPECT_EQ(canvas.Rgb(0, 20), kWhite);
    EXPECT_EQ(canvas.Rgb(39, 20), kWhite);
}

TEST_F(ControlPaint, FocusBorderReplacesTheBorderWhileFocused) {
    CControlUI* control = Add(L"bordercolor=\"#FF000000\" focusbordercolor=\"#FFFF0000\" bordersize=\"2\"");
    root->SetPos(RECT{0, 0, 40, 40});
    control->SetFocus();
    control->DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_EQ(canvas.Rgb(1, 20), kRed);
    manager.SetFocus(nullptr);
    control->DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_EQ(canvas.Rgb(1, 20), kBlack);
}

TEST_F(ControlPaint, RoundedBorderClipsTheBackground) {
    CControlUI control;
    control.SetPos(RECT{0, 0, 40, 40});
    control.ApplyAttributeList(L"bkcolor=\"#FFFF0000\" borderround=\"16,16\"");
    control.DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_EQ(canvas.Rgb(0, 0), kWhite);
    EXPECT_EQ(canvas.Rgb(20, 20), kRed);
}

TEST_F(ControlPaint, BackgroundImageThatFailsIsCleared) {
    SkinFolder skin;
    skin.AddPng(L"bk.png", 1, 1, {0xFF0000FF});
    CControlUI* control = Add(L"bkimage=\"missing.png\"");
    CControlUI* pictured = Add(L"bkimage=\"file='bk.png'\"");
    root->SetPos(RECT{0, 0, 40, 40});
    root->DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_EQ(control->GetBkImage(), L"");
    EXPECT_EQ(canvas.Rgb(20, 30), 0x0000FFu);
    EXPECT_EQ(pictured->GetBkImage(), L"file='bk.png'");
}

TEST_F(ControlPaint, IrregularControlsHitOnlyTheirNonBlackPixels) {
    SkinFolder skin;
    std::vector<uint32_t> shape(16, 0xFF000000);
    shape[5] = 0xFFFF0000;  // (1, 1)
    skin.AddPng(L"shape.png", 4, 4, shape);
    CControlUI* control = Add(L"bkimage=\"shape.png\" random=\"true\"");
    root->SetPos(RECT{10, 10, 14, 14});
    root->DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_EQ(manager.FindControl(POINT{11, 11}), control);
    EXPECT_EQ(manager.FindControl(POINT{12, 12}), root);
}

TEST_F(ControlPaint, ContainerClipsChildrenToItsInset) {
    CControlUI* child = Add(L"bkcolor=\"#FFFF0000\"");
    root->ApplyAttributeList(L"inset=\"5,5,5,5\" bkcolor=\"#FF000000\"");
    CControlUI* floating = Add(L"float=\"true\" pos=\"0,0,3,3\" bkcolor=\"#FF0000FF\"");
    root->SetPos(RECT{0, 0, 40, 40});
    child->SetPos(RECT{0, 0, 40, 40});  // wider than the inner area on purpose
    root->DoPaint(canvas.DC(), canvas.Bounds());
    EXPECT_EQ(canvas.Rgb(20, 20), kRed);
    EXPECT_EQ(canvas.Rgb(4, 20), kBlack) << "the child is clipped to the inner area";
    EXPECT_EQ(canvas.Rgb(1, 1), 0x0000FFu) << "float children use the outer clip";
    (void)floating;
}

TEST_F(ControlTest, RandomAttributeListsNeverBreakAControl) {
    SkinFixtures::Mutator mutator(77);
    const std::string seed =
        "name=\"n\" pos=\"-5,3,40,20\" padding=\"1,2,3,4\" bkcolor=\"#80FF0000\" bordersize=\"0,1,0,1\" "
        "borderround=\"4,4\" float=\"true\" inset=\"1,1,1,1\" vscrollbar=\"true\" vscrollbarstyle=\"width=\"3\"\" "
        "childpadding=\"-7\" minwidth=\"-1\" maxheight=\"5\" visible=\"false\" relativepos=\"50,50,50,50\"";
    TestCanvas canvas(40, 40);
    for (int i = 0; i < 1500; ++i) {
        std::string bytes = mutator.Mutate(seed);
        auto* container = Add<CVerticalLayoutUI>();
        auto* leaf = Add();
        container->ApplyAttributeList(std::wstring(bytes.begin(), bytes.end()));
        leaf->ApplyAttributeList(std::wstring(bytes.begin(), bytes.end()));
        if (i % 100 == 99) {
            root->SetPos(RECT{0, 0, 40, 40});
            root->DoPaint(canvas.DC(), canvas.Bounds());
            root->RemoveAll();
            manager.RunDelayedCleanup();
        }
    }
}
