#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>

#include <cstring>

#include "files.h"

namespace lumo::platform {

namespace {

// Opens an existing file or directory only to ask about it.
HANDLE open_for_query(const char* path) {
    return CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

bool file_size(const char* path, uint64_t* size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path == nullptr || !GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool path_exists(const char* path) {
    return path != nullptr && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

std::FILE* open_file(const char* path, const char* mode) {
    if (path == nullptr || mode == nullptr) return nullptr;
    return _fsopen(path, mode, _SH_DENYNO);
}

bool close_written_file(std::FILE* file) {
    bool ok = std::fflush(file) == 0;
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    // Devices and pipes have nothing to make durable.
    if (ok && handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK &&
        !FlushFileBuffers(handle))
        ok = false;
    if (std::fclose(file) != 0) ok = false;
    return ok;
}

bool remove_file(const char* path) { return path != nullptr && DeleteFileA(path) != 0; }

bool rename_no_replace(const char* from, const char* to) {
    // MoveFileA fails when a file of the new name exists.
    return from != nullptr && to != nullptr && MoveFileA(from, to) != 0;
}

bool rename_replacing(const char* from, const char* to) {
    return from != nullptr && to != nullptr &&
           MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool same_file(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return false;
    const HANDLE first = open_for_query(a);
    if (first == INVALID_HANDLE_VALUE) return false;
    const HANDLE second = open_for_query(b);
    bool same = false;
    if (second != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION x;
        BY_HANDLE_FILE_INFORMATION y;
        same = GetFileInformationByHandle(first, &x) && GetFileInformationByHandle(second, &y) &&
               x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
               x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
        CloseHandle(second);
    }
    CloseHandle(first);
    return same;
}

bool name_exists(const char* path) { return path_exists(path); }

std::FILE* create_new_file(const char* path) {
    if (path == nullptr) return nullptr;
    // CREATE_NEW fails on any existing name, a link included.
    const HANDLE handle =
        CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        DeleteFileA(path);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (file == nullptr) {
        _close(fd);
        DeleteFileA(path);
    }
    return file;
}

bool resolve_link(const char* path, std::string* target) {
    if (path == nullptr) return false;
    *target = path;
    return true;
}

namespace {

HANDLE open_lock_file(const char* path, DWORD flags) {
    return CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | flags, nullptr);
}

// The system deletes the lock file when its last handle closes, so none
// stays beside the dictionary; a waiter holds it open, so it never goes
// from under one.  A file that may not be deleted (read-only, a folder
// without the right) is locked as it is.  In the moment its last holder
// closes it, a lock file is delete-pending and cannot be opened: again.
HANDLE open_lock_file(const char* path) {
    for (int attempt = 0;; ++attempt) {
        HANDLE handle = open_lock_file(path, FILE_FLAG_DELETE_ON_CLOSE);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED) return handle;
        handle = open_lock_file(path, 0);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED ||
            attempt == 20)
            return handle;
        Sleep(1);
    }
}

}  // namespace

LockHandle lock_file(const char* path, bool exclusive, unsigned wait_ms) {
    if (path == nullptr) return NoLock;
    const HANDLE handle = open_lock_file(path);
    if (handle == INVALID_HANDLE_VALUE) return NoLock;
    const DWORD flags = (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | LOCKFILE_FAIL_IMMEDIATELY;
    unsigned waited = 0;
    unsigned pause = 1;
    for (;;) {
        OVERLAPPED at = {};
        if (LockFileEx(handle, flags, 0, 1, 0, &at)) break;
        const DWORD error = GetLastError();
        if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
            CloseHandle(handle);
            SetLastError(error);
            return NoLock;
        }
        if (waited >= wait_ms) {
            CloseHandle(handle);
            SetLastError(static_cast<DWORD>(file_fault_error(FileFault::Busy)));
            return NoLock;
        }
        Sleep(pause);
        waited += pause;
        pause = pause < 4 ? pause * 2 : 5;
    }
    return reinterpret_cast<LockHandle>(handle);
}

void unlock_file(LockHandle lock) {
    if (lock == NoLock) return;
    const HANDLE handle = reinterpret_cast<HANDLE>(lock);
    OVERLAPPED at = {};
    UnlockFileEx(handle, 0, 1, 0, &at);
    CloseHandle(handle);
}

int last_system_error() { return static_cast<int>(GetLastError()); }

void set_last_system_error(int code) { SetLastError(static_cast<DWORD>(code)); }

int file_fault_error(FileFault fault) {
    switch (fault) {
        case FileFault::Busy: return ERROR_LOCK_VIOLATION;
        case FileFault::NameClash: return ERROR_ALREADY_EXISTS;
        case FileFault::NotAFile: return ERROR_DIRECTORY;
        case FileFault::NoMemory: return ERROR_NOT_ENOUGH_MEMORY;
    }
    return ERROR_GEN_FAILURE;
}

void system_error_text(int code, char* text, std::size_t size) {
    if (size == 0) return;
    text[0] = '\0';
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, text, static_cast<DWORD>(size), nullptr);
    if (length == 0) {
        std::snprintf(text, size, "error %d", code);
        return;
    }
    // The system's texts end in a line break and often a full stop.
    std::size_t end = std::strlen(text);
    while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' || text[end - 1] == '.'))
        text[--end] = '\0';
}

}  // namespace lumo::platform
