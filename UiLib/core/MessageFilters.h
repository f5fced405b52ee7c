#pragma once
#include <windows.h>

#include "UiLib/Utils/PtrArray.h"
#include "UiLib/tree/UIMessageFilter.h"

namespace UiLib {

// Who sees a window's messages before its controls: accelerators and pre-message filters in the
// message loop, message filters before the paint manager. Each is asked in the order it joined.
class CMessageFilters {
public:
    bool AddPreMessageFilter(IMessageFilterUI* filter);
    bool RemovePreMessageFilter(IMessageFilterUI* filter);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    bool AddTranslateAccelerator(ITranslateAccelerator* accelerator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* accelerator);

    // True when a filter handled the message, with its `result`.
    bool OfferPreMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;
    bool OfferMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;
    // True when an accelerator took the message.
    bool TranslateAccelerator(const MSG& msg) const;

private:
    static bool Offer(const CPtrArray<IMessageFilterUI*>& filters, UINT message, WPARAM wParam, LPARAM lParam,
                      LRESULT& result);

    CPtrArray<IMessageFilterUI*> preMessageFilters_;
    CPtrArray<IMessageFilterUI*> messageFilters_;
    CPtrArray<ITranslateAccelerator*> accelerators_;
};

}  // namespace UiLib
