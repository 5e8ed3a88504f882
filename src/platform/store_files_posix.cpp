#include "platform/store_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace vantora::platform {

namespace {

// Closes the descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool copyContents(int in, int out)
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!writeAll(out, buffer, static_cast<std::size_t>(got)))
            return false;
    }
}

}  // namespace

bool copyFileNoOverwrite(const std::filesystem::path& from, const std::filesystem::path& to)
{
    FileDescriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return false;
    // O_EXCL makes "the target must not exist" and the creation one step.
    FileDescriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!out.valid())
        return false;
    const bool copied = copyContents(in.get(), out.get()) && ::fsync(out.get()) == 0 && out.close();
    if (!copied)
        ::unlink(to.c_str());
    return copied;
}

void markStoreFolder(const std::filesystem::path&) {}

bool writeFileDurably(const std::filesystem::path& file, std::string_view bytes)
{
    FileDescriptor out(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!out.valid())
        return false;
    const bool written = writeAll(out.get(), bytes.data(), bytes.size()) && ::fsync(out.get()) == 0;
    return out.close() && written;
}

bool replaceFile(const std::filesystem::path& newFile, const std::filesystem::path& target)
{
    if (::rename(newFile.c_str(), target.c_str()) != 0)
        return false;
    // The rename itself reaches the disk only with its folder.
    FileDescriptor folder(::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                                 O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid())
        ::fsync(folder.get());
    return true;
}

}  // namespace vantora::platform
