#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tests/support/TestFolder.h"

namespace {

// The names of the libraries that the program file imports, upper-cased; empty when the file is
// no PE image.
std::vector<std::string> ImportedLibraries(const std::wstring& path) {
    const std::string bytes = ReadFileBytes(path);
    std::vector<std::string> names;
    if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return names;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& section = sections[i];
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.Misc.VirtualSize)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        return bytes.size();
    };
    for (size_t at = fileOffset(imports.VirtualAddress); at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= bytes.size();
         at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(bytes.data() + at);
        if (descriptor->Name == 0) break;
        std::string name(bytes.data() + fileOffset(descriptor->Name));
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
        names.push_back(name);
    }
    return names;
}

}  // namespace

// The network and socket libraries are loaded when the program first uses them: imported, they
// would be loaded, with what they bring, before the first window. And the loader looks for an
// imported library beside the program first, unless the system keeps it among its known
// libraries: every other library is loaded at run time, from the system folder only.
TEST(ProgramImports, TheProgramImportsOnlyTheSystemsKnownLibraries) {
    const std::vector<std::string> names = ImportedLibraries(LUDORA_EXE);
    ASSERT_NE(std::find(names.begin(), names.end(), "USER32.DLL"), names.end()) << "the import table was read";
    const std::vector<std::string> known = {"ADVAPI32.DLL", "GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL", "OLE32.DLL",
                                            "OLEAUT32.DLL", "SHELL32.DLL", "SHLWAPI.DLL", "USER32.DLL"};
    for (const std::string& name : names)
        EXPECT_NE(std::find(known.begin(), known.end(), name), known.end()) << name << " is imported";
}
