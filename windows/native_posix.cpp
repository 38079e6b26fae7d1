#include "keypad/secret_text.h"
#include "windows/native.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

void reportFailure(const char* what, int error) noexcept
{
    std::fprintf(stderr, "glyphward: %s: %s\n", what, std::strerror(error));
}

int openRetrying(const std::filesystem::path& path, int flags)
{
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// What fsync() answers on a directory where the file system cannot flush one (or, EROFS, has become read-only
// since the rename went through): the rename is then as durable as that file system makes it.
bool cannotFlushDirectories(int error)
{
    constexpr int kErrors[] = {EINVAL, ENOTSUP, EOPNOTSUPP, EROFS};
    return std::find(std::begin(kErrors), std::end(kErrors), error) != std::end(kErrors);
}

// Reads until `limit` bytes or the end of the file, asking for no more than is still wanted.
std::optional<std::string> readUpTo(int fd, std::size_t limit)
{
    std::string bytes(limit, '\0');
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t n = ::read(fd, bytes.data() + got, limit - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return std::nullopt;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}
} // namespace

int NativeDiskSync::flushToDisk(int descriptor)
{
    return ::fsync(descriptor);
}

void NativeDiskSync::SyncFile(const std::filesystem::path& file)
{
    const int fd = openRetrying(file, O_RDONLY | O_NOFOLLOW);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "open for flush");
    }
    const int result = flushToDisk(fd);
    const int savedErrno = errno;
    ::close(fd);
    if (result != 0) {
        throw std::system_error(savedErrno, std::generic_category(), "flush to disk");
    }
}

void NativeDiskSync::SyncDirectory(const std::filesystem::path& directory)
{
    // A link to the directory is followed: the rename went into the directory it leads to.
    const int fd = openRetrying(directory, O_RDONLY | O_DIRECTORY);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "open the directory for flush");
    }
    const int result = flushToDisk(fd);
    const int savedErrno = errno;
    ::close(fd);
    if (result != 0 && !cannotFlushDirectories(savedErrno)) {
        throw std::system_error(savedErrno, std::generic_category(), "flush the directory to disk");
    }
}

std::optional<std::string> NativeDiskSync::readHead(const std::filesystem::path& file, std::size_t limit)
{
    // Opened without waiting for a FIFO's writer, then judged by what was opened: whatever is put at the name
    // between a look and the open cannot block the start-up. A link to a regular file is read, as it always was.
    const int fd = openRetrying(file, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info;
    std::optional<std::string> head;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        head = readUpTo(fd, limit);
    }
    ::close(fd);
    return head;
}

namespace {
// Where the process limit allows, the password's buffers stay out of swap; a refused lock changes nothing.
void lockPages(const void* data, std::size_t size) noexcept
{
    ::mlock(data, size);
}

void unlockPages(const void* data, std::size_t size) noexcept
{
    ::munlock(data, size);
}
} // namespace

void hardenProcess() noexcept
{
    SecretText::setMemoryLock({&lockPages, &unlockPages});

    const rlimit noCore{0, 0};
    if (::setrlimit(RLIMIT_CORE, &noCore) != 0) {
        reportFailure("cannot turn off core dumps", errno);
    }
#ifndef GLYPHWARD_SANITIZE
    // Also denies ptrace and /proc/PID/mem to other processes of the same user. LeakSanitizer needs to
    // ptrace the process to stop its threads, so a sanitizer build keeps it dumpable.
    if (::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0) {
        reportFailure("cannot make the process non-dumpable", errno);
    }
#endif
#if defined(__GLIBC__) && !defined(GLYPHWARD_SANITIZE)
    // (A sanitizer build replaces glibc's allocator, which then refuses the setting.)
    // free() overwrites the blocks it takes back, which covers copies that the toolkit makes and frees on its
    // own. glibc's per-thread cache of small blocks is exempt, so the copies we hand out are wiped by us.
    constexpr int perturbByte = 0xA5;
    if (::mallopt(M_PERTURB, perturbByte) != 1) {
        reportFailure("cannot make free() overwrite freed memory", EINVAL);
    }
#endif
}
