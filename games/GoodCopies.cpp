#include "games/GoodCopies.h"

#include <windows.h>

#include "shared/XmlFile.h"

std::wstring GoodCopies::CopyName(const std::wstring& path, int age) {
    return path + L".good-" + std::to_wstring(age);
}

bool GoodCopies::Keep(const std::string& bytes) const {
    // Oldest first, so that no copy is written over before it has moved on; a missing one is
    // simply skipped.
    for (int age = kCount - 1; age >= 1; --age) {
        MoveFileExW(CopyName(path_, age).c_str(), CopyName(path_, age + 1).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    return ReplaceFileContents(CopyName(path_, 1), bytes);
}

std::optional<std::string> GoodCopies::NewestReadable(const std::function<bool(const std::string&)>& readable) const {
    for (int age = 1; age <= kCount; ++age) {
        std::string bytes;
        if (ReadWholeFile(CopyName(path_, age), bytes) && readable(bytes)) return bytes;
    }
    return std::nullopt;
}
