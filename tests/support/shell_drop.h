#pragma once
// Files dropped from the shell: the memory of a WM_DROPFILES, built as the
// shell builds it.

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace vantora::test {

inline HGLOBAL dropOf(const std::vector<std::filesystem::path>& paths)
{
    std::wstring names;
    for (const std::filesystem::path& path : paths)
        names += path.native() + L'\0';
    names += L'\0';
    const std::size_t size = sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

}  // namespace vantora::test
