// A whole file for reading, read into memory: a mapping of a file that is
// rewritten in place under a running process (cut short, bytes changed)
// faults it or feeds it bytes that were never checked, and our indexes
// and images are read often enough to make that a crash of a session.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace lumo::platform {

// Null when the file cannot be opened or is not a regular file; size gets
// its length (an empty file gives a valid pointer and size 0).  The bytes
// stay valid while any copy of the pointer lives.
std::shared_ptr<const unsigned char> map_file_for_reading(const std::string& path, size_t& size);

// The file's bytes to read and change in memory, the file itself never
// written.  Null as above, and for an empty file.  Whatever happens to
// the file afterwards leaves the bytes as they were.
std::shared_ptr<unsigned char> map_file_copy_on_write(const std::string& path, size_t& size);

}  // namespace lumo::platform
