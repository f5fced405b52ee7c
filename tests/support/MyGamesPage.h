#pragma once
#include <windows.h>

#include <string>

class LocalService;

// The my-games page of the real program's main window, clicked with the real pointer: the game
// buttons stand 45 pixels apart from the first one down, "moregame" below the last.
class MyGamesPage {
public:
    MyGamesPage(HWND window, DWORD processId) : window_(window), processId_(processId) {}

    static POINT GameButton(int index);
    // A point inside the icon of a game button, left of its middle, and the search field.
    static POINT IconOf(int index);
    static POINT SearchField();

    // Selects a game button until the service hears the strategy request it makes.
    bool Select(int button, LocalService& service, const char* request);
    // Right-clicks a game button and clicks entry `item` of the menu that opens.
    bool UseMenu(int button, int item);
    // Whether a right click at a place of the column opens a game menu.
    bool OpensAMenu(POINT at);
    bool HasGame(int button) { return OpensAMenu(GameButton(button)); }
    // The start button of the start area.
    void StartSelected();
    // "添加游戏": fills the dialog and confirms; whether the dialog closed.
    bool AddByHand(const std::wstring& path, const std::wstring& name);

private:
    void TypeInto(HWND dialog, POINT field, const std::wstring& text);

    HWND window_;
    DWORD processId_;
};
