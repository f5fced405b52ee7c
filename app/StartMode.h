#pragma once
#include <string>

enum class StartMode {
    Shown,   // ordinary start, main window shown
    Hidden,  // ordinary start living in the tray ("AUTORUN", or "0" after an update)
    Apply,   // the copied program installing a downloaded update
};

// `argumentCount` is the C runtime's count (program name included); `arguments` is the raw
// text after the program name.
StartMode ClassifyStart(int argumentCount, const std::wstring& arguments);

// True when a window started with these arguments stays hidden in the tray.
bool StartsHidden(const std::wstring& arguments);
