#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "UiLib/Utils/AttributeValue.h"
#include "UiLib/Utils/PtrArray.h"
#include "UiLib/Utils/Signal.h"
#include "UiLib/Utils/StringMap.h"

using namespace UiLib;

TEST(StringMap, HashRunsFromTheLastCharacterToTheFirst) {
    // "ab": h = 'b', then h * 33 + 'a'.
    EXPECT_EQ(CStringMap<int>::Hash(L"ab", 100000), static_cast<size_t>('b' * 33 + 'a'));
    EXPECT_EQ(CStringMap<int>::Hash(L"ab", 83), static_cast<size_t>(('b' * 33 + 'a') % 83));
    EXPECT_EQ(CStringMap<int>::Hash(L"", 83), 0u);
}

TEST(StringMap, FindMovesTheEntryToTheFrontOfItsBucket) {
    CStringMap<int> map(1);
    map.Insert(L"a", 1);
    map.Insert(L"b", 2);
    map.Insert(L"c", 3);
    EXPECT_EQ(map.BucketKeys(0), (std::vector<std::wstring>{L"c", L"b", L"a"}));
    ASSERT_NE(map.Find(L"a"), nullptr);
    EXPECT_EQ(*map.Find(L"a"), 1);
    EXPECT_EQ(map.BucketKeys(0), (std::vector<std::wstring>{L"a", L"c", L"b"}));
    EXPECT_EQ(map.Find(L"A"), nullptr) << "keys are case-sensitive";
}

TEST(StringMap, InsertKeepsSetReplacesRemoveAndResize) {
    CStringMap<std::unique_ptr<int>> map;
    EXPECT_EQ(map.BucketCount(), 83u);
    EXPECT_TRUE(map.Insert(L"k", std::make_unique<int>(1)));
    EXPECT_FALSE(map.Insert(L"k", std::make_unique<int>(2)));
    EXPECT_EQ(**map.Find(L"k"), 1);
    map.Set(L"k", std::make_unique<int>(3));
    EXPECT_EQ(**map.Find(L"k"), 3);
    for (int i = 0; i < 500; ++i) map.Insert(std::to_wstring(i), std::make_unique<int>(i));
    map.Resize(7);
    EXPECT_EQ(map.Count(), 501u);
    EXPECT_EQ(**map.Find(L"250"), 250);
    EXPECT_TRUE(map.Remove(L"250"));
    EXPECT_FALSE(map.Remove(L"250"));
    EXPECT_EQ(map.Find(L"250"), nullptr);
    int visited = 0;
    map.ForEach([&](const std::wstring&, std::unique_ptr<int>&) { ++visited; });
    EXPECT_EQ(visited, 500);
}

TEST(PtrArray, GrowsByDoublingFromElevenSlots) {
    CPtrArray<int*> array;
    int values[30] = {};
    array.Add(&values[0]);
    EXPECT_EQ(array.Capacity(), 11u);
    for (int i = 1; i < 12; ++i) array.Add(&values[i]);
    EXPECT_EQ(array.Capacity(), 22u);
    EXPECT_EQ(array.IndexOf(&values[5]), 5);
    EXPECT_EQ(array.GetAt(12), nullptr);
    EXPECT_EQ(array.GetAt(-1), nullptr);
    EXPECT_FALSE(array.InsertAt(13, &values[20]));
    EXPECT_TRUE(array.InsertAt(0, &values[20]));
    EXPECT_EQ(array[0], &values[20]);
    EXPECT_TRUE(array.Move(0, 12));
    EXPECT_EQ(array[12], &values[20]);
}

TEST(PtrArray, OwningArrayHandsOutPlainPointersAndGivesUpOwnership) {
    CPtrArray<std::unique_ptr<std::wstring>> array;
    array.Add(std::make_unique<std::wstring>(L"a"));
    array.Add(std::make_unique<std::wstring>(L"b"));
    std::wstring* second = array.GetAt(1);
    std::unique_ptr<std::wstring> taken = array.TakeAt(1);
    EXPECT_EQ(taken.get(), second);
    EXPECT_EQ(array.Count(), 1u);
    EXPECT_EQ(array.TakeAt(5), nullptr);
}

TEST(AttributeValue, NumbersListsColoursAndBooleans) {
    RECT r = ParseRectValue(L"4,4,6,6");
    EXPECT_EQ(r.left + r.top + r.right + r.bottom, 20);
    r = ParseRectValue(L"1 -2 3");
    EXPECT_EQ(r.top, -2);
    EXPECT_EQ(r.bottom, 0) << "missing numbers read as 0";
    r = ParseRectValue(L"1,,3,4");
    EXPECT_EQ(r.top, 0) << "exactly one separator is skipped";
    EXPECT_EQ(r.right, 3);
    EXPECT_EQ(ParseRectValue(nullptr).left, 0);
    SIZE s = ParseSizeValue(L"970,660");
    EXPECT_EQ(s.cx, 970);
    EXPECT_EQ(s.cy, 660);
    EXPECT_EQ(ParseColorValue(L"#FFFF00FF"), 0xFFFF00FFu);
    EXPECT_EQ(ParseColorValue(L"FF000000"), 0xFF000000u);
    EXPECT_EQ(ParseColorValue(L"#zz"), 0u);
    EXPECT_TRUE(ParseBoolValue(L"true"));
    EXPECT_FALSE(ParseBoolValue(L"TRUE"));
    EXPECT_FALSE(ParseBoolValue(L"1"));
    EXPECT_EQ(ParseIntValue(L"12px"), 12);
}

TEST(SignalTest, SubscriptionsDisconnectWhicheverSideGoesFirst) {
    std::vector<int> calls;
    auto signal = std::make_unique<CSignal<int>>();
    CSubscription first = signal->Connect([&](int value) { calls.push_back(value); });
    {
        CSubscription scoped = signal->Connect([&](int value) { calls.push_back(value * 10); });
        signal->Emit(1);
    }
    signal->Emit(2);
    EXPECT_EQ(calls, (std::vector<int>{1, 10, 2}));

    CSubscription moved = std::move(first);
    EXPECT_FALSE(first.IsConnected());
    signal.reset();  // the subscriber outlives the signal
    moved.Reset();
    EXPECT_FALSE(moved.IsConnected());
}

TEST(SignalTest, HandlersMayDisconnectDuringAnEmission) {
    CSignal<> signal;
    std::vector<char> calls;
    CSubscription second;
    CSubscription added;
    CSubscription first = signal.Connect([&] {
        calls.push_back('a');
        second.Reset();  // removed before its turn: not called by this emission
        added = signal.Connect([&] { calls.push_back('c'); });
    });
    second = signal.Connect([&] { calls.push_back('b'); });
    signal.Emit();
    EXPECT_EQ(calls, (std::vector<char>{'a'}));
    first.Reset();
    signal.Emit();
    EXPECT_EQ(calls, (std::vector<char>{'a', 'c'}));
}

TEST(SignalTest, AHandlerThatEndsTheSignalEndsTheEmission) {
    auto signal = std::make_unique<CSignal<>>();
    std::vector<char> calls;
    CSubscription ending = signal->Connect([&] {
        calls.push_back('a');
        signal.reset();  // as a window that closes on a click takes its buttons with it
    });
    CSubscription later = signal->Connect([&] { calls.push_back('b'); });
    signal->Emit();
    EXPECT_EQ(calls, std::vector<char>{'a'});
}
