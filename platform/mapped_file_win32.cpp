#include "mapped_file.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace lumo::platform {

// Read whole: a mapping would keep the file from being replaced while it
// is open, and the index is rebuilt by renaming over it.
std::shared_ptr<const unsigned char> map_file_for_reading(const std::string& path, size_t& size) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return nullptr;
    auto bytes = std::make_shared<std::vector<unsigned char>>();
    unsigned char chunk[1 << 16];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + got);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return nullptr;
    size = bytes->size();
    if (bytes->empty()) bytes->push_back(0);
    return std::shared_ptr<const unsigned char>(bytes, bytes->data());
}

// Read whole for the same reason.
std::shared_ptr<unsigned char> map_file_copy_on_write(const std::string& path, size_t& size) {
    size_t length = 0;
    const std::shared_ptr<const unsigned char> bytes = map_file_for_reading(path, length);
    if (bytes == nullptr || length == 0) return nullptr;
    std::shared_ptr<unsigned char> copy(new (std::nothrow) unsigned char[length],
                                        std::default_delete<unsigned char[]>());
    if (copy == nullptr) return nullptr;
    std::memcpy(copy.get(), bytes.get(), length);
    size = length;
    return copy;
}

}  // namespace lumo::platform
