#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "UiLib/render/GdiObject.h"

namespace UiLib {
class CWindowTasks;
}

// The first icon of a game's executable at one size, or none when the file is missing or has no
// icon. Read from the file off the window thread.
UiLib::CIconHandle ReadFirstIcon(const std::wstring& path, int size);

// The games' own icons, read on a worker. Those of the games last asked for are kept, and of the
// others only the most recently asked for, up to kKept: a list of thousands holds no icon for each.
// Used on the window thread only; the worker hands each icon back through the window's task queue.
class GameIcons {
public:
    // Runs on the window thread once the icon of a path is known.
    using Loaded = std::function<void(const std::wstring& path)>;
    static constexpr size_t kKept = 200;

    GameIcons(std::shared_ptr<UiLib::CWindowTasks> windowTasks, int size);

    // The size icons are read at from now on (the window's DPI decides it). An icon of another
    // size stays until its path is asked for again and its new one is read.
    void SetSize(int size) { size_ = size; }
    // Asks for the icons of the paths not yet asked for at the current size, on one worker, in
    // order. The icons of these paths stay until the next call; others may go.
    void Load(const std::vector<std::wstring>& paths, Loaded loaded);
    // Whether the icon of `path` has been read, whatever was found.
    bool IsKnown(const std::wstring& path) const;
    // The icon of `path`; null while unknown and for a game without one.
    HICON Find(const std::wstring& path) const;

private:
    struct Entry {
        int size = 0;  // the size asked for last
        unsigned lastAsked = 0;  // the Load call that asked for it last
        // Null while the icon is first being read.
        std::shared_ptr<UiLib::CIconHandle> icon;
    };

    void Store(const std::wstring& path, int size, std::shared_ptr<UiLib::CIconHandle> icon);
    // Drops the icons asked for longest ago beyond kKept, none of the latest call's.
    void Trim();

    std::shared_ptr<UiLib::CWindowTasks> windowTasks_;
    int size_;
    unsigned calls_ = 0;
    std::map<std::wstring, Entry> icons_;
};
