// File access on Windows: the narrow path is taken in the ANSI code page and
// turned into UTF-16 once; only wide Win32 functions are used after that.
#include "file_io.h"

#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <cstring>

namespace exif::io {

bool toNativePath(const std::string& path, NativePath& out)
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

namespace {

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

std::wstring joined(const std::wstring& folder, const std::wstring& name)
{
    const bool separated = !folder.empty() && (folder.back() == L'\\' || folder.back() == L'/');
    return separated ? folder + name : folder + L"\\" + name;
}

// Closes the handle when it goes.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    void close() { reset(INVALID_HANDLE_VALUE); }
    void reset(HANDLE h)
    {
        if (valid()) CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_;
};

bool identityOf(HANDLE file, Identity& out)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return false;
    out.size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    out.modified =
        static_cast<int64_t>((uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime);
    out.volume = info.dwVolumeSerialNumber;
    out.fileId = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

Result resultOfError(DWORD error)
{
    switch (error) {
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return Result::diskFull;
    case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: case ERROR_USER_MAPPED_FILE: return Result::inUse;
    case ERROR_ACCESS_DENIED: case ERROR_WRITE_PROTECT: return Result::folderReadOnly;
    default: return Result::writeFailed;
    }
}

// 0 on success, else the error of the failed write.
DWORD writeAll(HANDLE file, std::span<const uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        done += written;
    }
    return 0;
}

Result resultOfWrite(DWORD error)
{
    return error == 0 ? Result::ok : resultOfError(error);
}

// Copies `count` bytes of `from` (read at `offset` on) to `to` in blocks.
Result copyInBlocks(HANDLE from, uint64_t offset, uint64_t count, HANDLE to)
{
    std::vector<uint8_t> block(static_cast<std::size_t>(std::min<uint64_t>(count, 1u << 20)));
    while (count > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<uint64_t>(count, block.size()));
        if (!ReadFile(from, block.data(), want, &got, &at)) return Result::writeFailed;
        if (got == 0) return Result::changed;  // the old file is shorter
        if (const DWORD error = writeAll(to, std::span(block).first(got)); error != 0) return resultOfError(error);
        offset += got;
        count -= got;
    }
    return Result::ok;
}

int64_t fileTimeNow()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return static_cast<int64_t>((uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

// The temporary file of one write: created exclusively and kept open without
// sharing while the write runs, so that no other write can take it for a
// leftover; removed unless it was renamed over the photo.
class TemporaryFile {
public:
    TemporaryFile(const std::wstring& folder, const std::wstring& photoName)
        : path_(joined(folder, L"~" + stem(photoName))) {}
    ~TemporaryFile()
    {
        if (file_.valid() && !renamed_) {
            FILE_DISPOSITION_INFO remove{TRUE};
            if (!SetFileInformationByHandle(file_.get(), FileDispositionInfo, &remove, sizeof remove)) {
                file_.close();
                DeleteFileW(path_.c_str());
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    Result create()
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            HANDLE h = CreateFileW(path_.c_str(), GENERIC_WRITE | DELETE | WRITE_DAC | FILE_WRITE_ATTRIBUTES, 0,
                                   nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                file_.reset(h);
                return Result::ok;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return resultOfError(error);
            if (const Result r = removeLeftover(); r != Result::ok) return r;
        }
        return Result::inUse;
    }

    HANDLE handle() const { return file_.get(); }

    // One rename that replaces the photo: its name never stands empty.
    Result renameOver(const std::wstring& photo)
    {
        std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + (photo.size() + 1) * sizeof(wchar_t), 0);
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        info->ReplaceIfExists = TRUE;
        info->RootDirectory = nullptr;
        info->FileNameLength = static_cast<DWORD>(photo.size() * sizeof(wchar_t));
        std::memcpy(info->FileName, photo.c_str(), (photo.size() + 1) * sizeof(wchar_t));
        if (!SetFileInformationByHandle(file_.get(), FileRenameInfo, info, static_cast<DWORD>(buffer.size()))) {
            const DWORD error = GetLastError();
            return error == ERROR_ACCESS_DENIED ? Result::inUse : resultOfError(error);
        }
        renamed_ = true;
        FlushFileBuffers(file_.get());  // the rename too
        return Result::ok;
    }

    static std::wstring stem(const std::wstring& name)
    {
        const std::string s = temporaryNameStem(name.data(), name.size() * sizeof(wchar_t));
        return std::wstring(s.begin(), s.end());
    }

    // A file of our name that no write holds open and that is older than any
    // write that could be starting is what a killed write left: it goes.
    Result removeLeftover()
    {
        Handle old(CreateFileW(path_.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!old.valid()) return GetLastError() == ERROR_FILE_NOT_FOUND ? Result::ok : Result::inUse;
        FILE_BASIC_INFO basic{};
        if (!GetFileInformationByHandleEx(old.get(), FileBasicInfo, &basic, sizeof basic)) return Result::inUse;
        const int64_t age = fileTimeNow() - basic.LastWriteTime.QuadPart;  // in 100 ns
        const int64_t wanted = int64_t(kLeftoverAgeSeconds) * 10000000;
        if (age < wanted) Sleep(static_cast<DWORD>(std::min<int64_t>(wanted - std::max<int64_t>(age, 0), wanted) / 10000));
        FILE_DISPOSITION_INFO remove{TRUE};
        return SetFileInformationByHandle(old.get(), FileDispositionInfo, &remove, sizeof remove) ? Result::ok
                                                                                                   : Result::inUse;
    }

private:
    std::wstring path_;
    Handle file_;
    bool renamed_ = false;
};

// The photo's attributes and creation time go to the new file; so does its
// access list where it was set on the photo itself (an inherited one the new
// file inherits anyway).
void copyLook(HANDLE photo, HANDLE temp)
{
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(photo, FileBasicInfo, &basic, sizeof basic)) {
        FILE_BASIC_INFO wanted{};
        wanted.CreationTime = basic.CreationTime;
        wanted.FileAttributes = basic.FileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
        if (wanted.FileAttributes == 0) wanted.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(temp, FileBasicInfo, &wanted, sizeof wanted);
    }
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(photo, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (dacl != nullptr && GetSecurityDescriptorControl(descriptor, &control, &revision) &&
        (control & SE_DACL_PROTECTED) != 0)
        SetSecurityInfo(temp, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                        nullptr, nullptr, dacl, nullptr);
    LocalFree(descriptor);
}

bool stillTheSame(const std::wstring& path, const Identity& expected)
{
    Handle h(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr));
    Identity now;
    return h.valid() && identityOf(h.get(), now) && now == expected;
}

Result readChunks(HANDLE h, Snapshot& out, const ReadMore& more)
{
    // The whole file: one allocation, with room for a write to grow the
    // Exif segment in place.
    if (!more) out.bytes.reserve(static_cast<std::size_t>(out.identity.size) + kSegmentGrowth);
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
        if (got != chunk) return Result::openFailed;  // the file shrank or cannot be read
        if (more && !more(out.bytes, out.identity.size)) break;
    }
    return Result::ok;
}

}  // namespace

Result readFile(const NativePath& wide, Snapshot& out, const ReadMore& more)
{
    out = Snapshot{};
    if (wide.empty()) return Result::openFailed;
    Handle h(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return GetLastError() == ERROR_SHARING_VIOLATION ? Result::inUse : Result::openFailed;
    FILE_BASIC_INFO basic{};
    if (GetFileType(h.get()) != FILE_TYPE_DISK || !identityOf(h.get(), out.identity) ||
        out.identity.size > kMaxFileSize || !GetFileInformationByHandleEx(h.get(), FileBasicInfo, &basic, sizeof basic) ||
        (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        out = Snapshot{};
        return Result::openFailed;
    }
    out.readOnly = (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readChunks(h.get(), out, more) != Result::ok) {
        out = Snapshot{};
        return Result::openFailed;
    }
    return Result::ok;
}

std::size_t stagedFilesAtMost()
{
    return 1024;  // handles are no scarce resource here
}

Result readEnd(const NativePath& wide, const Identity& expected, std::size_t count, std::vector<uint8_t>& out)
{
    out.clear();
    Handle h(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return GetLastError() == ERROR_SHARING_VIOLATION ? Result::inUse : Result::openFailed;
    Identity now;
    if (!identityOf(h.get(), now) || !(now == expected)) return Result::changed;
    out.resize(static_cast<std::size_t>(std::min<uint64_t>(now.size, count)));
    const uint64_t offset = now.size - out.size();
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (out.empty() || (ReadFile(h.get(), out.data(), static_cast<DWORD>(out.size()), &got, &at) && got == out.size()))
        return Result::ok;
    out.clear();
    return Result::openFailed;
}

Result readAt(const NativePath& wide, const Identity& expected, uint64_t offset, std::size_t count,
              std::vector<uint8_t>& out)
{
    out.clear();
    Handle h(CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) return GetLastError() == ERROR_SHARING_VIOLATION ? Result::inUse : Result::openFailed;
    Identity now;
    if (!identityOf(h.get(), now) || !(now == expected)) return Result::changed;
    if (offset > now.size || count > now.size - offset || count > 0x7FFFFFFFu) return Result::openFailed;
    out.resize(count);
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (count == 0 || (ReadFile(h.get(), out.data(), static_cast<DWORD>(count), &got, &at) && got == count))
        return Result::ok;
    out.clear();
    return Result::openFailed;
}

void removeLeftoverFor(const NativePath& wide)
{
    if (!wide.empty()) TemporaryFile(folderOf(wide), nameOf(wide)).removeLeftover();
}

struct StagedFile::Impl {
    Impl(const std::wstring& photoPath, const Identity& identity)
        : photo(photoPath), expected(identity), temp(folderOf(photoPath), nameOf(photoPath)) {}
    std::wstring photo;
    Identity expected;
    // Held from the check to the swap: no other program writes the photo
    // meanwhile (and one that has it open for writing makes us wait for
    // another time).
    Handle photoHandle;
    TemporaryFile temp;
};

StagedFile::StagedFile() = default;
StagedFile::StagedFile(std::unique_ptr<Impl> impl, uint64_t size) : impl_(std::move(impl)), size_(size) {}
StagedFile::StagedFile(StagedFile&&) noexcept = default;
StagedFile& StagedFile::operator=(StagedFile&&) noexcept = default;
StagedFile::~StagedFile() = default;

Result stageFile(const NativePath& wide, const Identity& expected, const NewContent& content, StagedFile& out)
{
    if (wide.empty()) return Result::writeFailed;
    auto staged = std::make_unique<StagedFile::Impl>(wide, expected);
    Handle& photo = staged->photoHandle;
    photo.reset(CreateFileW(wide.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr));
    if (!photo.valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Result::changed;
        return error == ERROR_SHARING_VIOLATION ? Result::inUse : Result::writeFailed;
    }
    Identity now;
    FILE_BASIC_INFO basic{};
    if (!identityOf(photo.get(), now) || !(now == expected)) return Result::changed;
    if (!GetFileInformationByHandleEx(photo.get(), FileBasicInfo, &basic, sizeof basic)) return Result::writeFailed;
    if ((basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) return Result::readOnly;

    TemporaryFile& temp = staged->temp;
    if (const Result r = temp.create(); r != Result::ok) return r;
    if (const DWORD error = writeAll(temp.handle(), content.head); error != 0) return resultOfError(error);
    // Windows has no copy inside the file system for part of a file: the
    // image data is written from memory, or copied in large blocks.
    const bool inMemory = content.tail.size() == content.tailSize;
    if (const Result r = inMemory ? resultOfWrite(writeAll(temp.handle(), content.tail))
                                  : copyInBlocks(photo.get(), content.oldFrom, content.tailSize, temp.handle());
        r != Result::ok)
        return r;
    copyLook(photo.get(), temp.handle());
    out = StagedFile(std::move(staged), content.size());
    return Result::ok;
}

std::vector<Result> commitStaged(std::vector<StagedFile>& staged)
{
    // Allocated before the first rename: from there on nothing may fail
    // without its photo's result being told.
    std::vector<Result> results(staged.size(), Result::ok);
    // Each new file needs a flush of its own (a flush of the whole volume
    // takes administrator rights); made before any rename, so that the
    // renames follow one another without a wait between them.
    for (std::size_t i = 0; i < staged.size(); ++i)
        if (!FlushFileBuffers(staged[i].impl().temp.handle())) results[i] = resultOfError(GetLastError());
    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (results[i] != Result::ok) continue;
        StagedFile::Impl& file = staged[i].impl();
        // A photo that is open cannot be replaced: let go of it, and make
        // sure nobody changed it in the moment since. Left open: a change in
        // the few microseconds between this check and the rename.
        file.photoHandle.close();
        results[i] = stillTheSame(file.photo, file.expected) ? file.temp.renameOver(file.photo) : Result::changed;
    }
    staged.clear();
    return results;
}

}  // namespace exif::io
