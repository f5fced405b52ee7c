#include "shared/DataFolder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include <memory>

#include "shared/ScopedHandle.h"

namespace {

// The data folders' rights (see PrepareDataFolder).
const wchar_t kDataFolderSecurity[] = L"O:BAG:SYD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// The lock of the shared files is one for the whole machine. Only administrators and the system
// may open it: only they may write the files, and nobody else can hold it to stop the saves.
const wchar_t kDataFilesLockName[] = L"Global\\LudoraDataFiles";
const wchar_t kDataFilesLockSecurity[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)";
// A read-change-write takes milliseconds; a holder this late hangs.
constexpr DWORD kDataFilesLockWaitMs = 5000;

// What an entry of a repaired folder gets: the folder's rights, as inherited ones.
const wchar_t kInheritingFileSecurity[] = L"O:BAG:SYD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)";
const wchar_t kInheritingFolderSecurity[] =
    L"O:BAG:SYD:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)";

// Any of these lets its holder change the folder, what is in it, or who may.
constexpr ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                                      FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE |
                                      GENERIC_ALL;

struct LocalMemoryFree {
    void operator()(void* memory) const { LocalFree(memory); }
};
using ScopedSecurityDescriptor = std::unique_ptr<void, LocalMemoryFree>;

struct SearchCloser {
    void operator()(HANDLE search) const { FindClose(search); }
};
using ScopedSearch = std::unique_ptr<void, SearchCloser>;

ScopedSecurityDescriptor SecurityFromSddl(const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return nullptr;
    return ScopedSecurityDescriptor(descriptor);
}

bool IsAdministratorsOrSystem(PSID sid) {
    return IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid);
}

bool OthersMayChange(ACL* dacl) {
    if (dacl == nullptr) return true;  // no DACL at all lets everyone do everything
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, index, reinterpret_cast<void**>(&header))) return true;
        if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        // Kinds of entry that are not read here are not trusted either.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return true;
        auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        if ((allowed->Mask & kChangeRights) != 0 && !IsAdministratorsOrSystem(&allowed->SidStart)) return true;
    }
    return false;
}

// Opened as itself, never through a link: what is judged is what is repaired.
ScopedHandle OpenForSecurity(const std::wstring& path) {
    return AdoptFileHandle(CreateFileW(path.c_str(), READ_CONTROL | WRITE_DAC | WRITE_OWNER,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool IsPlainFolder(HANDLE folder) {
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(folder, &info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool IsOwnedAndWritableByAdministratorsOnly(HANDLE folder) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                        nullptr, &dacl, nullptr, &raw) != ERROR_SUCCESS)
        return false;
    ScopedSecurityDescriptor descriptor(raw);
    return owner != nullptr && IsAdministratorsOrSystem(owner) && !OthersMayChange(dacl);
}

// Gives `object` the owner, group and DACL of `sddl`, whose flags say whether the DACL also
// inherits from above. Set on the handle: the object judged is the one changed.
bool ApplySecurity(HANDLE object, const wchar_t* sddl) {
    ScopedSecurityDescriptor descriptor = SecurityFromSddl(sddl);
    return descriptor && SetKernelObjectSecurity(object,
                                                 OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                                     DACL_SECURITY_INFORMATION,
                                                 descriptor.get());
}

bool CreateSecureFolder(const std::wstring& folder) {
    ScopedSecurityDescriptor descriptor = SecurityFromSddl(kDataFolderSecurity);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
    return descriptor && CreateDirectoryW(folder.c_str(), &attributes);
}

// The link goes; whatever it pointed at stays as it is.
bool RemoveLink(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryW(path.c_str()) != FALSE;
    return DeleteFileW(path.c_str()) != FALSE;
}

// After a folder was repaired, what someone else may have put in it gets the owner and the
// inherited rights too; links are removed, not followed.
void RepairEntries(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE first = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                    nullptr, 0);
    if (first == INVALID_HANDLE_VALUE) return;
    const ScopedSearch search(first);
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            RemoveLink(path, found.dwFileAttributes);
            continue;
        }
        if (ScopedHandle entry = OpenForSecurity(path)) {
            ApplySecurity(entry.get(), isFolder ? kInheritingFolderSecurity : kInheritingFileSecurity);
        }
        if (isFolder) RepairEntries(path);
    } while (FindNextFileW(search.get(), &found));
}

