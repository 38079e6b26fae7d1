#pragma once

#include "settings/disk_sync.h"

#include <cstdint>

// The operating system's own calls, one implementation per system (native_posix.cpp, native_win32.cpp).

// Makes the settings files durable with the system's flush calls.
class NativeDiskSync : public DiskSync
{
public:
    void SyncFile(const std::filesystem::path& file) override;
    void SyncDirectory(const std::filesystem::path& directory) noexcept override;
};

#ifdef _WIN32
// SetWindowPos into the topmost band (HWND_TOPMOST) or out of it (HWND_NOTOPMOST), keeping the window's
// position and size. The result is not looked at: there is nothing the caller could do about a failure.
void setWindowPosTopMost(std::uintptr_t windowHandle, bool on);

// ShellExecuteA "OPEN" of a file or link with no parameters, shown normally. The result is not looked at.
void shellOpen(std::uintptr_t parentWindow, const char* file, const char* directory);
#endif
