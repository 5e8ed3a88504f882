// File access on Linux and other POSIX systems.
#include "file_io.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace exif::io {
namespace {

Identity identityOf(const struct stat& st)
{
    Identity id;
    id.size = static_cast<uint64_t>(st.st_size);
    id.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.volume = static_cast<uint64_t>(st.st_dev);
    id.fileId = static_cast<uint64_t>(st.st_ino);
    return id;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// By the mode bits, not by access(): root may write anything, but a photo
// its owner made read-only stays so for us, as a read-only file does on
// Windows.
bool isMarkedReadOnly(const struct stat& st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool folderTakesNewFiles(const std::string& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

Result resultOfWriteError(int error)
{
    switch (error) {
    case ENOSPC: case EDQUOT: case EFBIG: return Result::diskFull;
    case EACCES: case EPERM: case EROFS: return Result::folderReadOnly;
    default: return Result::writeFailed;
    }
}

// 0 on success, else the errno of the failed write.
int writeAll(int fd, std::span<const uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

void closeQuietly(int fd)
{
    if (fd >= 0) ::close(fd);
}

// The temporary file of one write: created exclusively and locked while the
// write runs, so that no other write takes it for a leftover; removed unless
// it was renamed over the photo.
class TemporaryFile {
public:
    TemporaryFile(std::string folder, const std::string& photoName)
        : path_(folder + "/." + temporaryNameStem(photoName.data(), photoName.size())) {}
    ~TemporaryFile()
    {
        if (fd_ >= 0 && !renamed_) ::unlink(path_.c_str());
        closeQuietly(fd_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    Result create()
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd_ >= 0) {
                if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return Result::ok;
                return Result::writeFailed;  // never expected: nobody else has it open yet
            }
            if (errno != EEXIST) return resultOfWriteError(errno);
            if (const Result r = removeLeftover(); r != Result::ok) return r;
        }
        return Result::inUse;
    }

    int fd() const { return fd_; }
    Result renameOver(const std::string& photo)
    {
        if (::rename(path_.c_str(), photo.c_str()) != 0) return resultOfWriteError(errno);
        renamed_ = true;
        return Result::ok;
    }

    // A file of our name that no write holds and that is older than any
    // write that could be starting is what a killed write left: it goes.
    Result removeLeftover()
    {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return errno == ENOENT ? Result::ok : Result::inUse;
        struct stat st {};
        bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (ok) {
            const time_t age = ::time(nullptr) - st.st_mtim.tv_sec;
            if (age < kLeftoverAgeSeconds) ::sleep(static_cast<unsigned>(kLeftoverAgeSeconds - std::max<time_t>(age, 0)));
            struct stat now {};
            // Still the same file, and still unchanged: then it is abandoned.
            ok = ::lstat(path_.c_str(), &now) == 0 && now.st_ino == st.st_ino && now.st_dev == st.st_dev &&
                 now.st_mtim.tv_sec == st.st_mtim.tv_sec && now.st_mtim.tv_nsec == st.st_mtim.tv_nsec &&
                 ::unlink(path_.c_str()) == 0;
        }
        ::close(fd);
        return ok ? Result::ok : Result::inUse;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool renamed_ = false;
};

bool stillTheSame(const std::string& path, const Identity& expected)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && identityOf(st) == expected;
}

Result readChunks(int fd, Snapshot& out, const ReadMore& more)
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
            const ssize_t n = ::read(fd, out.bytes.data() + done + got, chunk - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (got != chunk) return Result::openFailed;  // the file shrank or cannot be read
        if (more && !more(out.bytes, out.identity.size)) break;
    }
    return Result::ok;
}

// Whether copy_file_range cannot serve this pair of files (another file
// system, an old kernel, a special file), so that the bytes are copied
// through memory instead.
bool copyUnsupported(int error)
{
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == ETXTBSY ||
           error == EBADF || error == EPERM;
}

// Below this a tail read already is written from memory at once: opening
// the old file again would cost more than it saves.
constexpr std::size_t kCopyByRangeFrom = 256 * 1024;
// The blocks of a copy through memory.
constexpr std::size_t kCopyBlock = 1 << 20;

// Copies `count` bytes of `old` from `from` on to `fd` through memory.
Result copyInBlocks(int old, uint64_t from, uint64_t count, int fd)
{
    std::vector<uint8_t> block(static_cast<std::size_t>(std::min<uint64_t>(count, kCopyBlock)));
    while (count > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(count, block.size()));
        const ssize_t n = ::pread(old, block.data(), want, static_cast<off_t>(from));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n == 0 ? Result::changed : Result::writeFailed;  // n == 0: the old file is shorter
        if (const int error = writeAll(fd, std::span(block).first(static_cast<std::size_t>(n))); error != 0)
            return resultOfWriteError(error);
        from += static_cast<uint64_t>(n);
        count -= static_cast<uint64_t>(n);
    }
    return Result::ok;
}

// Copies the old file's bytes from content.oldFrom on to `fd`: inside the
// kernel, from the very file that was read, where it can; else through
// memory (from `tail` where the bytes were read).
Result copyTail(const std::string& photo, const Identity& expected, const NewContent& content, int fd)
{
    const bool inMemory = content.tail.size() == content.tailSize;
    if (inMemory && content.tailSize < kCopyByRangeFrom) {
        const int error = writeAll(fd, content.tail);
        return error == 0 ? Result::ok : resultOfWriteError(error);
    }
    const int old = ::open(photo.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    struct stat st {};
    if (old < 0 || ::fstat(old, &st) != 0 || !(identityOf(st) == expected)) {
        closeQuietly(old);
        return Result::changed;
    }
    // Where the image data keeps its place (a value rewritten in place), a
    // file system that shares blocks between files (Btrfs, XFS) can share
    // those from the first block boundary on: the bytes before it are
    // copied on their own.
    const uint64_t block = st.st_blksize > 0 ? static_cast<uint64_t>(st.st_blksize) : 4096;
    const uint64_t toBoundary = content.head.size() == content.oldFrom ? (block - content.oldFrom % block) % block : 0;
    loff_t from = static_cast<loff_t>(content.oldFrom);
    uint64_t copied = 0;
    while (copied < content.tailSize) {
        const uint64_t want = copied < toBoundary ? toBoundary - copied : content.tailSize - copied;
        const ssize_t n = ::copy_file_range(old, &from, fd, nullptr, std::min(want, content.tailSize - copied), 0);
        if (n < 0 && errno == EINTR) continue;
        const int error = n < 0 ? errno : 0;
        if (n < 0 && copyUnsupported(error)) break;  // the rest through memory
        if (n <= 0) {
            ::close(old);
            return n == 0 ? Result::changed : resultOfWriteError(error);  // n == 0: the old file is shorter
        }
        copied += static_cast<uint64_t>(n);
    }
    Result r = Result::ok;
    if (copied < content.tailSize && inMemory) {
        const int error = writeAll(fd, content.tail.subspan(static_cast<std::size_t>(copied)));
        r = error == 0 ? Result::ok : resultOfWriteError(error);
    } else if (copied < content.tailSize) {
        r = copyInBlocks(old, content.oldFrom + copied, content.tailSize - copied, fd);
    }
    ::close(old);
    return r;
}

}  // namespace

bool toNativePath(const std::string& narrow, NativePath& out)
{
    out = narrow;
    return !narrow.empty();
}

Result readFile(const NativePath& path, Snapshot& out, const ReadMore& more)
{
    out = Snapshot{};
    // Without blocking: opening a pipe for reading would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Result::openFailed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > kMaxFileSize) {
        ::close(fd);
        return Result::openFailed;
    }
    out.identity = identityOf(st);
    out.readOnly = isMarkedReadOnly(st);
    const Result r = readChunks(fd, out, more);
    ::close(fd);
    if (r != Result::ok) {
        out = Snapshot{};
        return r;
    }
    out.folderReadOnly = !folderTakesNewFiles(folderOf(path));
    return Result::ok;
}

std::size_t stagedFilesAtMost()
{
    struct rlimit open {};
    const rlim_t limit = ::getrlimit(RLIMIT_NOFILE, &open) == 0 ? open.rlim_cur : 1024;
    return static_cast<std::size_t>(std::clamp<rlim_t>(limit / 2, 16, 1024));
}

Result readEnd(const NativePath& path, const Identity& expected, std::size_t count, std::vector<uint8_t>& out)
{
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(identityOf(st) == expected)) {
        closeQuietly(fd);
        return fd < 0 ? Result::openFailed : Result::changed;
    }
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    out.resize(static_cast<std::size_t>(std::min<uint64_t>(size, count)));
    std::size_t got = 0;
    while (got < out.size()) {
        const ssize_t n = ::pread(fd, out.data() + got, out.size() - got, static_cast<off_t>(size - out.size() + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (got == out.size()) return Result::ok;
    out.clear();
    return Result::openFailed;
}

Result readAt(const NativePath& path, const Identity& expected, uint64_t offset, std::size_t count,
              std::vector<uint8_t>& out)
{
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !(identityOf(st) == expected)) {
        closeQuietly(fd);
        return fd < 0 ? Result::openFailed : Result::changed;
    }
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (offset > size || count > size - offset) {
        ::close(fd);
        return Result::openFailed;
    }
    out.resize(count);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd, out.data() + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (got == count) return Result::ok;
    out.clear();
    return Result::openFailed;
}

void removeLeftoverFor(const NativePath& path)
{
    TemporaryFile(folderOf(path), nameOf(path)).removeLeftover();
}

struct StagedFile::Impl {
    Impl(const std::string& photoPath, const Identity& identity)
        : photo(photoPath), folder(folderOf(photoPath)), expected(identity), temp(folder, nameOf(photoPath)) {}
    std::string photo;
    std::string folder;
    Identity expected;
    TemporaryFile temp;
};

StagedFile::StagedFile() = default;
StagedFile::StagedFile(std::unique_ptr<Impl> impl, uint64_t size) : impl_(std::move(impl)), size_(size) {}
StagedFile::StagedFile(StagedFile&&) noexcept = default;
StagedFile& StagedFile::operator=(StagedFile&&) noexcept = default;
StagedFile::~StagedFile() = default;

Result stageFile(const NativePath& path, const Identity& expected, const NewContent& content, StagedFile& out)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !(identityOf(st) == expected))
        return Result::changed;  // gone, or changed by someone else meanwhile
    if (isMarkedReadOnly(st)) return Result::readOnly;
    if (!folderTakesNewFiles(folderOf(path))) return Result::folderReadOnly;

