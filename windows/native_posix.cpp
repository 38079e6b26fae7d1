#include "windows/native.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace {
int openForSync(const std::filesystem::path& path, int flags)
{
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW);
    } while (fd < 0 && errno == EINTR);
    return fd;
}
} // namespace

void NativeDiskSync::SyncFile(const std::filesystem::path& file)
{
    const int fd = openForSync(file, O_RDONLY);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "open for flush");
    }
    const int result = ::fsync(fd);
    const int savedErrno = errno;
    ::close(fd);
    if (result != 0) {
        throw std::system_error(savedErrno, std::generic_category(), "flush to disk");
    }
}

void NativeDiskSync::SyncDirectory(const std::filesystem::path& directory) noexcept
{
    // Some file systems cannot flush a directory; the rename is then as durable as they make it.
    const int fd = openForSync(directory, O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
