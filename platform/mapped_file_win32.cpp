#include <windows.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "mapped_file.h"

namespace lumo::platform {

// Mapped, so that every process of the ranker shares the index's pages
// with the file cache.  While a view is open the file cannot be replaced:
// on Windows the index is made once by the build and only read after.
std::shared_ptr<const unsigned char> map_file_for_reading(const std::string& path, size_t& size) {
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER length{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &length) ||
        static_cast<unsigned long long>(length.QuadPart) > SIZE_MAX) {
        CloseHandle(file);
        return nullptr;
    }
    size = static_cast<size_t>(length.QuadPart);
    if (size == 0) {
        // Nothing to map: a mapping of an empty file cannot be made.
        CloseHandle(file);
        return std::make_shared<unsigned char>(0);
    }
    const HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    // The mapping keeps the file open; the view keeps the mapping.
    CloseHandle(file);
    if (mapping == nullptr) return nullptr;
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    CloseHandle(mapping);
    if (view == nullptr) return nullptr;
    return std::shared_ptr<const unsigned char>(static_cast<const unsigned char*>(view),
                                                [](const unsigned char* p) { UnmapViewOfFile(p); });
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
