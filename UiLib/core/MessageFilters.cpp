#include "UiLib/core/MessageFilters.h"

namespace UiLib {
namespace {

template <typename Item>
bool AddOnce(CPtrArray<Item*>& list, Item* item) {
    if (!item || list.IndexOf(item) >= 0) return false;
    list.Add(item);
    return true;
}

template <typename Item>
bool RemoveItem(CPtrArray<Item*>& list, Item* item) {
    int index = list.IndexOf(item);
    if (index < 0) return false;
    list.TakeAt(index);
    return true;
}

}  // namespace

bool CMessageFilters::AddPreMessageFilter(IMessageFilterUI* filter) { return AddOnce(preMessageFilters_, filter); }
bool CMessageFilters::RemovePreMessageFilter(IMessageFilterUI* filter) {
    return RemoveItem(preMessageFilters_, filter);
}
bool CMessageFilters::AddMessageFilter(IMessageFilterUI* filter) { return AddOnce(messageFilters_, filter); }
bool CMessageFilters::RemoveMessageFilter(IMessageFilterUI* filter) { return RemoveItem(messageFilters_, filter); }
bool CMessageFilters::AddTranslateAccelerator(ITranslateAccelerator* accelerator) {
    return AddOnce(accelerators_, accelerator);
}
bool CMessageFilters::RemoveTranslateAccelerator(ITranslateAccelerator* accelerator) {
    return RemoveItem(accelerators_, accelerator);
}

bool CMessageFilters::OfferPreMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
    return Offer(preMessageFilters_, message, wParam, lParam, result);
}

bool CMessageFilters::OfferMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const {
    return Offer(messageFilters_, message, wParam, lParam, result);
}

bool CMessageFilters::TranslateAccelerator(const MSG& msg) const {
    // Each browser of the window answers for the keys of its own page: every one is asked, and the
    // first that takes the key ends it.
    for (size_t i = 0; i < accelerators_.Count(); ++i)
        if (accelerators_.GetAt(static_cast<int>(i))->TranslateAccelerator(const_cast<MSG*>(&msg)) == 0) return true;
    return false;
}

bool CMessageFilters::Offer(const CPtrArray<IMessageFilterUI*>& filters, UINT message, WPARAM wParam, LPARAM lParam,
                            LRESULT& result) {
    // A filter may remove itself while it runs; walk a copy.
    CPtrArray<IMessageFilterUI*> snapshot = filters;
    for (size_t i = 0; i < snapshot.Count(); ++i) {
        bool handled = false;
        LRESULT answer = snapshot.GetAt(static_cast<int>(i))->MessageHandler(message, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }
    return false;
}

}  // namespace UiLib
