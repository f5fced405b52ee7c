#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

// Input to the real program's windows and what can be read of them from outside its process.

// Real pointer input (SendInput) at a client point of `window`: the cursor moves there first.
void LeftClick(HWND window, POINT client);
void RightClick(HWND window, POINT client);
// Real keyboard input to the foreground window: a key, with a modifier key (VK_CONTROL, VK_SHIFT)
// held when one is given; text typed character by character.
void PressKey(WORD key, WORD modifier = 0);
void TypeText(const std::wstring& text);

// Button down and up sent as window messages: no foreground or cursor needed.
void ClickByMessages(HWND window, POINT client);
LRESULT HitTest(HWND window, POINT client);

// The visible top-level windows of a class that a process shows.
std::vector<HWND> VisibleWindows(DWORD processId, const wchar_t* className);
bool IsTopmost(HWND window);

// A window of the process's class once it is on the screen and laid out (its controls are laid out
// by its first paint); null when none came.
HWND WaitForShownWindow(DWORD processId, const wchar_t* className);
// The menu the program opened, once it is on the screen and laid out.
HWND WaitForMenu(DWORD processId);
// The main window's menu button, and the settings dialog's OK button.
constexpr POINT kMainMenuButton{864, 12};
constexpr POINT kSettingsOkButton{327, 332};
// Opens the main window's menu with its button and clicks entry `entry`; false when no menu came.
bool UseMainMenu(HWND window, DWORD processId, int entry);
// Clicks entry `index` of a menu whose entries are stacked inside its two-pixel inset, with
// messages (`realPointer` false) or the real pointer.
void ClickMenuItem(HWND menu, int index, bool realPointer = false);

// The window is created before it is shown or hidden; that is settled once its process first
// waits for input.
void WaitUntilSettled(HWND window);
void EndProcessOfWindow(HWND window);

std::string Utf8(const std::wstring& text);

class LudoraProcess;
// The program's main window once it is shown and laid out (its drag band answers), brought to
// the foreground; null when it does not come.
HWND WaitForShownMainWindow(const LudoraProcess& program);

// The program's tray icon as the shell holds it.
NOTIFYICONDATAW TrayRecord(HWND mainWindow);
// Whether the shell holds the program's tray icon: modifying one it does not have fails. The tip
// stays as it was.
bool TrayHasIcon(HWND mainWindow);
