#pragma once

#include "settings/disk_sync.h"

#include <cstdint>

// The operating system's own calls, one implementation per system (native_posix.cpp, native_win32.cpp).

// Closes the ways in which another program, or a crash, could read the password out of this process: no core
// dump, no debugger attach or memory reading by the same user, freed heap blocks overwritten (glibc), and
// no DLL planted in the working directory (Windows). Called once, first thing in main(). A step that fails
// is reported on standard error and the program goes on without it.
void hardenProcess() noexcept;

// Makes the settings files durable with the system's flush calls, and reads them with its open calls.
class NativeDiskSync : public DiskSync
{
public:
    void SyncFile(const std::filesystem::path& file) override;
    void SyncDirectory(const std::filesystem::path& directory) override;
    std::optional<std::string> readHead(const std::filesystem::path& file, std::size_t limit) override;

#ifndef _WIN32
protected:
    // fsync(); a test replaces it to make a flush fail.
    virtual int flushToDisk(int descriptor);
#endif
};

#ifdef _WIN32
// SetWindowPos into the topmost band (HWND_TOPMOST) or out of it (HWND_NOTOPMOST), keeping the window's
// position and size. The result is not looked at: there is nothing the caller could do about a failure.
void setWindowPosTopMost(std::uintptr_t windowHandle, bool on);

// ShellExecuteA "OPEN" of a file or link with no parameters, shown normally. The result is not looked at.
void shellOpen(std::uintptr_t parentWindow, const char* file, const char* directory);
#endif
