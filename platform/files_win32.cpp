#include <windows.h>

#include <io.h>
#include <share.h>

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

}  // namespace lumo::platform
