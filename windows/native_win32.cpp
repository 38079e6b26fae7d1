#include "windows/native.h"

#include <system_error>
#include <windows.h>

// After windows.h, whose definitions it needs.
#include <shellapi.h>

void NativeDiskSync::SyncFile(const std::filesystem::path& file)
{
    HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "open for flush");
    }
    const BOOL flushed = ::FlushFileBuffers(handle);
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (!flushed) {
        throw std::system_error(static_cast<int>(error), std::system_category(), "flush to disk");
    }
}

void NativeDiskSync::SyncDirectory(const std::filesystem::path&) noexcept
{
    // NTFS journals the rename itself; there is no directory handle to flush.
}

void setWindowPosTopMost(std::uintptr_t windowHandle, bool on)
{
    ::SetWindowPos(reinterpret_cast<HWND>(windowHandle), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE);
}

void shellOpen(std::uintptr_t parentWindow, const char* file, const char* directory)
{
    // SW_SHOWNORMAL rather than 0 (SW_HIDE), which would hide the mail program's window.
    ::ShellExecuteA(reinterpret_cast<HWND>(parentWindow), "OPEN", file, "", directory, SW_SHOWNORMAL);
}
