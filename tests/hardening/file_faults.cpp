#include "file_faults.h"

#include <dirent.h>
#include <errno.h>

#include <cstdio>
#include <cstring>

extern "C" {
std::FILE* __real_fopen(const char* path, const char* mode);
char* __real_fgets(char* buffer, int size, std::FILE* file);
int __real_fflush(std::FILE* file);
int __real_fclose(std::FILE* file);
int __real_unlink(const char* path);
}

namespace lumo::test {

namespace {
FileFaults armed;
std::FILE* watched = nullptr;
int pieces_read = 0;

bool is_armed_path(const char* path) {
    return path != nullptr && !armed.path.empty() && armed.path == path;
}
}  // namespace

void arm_file_faults(const FileFaults& faults) {
    armed = faults;
    watched = nullptr;
    pieces_read = 0;
}

int open_descriptor_count() {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return -1;
    int count = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.') ++count;
    }
    closedir(dir);
    return count - 1;  // the listing's own descriptor
}

}  // namespace lumo::test

using lumo::test::armed;
using lumo::test::watched;

extern "C" {

std::FILE* __wrap_fopen(const char* path, const char* mode) {
    if (lumo::test::is_armed_path(path) && armed.fail_open) {
        errno = EACCES;
        return nullptr;
    }
    std::FILE* file = __real_fopen(path, mode);
    if (file != nullptr && lumo::test::is_armed_path(path)) watched = file;
    return file;
}

char* __wrap_fgets(char* buffer, int size, std::FILE* file) {
    if (file != nullptr && file == watched && armed.fail_read_after >= 0 &&
        lumo::test::pieces_read++ >= armed.fail_read_after) {
        errno = EIO;
        return nullptr;
    }
    return __real_fgets(buffer, size, file);
}

int __wrap_fflush(std::FILE* file) {
    if (file != nullptr && file == watched && armed.fail_flush) {
        errno = EIO;
        return EOF;
    }
    return __real_fflush(file);
}

int __wrap_fclose(std::FILE* file) {
    const bool fail = file != nullptr && file == watched && armed.fail_close;
    if (file == watched) watched = nullptr;
    const int result = __real_fclose(file);
    if (fail) {
        errno = EIO;
        return EOF;
    }
    return result;
}

int __wrap_unlink(const char* path) {
    if (lumo::test::is_armed_path(path) && armed.fail_unlink) {
        errno = EACCES;
        return -1;
    }
    return __real_unlink(path);
}

}  // extern "C"
