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

// The text after the program name in a full command line, found as the C runtime finds it for the
// program's entry point, but without the trip through the ANSI code page that would lose the
// characters of a path it cannot hold.
std::wstring ArgumentsAfterProgramName(const wchar_t* commandLine);
