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

}  // namespace lumo::platform