// The privileges with which an administrator opens and resets any file, whatever its rights say:
// held only while a folder is repaired, then given back.
class RepairPrivileges {
public:
    RepairPrivileges() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
        token_.reset(token);
        Privileges wanted{};
        for (const wchar_t* name : {L"SeBackupPrivilege", L"SeRestorePrivilege", L"SeTakeOwnershipPrivilege"}) {
            LUID privilege{};
            if (LookupPrivilegeValueW(nullptr, name, &privilege))
                wanted.privileges[wanted.count++] = {privilege, SE_PRIVILEGE_ENABLED};
        }
        DWORD size = 0;
        adjusted_ = AdjustTokenPrivileges(token_.get(), FALSE, AsTokenPrivileges(wanted), sizeof(previous_),
                                          AsTokenPrivileges(previous_), &size) != FALSE;
    }
    ~RepairPrivileges() {
        if (adjusted_) AdjustTokenPrivileges(token_.get(), FALSE, AsTokenPrivileges(previous_), 0, nullptr, nullptr);
    }
    RepairPrivileges(const RepairPrivileges&) = delete;
    RepairPrivileges& operator=(const RepairPrivileges&) = delete;

private:
    // TOKEN_PRIVILEGES with room for three.
    struct Privileges {
        DWORD count = 0;
        LUID_AND_ATTRIBUTES privileges[3] = {};
    };
    static TOKEN_PRIVILEGES* AsTokenPrivileges(Privileges& privileges) {
        return reinterpret_cast<TOKEN_PRIVILEGES*>(&privileges);
    }

    ScopedHandle token_;
    Privileges previous_;
    bool adjusted_ = false;
};

bool IsSafeFolder(const std::wstring& folder) {
    ScopedHandle handle = OpenForSecurity(folder);
    return handle && IsPlainFolder(handle.get()) && IsOwnedAndWritableByAdministratorsOnly(handle.get());
}

bool RepairExistingFolder(const std::wstring& folder) {
    if (IsSafeFolder(folder)) return true;
    // Someone else's folder may shut administrators out with its rights.
    const RepairPrivileges privileges;
    ScopedHandle handle = OpenForSecurity(folder);
    // A file at the folder's name, or a link made since it was looked at: left for the next start.
    if (!handle || !IsPlainFolder(handle.get()) || !ApplySecurity(handle.get(), kDataFolderSecurity)) return false;
    RepairEntries(folder);
    return true;
}

// Creates `folder` with the data folders' rights, or makes an existing one so (see
// PrepareDataFolder); false when it is not safe afterwards.
bool MakeFolderSafe(const std::wstring& folder) {
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!RemoveLink(folder, attributes)) return false;
        attributes = INVALID_FILE_ATTRIBUTES;
    }
    if (attributes == INVALID_FILE_ATTRIBUTES && CreateSecureFolder(folder)) return true;
    // There already, or made meanwhile by someone else.
    return RepairExistingFolder(folder);
}

}  // namespace

void EnsureDataFolders(const std::wstring& folder) {
    for (const std::wstring& path : {folder, folder + L"\\Patchs"}) {
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) CreateSecureFolder(path);
    }
}

std::wstring GetDataFolder() {
    std::wstring programData = L"C:\\ProgramData";
    PWSTR known = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &known))) programData = known;
    CoTaskMemFree(known);
    return programData + L"\\Ludora";
}

DataFolder PrepareDataFolder() {
    DataFolder data{GetDataFolder()};
    // "Patchs" is made only inside a folder that is safe: never through a link that stayed.
    data.safe = MakeFolderSafe(data.path) && MakeFolderSafe(data.path + L"\\Patchs");
    return data;
}

DataFilesLock::DataFilesLock() {
    ScopedSecurityDescriptor descriptor = SecurityFromSddl(kDataFilesLockSecurity);
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
    mutex_.reset(CreateMutexW(descriptor ? &attributes : nullptr, FALSE, kDataFilesLockName));
    if (!mutex_) return;
    const DWORD waited = WaitForSingleObject(mutex_.get(), kDataFilesLockWaitMs);
    // An abandoned lock is ours now: the files are replaced whole, so what a crashed holder left
    // on disk is a whole file, old or new.
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

DataFilesLock::~DataFilesLock() {
    if (held_) ReleaseMutex(mutex_.get());
}
