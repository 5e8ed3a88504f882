// File access on Linux and other POSIX systems.
#include "file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace exif::io {
namespace {

Identity identityOf(const struct stat& st)
{
    Identity id;
    id.size = static_cast<uint64_t>(st.st_size);
    id.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
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

// Write permission by the mode bits as well as by access(): root may write
// anything, but a photo or folder its owner made read-only stays so for us.
bool isWritable(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return ::access(path.c_str(), W_OK) == 0;
}

bool writeAll(int fd, const std::vector<uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A name no other file has yet: the photo's name, the process, a counter and
// a random number. Created with O_EXCL, so a leftover is never reused.
int createTemporary(const std::string& folder, const std::string& name, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + "/." + name + ".exif-" + std::to_string(::getpid()) + "-" +
                   std::to_string(counter++) + "-" + std::to_string(random()) + ".tmp";
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

Result readFile(const std::string& path, Snapshot& out, const ReadMore& more)
{
    out = Snapshot{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Result::openFailed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > kMaxFileSize) {
        ::close(fd);
        return Result::openFailed;
    }
    out.identity = identityOf(st);
    bool failed = false;
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
        if (got != chunk) {
            failed = true;  // the file shrank or cannot be read
            break;
        }
        if (more && !more(out.bytes, out.identity.size)) break;
    }
    ::close(fd);
    if (failed) {
        out = Snapshot{};
        return Result::openFailed;
    }
    out.readOnly = !isWritable(path) || !isWritable(folderOf(path));
    return Result::ok;
}

Result replaceFile(const std::string& path, const Identity& expected, const std::vector<uint8_t>& bytes)
{
    const std::string folder = folderOf(path);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return Result::writeFailed;
    if (!(identityOf(st) == expected)) return Result::writeFailed;  // changed by someone else meanwhile
    if (!isWritable(path) || !isWritable(folder)) return Result::readOnly;

    std::string tempPath;
    const int fd = createTemporary(folder, nameOf(path), tempPath);
    if (fd < 0) return (errno == EACCES || errno == EROFS || errno == EPERM) ? Result::readOnly : Result::writeFailed;
    bool ok = writeAll(fd, bytes);
    ok = ok && ::fchmod(fd, st.st_mode & 07777) == 0;
    if (ok && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Not the owner: the new file stays ours, as any editor's would.
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tempPath.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(tempPath.c_str());
        return Result::writeFailed;
    }
    // Make the rename itself durable.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return Result::ok;
}

}  // namespace exif::io
