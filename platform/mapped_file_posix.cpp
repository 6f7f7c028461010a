#include "mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumo::platform {

std::shared_ptr<const unsigned char> map_file_for_reading(const std::string& path, size_t& size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
        ::close(fd);
        size = 0;
        return st.st_size == 0 && S_ISREG(st.st_mode)
                   ? std::shared_ptr<const unsigned char>(std::make_shared<unsigned char>(0))
                   : nullptr;
    }
    size = static_cast<size_t>(st.st_size);
#if defined(MAP_POPULATE)
    constexpr int Flags = MAP_PRIVATE | MAP_POPULATE;  // one fault-in instead of many
#else
    constexpr int Flags = MAP_PRIVATE;
#endif
    void* at = ::mmap(nullptr, size, PROT_READ, Flags, fd, 0);
    ::close(fd);
    if (at == MAP_FAILED) return nullptr;
    const size_t mapped = size;
    return std::shared_ptr<const unsigned char>(
        static_cast<const unsigned char*>(at),
        [mapped](const unsigned char* p) { ::munmap(const_cast<unsigned char*>(p), mapped); });
}

std::shared_ptr<unsigned char> map_file_copy_on_write(const std::string& path, size_t& size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
        ::close(fd);
        return nullptr;
    }
    size = static_cast<size_t>(st.st_size);
    void* at = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (at == MAP_FAILED) return nullptr;
    const size_t mapped = size;
    return std::shared_ptr<unsigned char>(static_cast<unsigned char*>(at),
                                          [mapped](unsigned char* p) { ::munmap(p, mapped); });
}

}  // namespace lumo::platform
