#include "games/GameIcons.h"

#include <algorithm>

#include "UiLib/tree/WindowTasks.h"
#include "games/GameActions.h"
#include "shared/BackgroundWork.h"

using namespace UiLib;

namespace {

class ScopedResourceModule {
public:
    explicit ScopedResourceModule(const std::wstring& path)
        : module_(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ScopedResourceModule() {
        if (module_) ::FreeLibrary(module_);
    }
    ScopedResourceModule(const ScopedResourceModule&) = delete;
    ScopedResourceModule& operator=(const ScopedResourceModule&) = delete;
    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

// The name of a module's first icon group: a number, or a string kept in `text`.
struct ResourceName {
    LPCWSTR name = nullptr;
    std::wstring text;
};

BOOL CALLBACK TakeFirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    auto* first = reinterpret_cast<ResourceName*>(param);
    if (IS_INTRESOURCE(name)) {
        first->name = name;
    } else {
        first->text = name;
        first->name = first->text.c_str();
    }
    return FALSE;
}

}  // namespace

CIconHandle ReadFirstIcon(const std::wstring& path, int size) {
    const std::wstring native = NativePath(path);
    if (::GetFileAttributesW(native.c_str()) == INVALID_FILE_ATTRIBUTES) return CIconHandle();
    ScopedResourceModule module(native);
    if (!module.Get()) return CIconHandle();
    ResourceName first;
    ::EnumResourceNamesW(module.Get(), RT_GROUP_ICON, &TakeFirstName, reinterpret_cast<LONG_PTR>(&first));
    if (!first.name) return CIconHandle();
    return CIconHandle(static_cast<HICON>(::LoadImageW(module.Get(), first.name, IMAGE_ICON, size, size, 0)));
}

GameIcons::GameIcons(std::shared_ptr<CWindowTasks> windowTasks, int size)
    : windowTasks_(std::move(windowTasks)), size_(size) {}

void GameIcons::Load(const std::vector<std::wstring>& paths, Loaded loaded) {
    ++calls_;
    std::vector<std::wstring> wanted;
    for (const std::wstring& path : paths) {
        Entry& entry = icons_[PathKey(path)];
        entry.lastAsked = calls_;
        if (entry.size == size_) continue;
        entry.size = size_;
        wanted.push_back(path);
    }
    Trim();
    if (wanted.empty()) return;
    // Icons are read from the player's own files: a slow service does not hold them up.
    auto job = [tasks = windowTasks_, icons = this, size = size_, wanted = std::move(wanted), loaded] {
        for (const std::wstring& path : wanted) {
            auto icon = std::make_shared<CIconHandle>(ReadFirstIcon(path, size));
            tasks->Post([icons, path, size, icon, loaded] {
                icons->Store(path, size, icon);
                loaded(path);
            });
        }
    };
    RunInBackground(BackgroundLane::Files, std::move(job));
}

void GameIcons::Store(const std::wstring& path, int size, std::shared_ptr<CIconHandle> icon) {
    auto entry = icons_.find(PathKey(path));
    // A read for a size asked for before a later one is outdated, the later read follows; one
    // for an icon dropped meanwhile is not kept.
    if (entry != icons_.end() && entry->second.size == size) entry->second.icon = std::move(icon);
}

void GameIcons::Trim() {
    if (icons_.size() <= kKept) return;
    std::vector<std::map<std::wstring, Entry>::iterator> older;
    for (auto entry = icons_.begin(); entry != icons_.end(); ++entry)
        if (entry->second.lastAsked != calls_) older.push_back(entry);
    const size_t surplus = std::min(older.size(), icons_.size() - kKept);
    std::partial_sort(older.begin(), older.begin() + static_cast<std::ptrdiff_t>(surplus), older.end(),
                      [](const auto& a, const auto& b) { return a->second.lastAsked < b->second.lastAsked; });
    for (size_t i = 0; i < surplus; ++i) icons_.erase(older[i]);
}

bool GameIcons::IsKnown(const std::wstring& path) const {
    auto found = icons_.find(PathKey(path));
    return found != icons_.end() && found->second.icon != nullptr;
}

HICON GameIcons::Find(const std::wstring& path) const {
    auto found = icons_.find(PathKey(path));
    return found != icons_.end() && found->second.icon ? found->second.icon->Get() : nullptr;
}
