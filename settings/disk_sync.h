#pragma once

#include <filesystem>

// Pushes written data from the operating system's cache to the disk. The settings store calls it between
// writing a file and putting it in place; the platform layer provides the real one.
class DiskSync
{
public:
    virtual ~DiskSync() = default;

    // Throws std::system_error when the file's data cannot be made durable.
    virtual void SyncFile(const std::filesystem::path& file) = 0;
    // Makes a rename in the directory durable; best effort, never throws.
    virtual void SyncDirectory(const std::filesystem::path& directory) noexcept = 0;
};
