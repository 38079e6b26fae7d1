#include "keypad/secret_text.h"
#include "windows/native.h"

#include <cstdio>
#include <string>
#include <system_error>
#include <utility>
#include <vector>
#include <windows.h>

// After windows.h, whose definitions they need.
#include <aclapi.h>
#include <shellapi.h>

namespace {

void reportFailure(const char* what, DWORD error) noexcept
{
    std::fprintf(stderr, "glyphward: %s (error %lu)\n", what, static_cast<unsigned long>(error));
}

// Replaces the process's DACL with one that lets only the current user query, wait for and end it: no other
// program, not even one of the same user, may open it to read or write its memory, inject a thread or
// duplicate its handles. An administrator can still take ownership; nothing stops one.
DWORD restrictProcessAccess() noexcept
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return ::GetLastError();
    }
    DWORD length = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &length);
    // DWORDs, for the alignment the structures need.
    std::vector<DWORD> userBuffer(length / sizeof(DWORD) + 1);
    const BOOL gotUser = ::GetTokenInformation(token, TokenUser, userBuffer.data(),
                                               static_cast<DWORD>(userBuffer.size() * sizeof(DWORD)), &length);
    const DWORD tokenError = ::GetLastError();
    ::CloseHandle(token);
    if (!gotUser) {
        return tokenError;
    }
    PSID user = reinterpret_cast<TOKEN_USER*>(userBuffer.data())->User.Sid;

    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(user);
    std::vector<DWORD> aclBuffer(aclSize / sizeof(DWORD) + 1);
    auto* acl = reinterpret_cast<PACL>(aclBuffer.data());
    if (!::InitializeAcl(acl, static_cast<DWORD>(aclBuffer.size() * sizeof(DWORD)), ACL_REVISION) ||
        !::AddAccessAllowedAce(acl, ACL_REVISION, PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE,
                               user)) {
        return ::GetLastError();
    }
    // Protected, so that no inheritable entry of the parent's comes back in.
    return ::SetSecurityInfo(::GetCurrentProcess(), SE_KERNEL_OBJECT,
                             DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                             nullptr);
}

} // namespace

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

void NativeDiskSync::SyncDirectory(const std::filesystem::path&)
{
    // NTFS journals the rename itself; there is no directory handle to flush.
}

std::optional<std::string> NativeDiskSync::readHead(const std::filesystem::path& file, std::size_t limit)
{
    // Opened first, then judged by what was opened: only a file on a disk is read, never a pipe or a device. A
    // directory does not open without FILE_FLAG_BACKUP_SEMANTICS. Others may go on writing, renaming or
    // deleting it meanwhile, as another instance saving its settings does.
    HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::optional<std::string> head;
    if (::GetFileType(handle) == FILE_TYPE_DISK) {
        std::string bytes(limit, '\0');
        std::size_t got = 0;
        bool failed = false;
        while (got < limit) {
            DWORD n = 0;
            if (!::ReadFile(handle, bytes.data() + got, static_cast<DWORD>(limit - got), &n, nullptr)) {
                failed = true;
                break;
            }
            if (n == 0) {
                break;
            }
            got += n;
        }
        if (!failed) {
            bytes.resize(got);
            head = std::move(bytes);
        }
    }
    ::CloseHandle(handle);
    return head;
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

namespace {
// The password's buffers stay out of the page file while the working set allows; a refused lock changes
// nothing.
void lockPages(const void* data, std::size_t size) noexcept
{
    ::VirtualLock(const_cast<void*>(data), size);
}

void unlockPages(const void* data, std::size_t size) noexcept
{
    ::VirtualUnlock(const_cast<void*>(data), size);
}
} // namespace

void hardenProcess() noexcept
{
    SecretText::setMemoryLock({&lockPages, &unlockPages});

    // DLLs are loaded from System32 and the program's own directory only, never from the working directory
    // or PATH, where another program could have planted one.
    if (!::SetDllDirectoryW(L"")) {
        reportFailure("cannot take the working directory out of the DLL search", ::GetLastError());
    }
    if (!::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR)) {
        reportFailure("cannot restrict the DLL search", ::GetLastError());
    }
    const DWORD aclError = restrictProcessAccess();
    if (aclError != ERROR_SUCCESS) {
        reportFailure("cannot restrict access to the process", aclError);
    }
}
