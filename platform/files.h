// File operations that differ between systems.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

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

// Renames, replacing a file of the new name (one that another process has
// open or mapped, on systems that allow it).
bool rename_replacing(const char* from, const char* to);

// True when both names lead to the same existing file (links included).
bool same_file(const char* a, const char* b);

// True when the name is taken in its folder by anything (a link is not
// followed, so a dangling one counts).
bool name_exists(const char* path);

// Creates a new file for binary writing.  Fails when the name is taken in
// any form, a link or FIFO included, so nothing is written through one.
std::FILE* create_new_file(const char* path);

// The file that path leads to: the link's final target when path is a
// link, else path itself.  False when a link leads nowhere.
bool resolve_link(const char* path, std::string* target);

// An advisory lock held on the file at path, which is created when
// missing; a link or FIFO planted there is replaced, a real lock file never
// (removing one could let two holders in).  Waits up to wait_ms for other
// holders; NoLock when the lock cannot be had.  Where the file system has
// no locks the file is held open all the same.  On POSIX systems the last
// holder removes the file at unlock_file (a holder that took a file
// removed meanwhile takes the new one), so none stays behind.
using LockHandle = std::intptr_t;
constexpr LockHandle NoLock = -1;
LockHandle lock_file(const char* path, bool exclusive, unsigned wait_ms);
void unlock_file(LockHandle lock);

// The calling thread's last system error (errno; GetLastError on Windows),
// which is how the reason of a failed file operation reaches a caller.
int last_system_error();
void set_last_system_error(int code);

// Reasons the libraries find themselves, as the nearest system error.
enum class FileFault { Busy, NameClash, NotAFile, NoMemory };
int file_fault_error(FileFault fault);

// The system's wording of an error, NUL-terminated within size bytes.
void system_error_text(int code, char* text, std::size_t size);

}  // namespace lumo::platform
