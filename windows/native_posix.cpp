#include "keypad/secret_text.h"
#include "windows/native.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
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
