#pragma once

// What the main and tray menus ask of the main window.
class IMainCommands {
public:
    virtual void ShowSettings() = 0;
    virtual void CheckForUpdates() = 0;
    virtual void ShowMainWindow() = 0;
    virtual void Quit() = 0;

protected:
    ~IMainCommands() = default;
};
