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

// Creates or repairs both folders (see MakeFolderSafe) and says whether that worked.
DataFolder PrepareDataFolder();

// The data folder's path, from the system's known folder for program data; nothing is created.
std::wstring GetDataFolder();

// The rights of the data folders, as SDDL: owner Administrators; the system and Administrators
// have full control and Users read and execute, inherited by every file and subfolder; nothing
// is inherited from above.
extern const wchar_t kDataFolderSecurity[];

// Creates `folder` with kDataFolderSecurity when it is missing. An existing one that is a link
// (junction or symbolic link) loses the link, never its target, and is created anew; one owned by
// anyone but Administrators or the system, or that grants anyone else a right to change it, gets
// the owner and rights above, and so do the entries directly inside it, which then inherit. False
// when the folder is not safe afterwards.
bool MakeFolderSafe(const std::wstring& folder);

// Creates `folder` and its "Patchs" subfolder with kDataFolderSecurity where they are missing;
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