    auto staged = std::make_unique<StagedFile::Impl>(path, expected);
    TemporaryFile& temp = staged->temp;
    if (const Result r = temp.create(); r != Result::ok) return r;
    if (const int error = writeAll(temp.fd(), content.head); error != 0) return resultOfWriteError(error);
    if (const Result r = copyTail(path, expected, content, temp.fd()); r != Result::ok) return r;
    if (::fchmod(temp.fd(), st.st_mode & 07777) != 0) return Result::writeFailed;
    if (::fchown(temp.fd(), st.st_uid, st.st_gid) != 0) {
        // Not the owner: the new file stays ours, as any editor's would.
    }
    // The disk may start on this file while the next ones are prepared; the
    // commit waits for it.
    ::sync_file_range(temp.fd(), 0, 0, SYNC_FILE_RANGE_WRITE);
    out = StagedFile(std::move(staged), content.size());
    return Result::ok;
}

namespace {

// File systems whose sync of a whole volume flushes the disk's cache as a
// file's flush does: ext2/3/4, XFS, Btrfs, F2FS. Elsewhere - FAT and exFAT
// memory cards, FUSE, network file systems - a volume's sync may stop short
// of that, and each file is flushed alone.
bool volumeSyncFlushesTheDisk(int fd)
{
    struct statfs volume {};
    if (::fstatfs(fd, &volume) != 0) return false;
    switch (static_cast<unsigned long>(volume.f_type)) {
    case EXT4_SUPER_MAGIC: case XFS_SUPER_MAGIC: case BTRFS_SUPER_MAGIC: case F2FS_SUPER_MAGIC: return true;
    default: return false;
    }
}

// Makes the staged files durable, noting in `results` those that could not
// be. One file is flushed alone. Many are made durable together: each
// file's data is written out and checked for errors without a flush of the
// disk's cache, then one sync of each file system commits their metadata and
// flushes that cache once - where a flush of each file would flush it once a
// file.
void makeDurable(std::vector<StagedFile>& staged, std::vector<Result>& results)
{
    const auto fdOf = [&staged](std::size_t i) { return staged[i].impl().temp.fd(); };
    if (staged.size() == 1) {
        if (::fsync(fdOf(0)) != 0) results[0] = resultOfWriteError(errno);
        return;
    }
    constexpr unsigned kWriteAndWait =
        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    std::vector<dev_t> volumes(staged.size(), 0);
    for (std::size_t i = 0; i < staged.size(); ++i) {
        struct stat st {};
        if (::sync_file_range(fdOf(i), 0, 0, kWriteAndWait) != 0 || ::fstat(fdOf(i), &st) != 0)
            results[i] = resultOfWriteError(errno);
        volumes[i] = st.st_dev;
    }
    for (std::size_t i = 0; i < staged.size(); ++i) {
        const bool synced = std::find(volumes.begin(), volumes.begin() + i, volumes[i]) != volumes.begin() + i;
        if (synced || (volumeSyncFlushesTheDisk(fdOf(i)) && ::syncfs(fdOf(i)) == 0)) continue;
        // Another file system, or a failure of the volume's sync: each of
        // its files flushed alone, so that each is told its own fate.
        for (std::size_t j = i; j < staged.size(); ++j)
            if (volumes[j] == volumes[i] && results[j] == Result::ok && ::fsync(fdOf(j)) != 0)
                results[j] = resultOfWriteError(errno);
    }
}

}  // namespace

