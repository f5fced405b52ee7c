#pragma once
#include <string>

#include "shared/ScopedHandle.h"

// The per-machine data folder, C:\ProgramData\Ludora, with its update folder "Patchs".
struct DataFolder {
    std::wstring path;
    // Both folders exist and only administrators and the system can write them. Updates, which
    // run what lies in "Patchs" with administrator rights, are made only when this holds.
    bool safe = false;
};

// Creates both folders writable by administrators only: owner Administrators, the system and
// Administrators with full control, Users reading and running, for everything in them, and
// nothing inherited from above. An existing one that is a link (junction or symbolic link) loses
// the link, never its target, and is created anew; one owned by anyone but Administrators or the
// system, or that lets anyone else change it, gets that owner and those rights (with the
// privileges administrators hold for that, should its rights shut them out), and so does
// everything in it, which then inherits. Says whether both are safe afterwards.
DataFolder PrepareDataFolder();

// The data folder's path, from the system's known folder for program data; nothing is created.
std::wstring GetDataFolder();

// Creates `folder` and its "Patchs" subfolder with those rights where they are missing;
// existing ones are left as they are and failures are ignored.
void EnsureDataFolders(const std::wstring& folder);

// Held around every read-change-write of the shared files of the data folder ("config.xml",
// "UserGame.xml", "PlayHistory.xml"): the Ludora of every session of the machine takes the same
// lock and reads the file again under it, so that no session writes over another's change. A
// holder that ended without letting go leaves it to the next; one that hangs is waited for a few
// seconds, then the change goes ahead without it.
class DataFilesLock {
public:
    DataFilesLock();
    ~DataFilesLock();
    DataFilesLock(const DataFilesLock&) = delete;
    DataFilesLock& operator=(const DataFilesLock&) = delete;

private:
    ScopedHandle mutex_;
    bool held_ = false;
};
