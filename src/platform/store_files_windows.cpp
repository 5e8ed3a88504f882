#include "platform/store_files.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

namespace vantora::platform {

namespace {

bool flushToDisk(const std::filesystem::path& file)
{
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = FlushFileBuffers(handle) != FALSE;
    CloseHandle(handle);
    return flushed;
}

}  // namespace

bool copyFileNoOverwrite(const std::filesystem::path& from, const std::filesystem::path& to)
{
    // CopyFileW removes its partial target itself when the copy fails.
    if (!CopyFileW(from.c_str(), to.c_str(), TRUE))
        return false;
    return flushToDisk(to);
}

void markStoreFolder(const std::filesystem::path& folder)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesW(folder.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
}

bool writeFileDurably(const std::filesystem::path& file, std::string_view bytes)
{
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    while (ok && !bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
        DWORD written = 0;
        ok = WriteFile(handle, bytes.data(), chunk, &written, nullptr) && written == chunk;
        bytes.remove_prefix(chunk);
    }
    ok = ok && FlushFileBuffers(handle);
    return CloseHandle(handle) && ok;
}

bool replaceFile(const std::filesystem::path& newFile, const std::filesystem::path& target)
{
    return MoveFileExW(newFile.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

std::optional<std::filesystem::path> documentsFolder()
{
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                folder)))
        return std::nullopt;
    return std::filesystem::path(folder);
}

}  // namespace vantora::platform
