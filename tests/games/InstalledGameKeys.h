#pragma once
#include <string>
#include <utility>
#include <vector>

#include "games/GameRecord.h"

// Uninstall subkeys of the test prefix's machine-wide registry (32-bit view), as the game
// installers write them. Every name carries a marker of this process; all keys made here are
// deleted at the end of the test.
class InstalledGameKeys {
public:
    using Values = std::vector<std::pair<std::wstring, std::wstring>>;

    InstalledGameKeys();
    ~InstalledGameKeys();
    InstalledGameKeys(const InstalledGameKeys&) = delete;
    InstalledGameKeys& operator=(const InstalledGameKeys&) = delete;

    // Creates the subkey (marker + `subkey`) with string `values`.
    void Add(const std::wstring& subkey, const Values& values);

    // The marker that starts every subkey made here; display names given with Name() carry it too.
    const std::wstring& Marker() const { return marker_; }
    std::wstring Name(const std::wstring& name) const { return marker_ + name; }

    // The subkeys made here, in the order in which the registry enumerates them.
    std::vector<std::wstring> InEnumerationOrder() const;

    // The records of `games` whose name was made with Name().
    std::vector<GameRecord> Own(const std::vector<GameRecord>& games) const;

private:
    std::wstring marker_;
    std::vector<std::wstring> made_;
};
