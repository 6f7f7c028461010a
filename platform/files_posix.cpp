#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace lumo::platform {

bool file_size(const char* path, uint64_t* size) {
    struct stat st;
    if (path == nullptr || stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool path_exists(const char* path) {
    struct stat st;
    return path != nullptr && stat(path, &st) == 0;
}

std::FILE* open_file(const char* path, const char* mode) {
    if (path == nullptr) return nullptr;
    std::FILE* file = std::fopen(path, mode);
    if (file == nullptr) return nullptr;
    struct stat st;
    // Reading a directory "succeeds" on Linux until the first read; treat
    // anything but a regular file or device as unopenable.
    if (fstat(fileno(file), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

bool close_written_file(std::FILE* file) {
    bool ok = std::fflush(file) == 0;
    if (ok && fsync(fileno(file)) != 0 && errno != EINVAL && errno != EROFS) ok = false;
    if (std::fclose(file) != 0) ok = false;
    return ok;
}

bool remove_file(const char* path) { return path != nullptr && unlink(path) == 0; }

bool rename_no_replace(const char* from, const char* to) {
#ifdef __linux__
    // renameat2 is atomic and never replaces; not every file system has it.
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
#endif
    // A hard link fails when the target exists; the unlink then finishes the move.
    if (link(from, to) == 0) {
        if (unlink(from) == 0) return true;
        unlink(to);
        return false;
    }
    if (errno == EEXIST) return false;
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EXDEV) return false;
    // No hard links here (some removable media): a checked rename.
    struct stat st;
    if (lstat(to, &st) == 0 || errno != ENOENT) return false;
    return rename(from, to) == 0;
}

bool same_file(const char* a, const char* b) {
    struct stat sa, sb;
    if (a == nullptr || b == nullptr || stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace lumo::platform
