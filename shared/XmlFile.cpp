#include "shared/XmlFile.h"

#include <windows.h>
#include <tinyxml.h>

#include <algorithm>

#include "shared/ScopedHandle.h"

namespace {

ScopedHandle OpenFile(const std::wstring& path, DWORD access, DWORD disposition) {
    return AdoptFileHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        DWORD chunk = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 20));
        if (!WriteFile(file, bytes.data() + written, want, &chunk, nullptr) || chunk == 0) return false;
        written += chunk;
    }
    return FlushFileBuffers(file) != 0;
}

}  // namespace

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    ScopedHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = 0;
        if (!ReadFile(file.get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &chunk, nullptr) || chunk == 0)
            return false;
        done += chunk;
    }
    return true;
}

bool ReplaceFileContents(const std::wstring& path, const std::string& bytes) {
    const std::wstring fresh = path + L".new";
    {
        ScopedHandle file = OpenFile(fresh, GENERIC_WRITE, CREATE_ALWAYS);
        if (!file) return false;
        if (!WriteAll(file.get(), bytes)) {
            file.reset();
            DeleteFileW(fresh.c_str());
            return false;
        }
    }
    if (MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(fresh.c_str());
    return false;
}

bool LoadXmlDocument(TiXmlDocument& document, const std::wstring& path) {
    document.Clear();
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return false;
    document.Parse(bytes.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (!document.Error()) return true;
    document.Clear();  // a partly parsed tree is not trusted
    return false;
}

bool SaveXmlDocument(const TiXmlDocument& document, const std::wstring& path) {
    TiXmlPrinter printer;
    document.Accept(&printer);
    return ReplaceFileContents(path, std::string(printer.CStr(), printer.Size()));
}
