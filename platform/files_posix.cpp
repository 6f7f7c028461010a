#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files.h"

#include <map>
#include <mutex>
#include <string>

#ifndef RENAME_NOREPLACE
#  define RENAME_NOREPLACE (1 << 0)
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
    if (lstat(to, &st) == 0) {
        errno = EEXIST;
        return false;
    }
    if (errno != ENOENT) return false;
    return rename(from, to) == 0;
}

bool rename_replacing(const char* from, const char* to) {
    return from != nullptr && to != nullptr && ::rename(from, to) == 0;
}

bool same_file(const char* a, const char* b) {
    struct stat sa, sb;
    if (a == nullptr || b == nullptr || stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool name_exists(const char* path) {
    struct stat st;
    return path != nullptr && lstat(path, &st) == 0;
}

std::FILE* create_new_file(const char* path) {
    if (path == nullptr) return nullptr;
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        unlink(path);
        errno = error;
    }
    return file;
}

bool resolve_link(const char* path, std::string* target) {
    struct stat st;
    if (path == nullptr) return false;
    if (lstat(path, &st) != 0 || !S_ISLNK(st.st_mode)) {
        *target = path;
        return true;
    }
    char* resolved = realpath(path, nullptr);
    if (resolved == nullptr) return false;
    *target = resolved;
    free(resolved);
    return true;
}

namespace {

int open_lock_file(const char* path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
        int fd = open(path, O_RDWR | O_CREAT | flags, 0666);
        // Another user's lock file in a shared folder: a read-only one locks as well.
        if (fd < 0 && errno == EACCES) fd = open(path, O_RDONLY | flags);
        if (fd >= 0) {
            struct stat st;
            if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
            close(fd);
        } else if (errno != ELOOP) {
            return -1;
        }
        if (attempt == 0 && unlink(path) != 0) return -1;
    }
    errno = file_fault_error(FileFault::NotAFile);
    return -1;
}

}  // namespace

namespace {

// The name each held lock file was opened at, for its removal at unlock;
// none where the file system has no locks.
std::mutex lock_names_mutex;
std::map<int, std::string> lock_names;

bool names_this_file(int fd, const char* path) {
    struct stat held, named;
    return fstat(fd, &held) == 0 && lstat(path, &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

}  // namespace

LockHandle lock_file(const char* path, bool exclusive, unsigned wait_ms) {
    if (path == nullptr) return NoLock;
    const int operation = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    unsigned waited = 0;
    unsigned pause = 1;
    for (;;) {
        const int fd = open_lock_file(path);
        if (fd < 0) return NoLock;
        bool locked = true;
        while (flock(fd, operation) != 0) {
            const int error = errno;
            // A file system without locks: serialising is impossible there.
            if (error == ENOLCK || error == EOPNOTSUPP || error == ENOTSUP || error == EINVAL) {
                locked = false;
                break;
            }
            if (error != EWOULDBLOCK && error != EINTR) {
                close(fd);
                errno = error;
                return NoLock;
            }
            if (waited >= wait_ms) {
                close(fd);
                errno = file_fault_error(FileFault::Busy);
                return NoLock;
            }
            usleep(pause * 1000);
            waited += pause;
            pause = pause < 4 ? pause * 2 : 5;
        }
        if (!locked) return fd;
        // The holder before us removed the file it locked: lock the one
        // that has the name now.
        if (!names_this_file(fd, path)) {
            close(fd);
            continue;
        }
        const std::lock_guard<std::mutex> guard(lock_names_mutex);
        lock_names[fd] = path;
        return fd;
    }
}

// The last holder removes the lock file, so none stays beside the
// dictionary.  Only a holder that gets the lock exclusively may: anyone
// else who opened the file then finds it gone once locked and starts anew.
void unlock_file(LockHandle lock) {
    if (lock == NoLock) return;
    const int error = errno;
    const int fd = static_cast<int>(lock);
    std::string name;
    {
        const std::lock_guard<std::mutex> guard(lock_names_mutex);
        const auto held = lock_names.find(fd);
        if (held != lock_names.end()) {
            name = std::move(held->second);
            lock_names.erase(held);
        }
    }
    if (!name.empty() && flock(fd, LOCK_EX | LOCK_NB) == 0 && names_this_file(fd, name.c_str()))
        unlink(name.c_str());
    close(fd);
    errno = error;
}

int last_system_error() { return errno; }

void set_last_system_error(int code) { errno = code; }

int file_fault_error(FileFault fault) {
    switch (fault) {
        case FileFault::Busy: return EBUSY;
        case FileFault::NameClash: return EEXIST;
        case FileFault::NotAFile: return EISDIR;
        case FileFault::NoMemory: return ENOMEM;
    }
    return EIO;
}

void system_error_text(int code, char* text, std::size_t size) {
    if (size == 0) return;
    char buffer[256];
    // The GNU variant may return a static string instead of filling buffer.
    const char* words = buffer;
#if defined(__GLIBC__) && defined(_GNU_SOURCE)
    words = strerror_r(code, buffer, sizeof buffer);
#else
    if (strerror_r(code, buffer, sizeof buffer) != 0)
        snprintf(buffer, sizeof buffer, "error %d", code);
#endif
    snprintf(text, size, "%s", words);
}

}  // namespace lumo::platform
