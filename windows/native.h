#pragma once

#include "settings/disk_sync.h"

// The operating system's own calls, one implementation per system (native_posix.cpp, native_win32.cpp).

// Makes the settings files durable with the system's flush calls.
class NativeDiskSync : public DiskSync
{
public:
    void SyncFile(const std::filesystem::path& file) override;
    void SyncDirectory(const std::filesystem::path& directory) noexcept override;
};
