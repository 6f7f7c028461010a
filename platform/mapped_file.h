// A whole file for reading, mapped where the system can (the page cache is
// used as it is, nothing copied or zero-filled), read into memory otherwise.
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
// written: mapped copy-on-write where the system can, so that only the
// pages touched are read and only those changed are copied.  Null as
// above, and for an empty file.  A file that is replaced by a rename
// leaves the bytes as they were; one cut short in place must not be.
std::shared_ptr<unsigned char> map_file_copy_on_write(const std::string& path, size_t& size);

}  // namespace lumo::platform
