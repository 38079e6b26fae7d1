#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

// The file calls of the settings store that depend on the operating system: pushing written data from its cache
// to the disk, and reading a file without waiting on whatever may have been put at its name. The platform
// layer provides the real ones; the standard-library versions of the last two serve test doubles.
class DiskSync
{
public:
    virtual ~DiskSync() = default;

    // Throws std::system_error when the file's data cannot be made durable.
    virtual void SyncFile(const std::filesystem::path& file) = 0;
    // Makes a rename in the directory durable. Throws std::system_error when that failed; a file system that
    // cannot flush a directory at all is no failure.
    virtual void SyncDirectory(const std::filesystem::path& directory) = 0;

    // Creates `file` for writing, failing when anything, a symbolic link included, is at its name already:
    // nullptr with errno set then (EEXIST: the name is taken). The caller closes it with std::fclose. A test
    // hands out a file whose writes or close fail.
    virtual std::FILE* createFile(const std::filesystem::path& file);

    // The first `limit` bytes of the regular file at `file` (a symbolic link to one is followed), all of it when
    // it is shorter; nothing when there is no regular file there or it cannot be read. No more than `limit`
    // bytes are asked of the system. The platform's version opens first and then looks at what it opened, so
    // a FIFO or a device at the name never blocks it; the standard library can only look at the name before
    // opening it, which leaves a moment in which a FIFO put there would.
    virtual std::optional<std::string> readHead(const std::filesystem::path& file, std::size_t limit);
};
