#include "mapped_file.h"

#include <cstdio>
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

}  // namespace lumo::platform
