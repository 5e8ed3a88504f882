// File access on Linux and other POSIX systems.
#include "file_io.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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
int writeAll(int fd, const std::vector<uint8_t>& bytes)
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
    if (!more) out.bytes.reserve(static_cast<std::size_t>(out.identity.size));  // the whole file: one allocation
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

void removeLeftoverFor(const NativePath& path)
{
    TemporaryFile(folderOf(path), nameOf(path)).removeLeftover();
}

Result replaceFile(const NativePath& path, const Identity& expected, const std::vector<uint8_t>& bytes)
{
    const std::string folder = folderOf(path);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !(identityOf(st) == expected))
        return Result::changed;  // gone, or changed by someone else meanwhile
    if (isMarkedReadOnly(st)) return Result::readOnly;
    if (!folderTakesNewFiles(folder)) return Result::folderReadOnly;

    TemporaryFile temp(folder, nameOf(path));
    if (const Result r = temp.create(); r != Result::ok) return r;
    if (const int error = writeAll(temp.fd(), bytes); error != 0) return resultOfWriteError(error);
    if (::fchmod(temp.fd(), st.st_mode & 07777) != 0) return Result::writeFailed;
    if (::fchown(temp.fd(), st.st_uid, st.st_gid) != 0) {
        // Not the owner: the new file stays ours, as any editor's would.
    }
    if (::fsync(temp.fd()) != 0) return resultOfWriteError(errno);
    // Another program may have changed the photo while the new file was
    // written; its change is not to be lost. Left open: another program's
    // change in the few microseconds between this check and the rename.
    if (!stillTheSame(path, expected)) return Result::changed;
    if (const Result r = temp.renameOver(path); r != Result::ok) return r;
    // Make the rename itself durable.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return Result::ok;
}

}  // namespace exif::io
