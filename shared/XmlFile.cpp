#include "shared/XmlFile.h"

#include <windows.h>
#include <tinyxml.h>

#include <optional>

#include "shared/ScopedHandle.h"
#include "shared/TempFile.h"

namespace {

ScopedHandle OpenFile(const std::wstring& path, DWORD access, DWORD disposition) {
    return AdoptFileHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    ScopedHandle file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxXmlFileBytes) return false;
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
    std::optional<TempFile> fresh = TempFile::CreateBeside(path);
    return fresh && fresh->Write(bytes.data(), bytes.size()) && fresh->ReplaceTarget();
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

std::string PrintXmlDocument(const TiXmlDocument& document) {
    TiXmlPrinter printer;
    document.Accept(&printer);
    return std::string(printer.CStr(), printer.Size());
}

bool SaveXmlDocument(const TiXmlDocument& document, const std::wstring& path) {
    return ReplaceFileContents(path, PrintXmlDocument(document));
}
