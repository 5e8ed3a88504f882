// File access on Windows: the narrow path is taken in the ANSI code page and
// turned into UTF-16 once; only wide Win32 functions are used after that.
#include "file_io.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

namespace exif::io {
namespace {

bool toWide(const std::string& path, std::wstring& out)
{
    out.clear();
    if (path.empty() || path.size() > 32000) return false;
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                                      nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                               out.data(), n) == n;
}

std::wstring folderOf(const std::wstring& path)
{
    const auto slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    if (slash == 2 && path[1] == L':') return path.substr(0, 3);  // "C:\"
    return path.substr(0, slash);
}

std::wstring nameOf(const std::wstring& path)
{
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool identityOf(HANDLE file, Identity& out)
{
    LARGE_INTEGER size{};
    FILETIME written{};
    if (!GetFileSizeEx(file, &size) || !GetFileTime(file, nullptr, nullptr, &written)) return false;
    out.size = static_cast<uint64_t>(size.QuadPart);
    out.modified = static_cast<int64_t>((uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime);
    return true;
}

bool isReadOnlyFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool writeAll(HANDLE file, const std::vector<uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

HANDLE createTemporary(const std::wstring& folder, const std::wstring& name, std::wstring& tempPath, DWORD& error)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + L"\\~" + name + L".exif-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(counter++) + L"-" + std::to_wstring(GetTickCount64()) + L".tmp";
        HANDLE h = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) return h;
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

Result readFile(const std::string& path, Snapshot& out, const ReadMore& more)
{
    out = Snapshot{};
    std::wstring wide;
    if (!toWide(path, wide)) return Result::openFailed;
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Result::openFailed;
    if (!identityOf(h, out.identity) || out.identity.size > kMaxFileSize || GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        out = Snapshot{};
        return Result::openFailed;
    }
    bool failed = false;
    while (out.bytes.size() < out.identity.size) {
        const std::size_t done = out.bytes.size();
        const std::size_t chunk = static_cast<std::size_t>(std::min<uint64_t>(out.identity.size - done, kReadChunk));
        out.bytes.resize(done + chunk);
        std::size_t got = 0;
        while (got < chunk) {
            DWORD n = 0;
            if (!ReadFile(h, out.bytes.data() + done + got, static_cast<DWORD>(chunk - got), &n, nullptr) || n == 0)
                break;
            got += n;
        }
        if (got != chunk) {
            failed = true;  // the file shrank or cannot be read
            break;
        }
        if (more && !more(out.bytes, out.identity.size)) break;
    }
    CloseHandle(h);
    if (failed) {
        out = Snapshot{};
        return Result::openFailed;
    }
    out.readOnly = isReadOnlyFile(wide);
    return Result::ok;
}

Result replaceFile(const std::string& path, const Identity& expected, const std::vector<uint8_t>& bytes)
{
    std::wstring wide;
    if (!toWide(path, wide)) return Result::writeFailed;
    if (isReadOnlyFile(wide)) return Result::readOnly;
    {
        HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return Result::writeFailed;
        Identity now;
        const bool same = identityOf(h, now) && now == expected;
        CloseHandle(h);
        if (!same) return Result::writeFailed;  // changed by someone else meanwhile
    }

    std::wstring tempPath;
    DWORD error = 0;
    HANDLE h = createTemporary(folderOf(wide), nameOf(wide), tempPath, error);
    if (h == INVALID_HANDLE_VALUE)
        return (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT) ? Result::readOnly : Result::writeFailed;
    bool ok = writeAll(h, bytes);
    ok = ok && FlushFileBuffers(h);
    ok = CloseHandle(h) && ok;
    if (ok) {
        // ReplaceFileW keeps the photo's attributes and security; where it
        // cannot work, a write-through rename does the swap.
        ok = ReplaceFileW(wide.c_str(), tempPath.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                          nullptr) ||
             MoveFileExW(tempPath.c_str(), wide.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (!ok) {
        DeleteFileW(tempPath.c_str());
        return Result::writeFailed;
    }
    return Result::ok;
}

}  // namespace exif::io
