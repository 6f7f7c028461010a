// File operations that differ between systems.
#pragma once

#include <cstdint>
#include <cstdio>

namespace lumo::platform {

// Size in bytes of the file at path; false when its status cannot be had
// or it is not a regular file.
bool file_size(const char* path, uint64_t* size);

// True when a file or directory of that name exists.
bool path_exists(const char* path);

// Opens with shared access (other readers and writers are not locked out).
std::FILE* open_file(const char* path, const char* mode);

// Flushes, makes the data durable and closes; false when any step fails.
bool close_written_file(std::FILE* file);

bool remove_file(const char* path);

// Renames, failing when a file of the new name already exists.
bool rename_no_replace(const char* from, const char* to);

// True when both names lead to the same existing file (links included).
bool same_file(const char* a, const char* b);

}  // namespace lumo::platform