std::vector<Result> commitStaged(std::vector<StagedFile>& staged)
{
    // Allocated before the first rename: from there on nothing may fail
    // without its photo's result being told.
    std::vector<Result> results(staged.size(), Result::ok);
    std::vector<const std::string*> folders;
    folders.reserve(staged.size());
    makeDurable(staged, results);
    for (std::size_t i = 0; i < staged.size(); ++i) {
        if (results[i] != Result::ok) continue;
        StagedFile::Impl& file = staged[i].impl();
        // Another program may have changed the photo while the batch was
        // written; its change is not to be lost. Left open: another
        // program's change in the few microseconds between this check and
        // the rename.
        if (!stillTheSame(file.photo, file.expected)) {
            results[i] = Result::changed;
            continue;
        }
        results[i] = file.temp.renameOver(file.photo);
        const auto sameFolder = [&file](const std::string* f) { return *f == file.folder; };
        if (results[i] == Result::ok && std::none_of(folders.begin(), folders.end(), sameFolder))
            folders.push_back(&file.folder);
    }
    // Make the renames themselves durable.
    for (const std::string* folder : folders) {
        const int dirFd = ::open(folder->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            ::fsync(dirFd);
            ::close(dirFd);
        }
    }
    staged.clear();
    return results;
}

}  // namespace exif::io
