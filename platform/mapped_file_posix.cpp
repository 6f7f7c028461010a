#include "mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lumo::platform {

namespace {

// Read whole rather than mapped: a file rewritten in place (cut short by
// `cp`, or bytes changed) under a mapping faults the process that walks it,
// however privately it was mapped.  Reading costs a copy from the page
// cache, a few milliseconds for the largest file we read.
std::shared_ptr<unsigned char> read_whole(const std::string& path, size_t& size, bool empty_ok) {
    // O_NONBLOCK so that a FIFO planted there does not block the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_size == 0 && !empty_ok)) {
        ::close(fd);
        return nullptr;
    }
    const size_t length = static_cast<size_t>(st.st_size);
    // Anonymous pages, huge where the system gives them: faulting in small
    // pages one by one costs more than the copy.  A file that shrank since
    // fstat gives the length actually read, one that grew its old length.
    const size_t capacity = length + 1;
    void* at =
        ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    std::shared_ptr<unsigned char> bytes;
#if defined(MADV_HUGEPAGE)
    if (at != MAP_FAILED) ::madvise(at, capacity, MADV_HUGEPAGE);
#endif
    if (at != MAP_FAILED)
        bytes.reset(static_cast<unsigned char*>(at),
                    [capacity](unsigned char* p) { ::munmap(p, capacity); });
    size_t got = 0;
    while (bytes != nullptr && got < length) {
        const ssize_t n = ::read(fd, bytes.get() + got, length - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) bytes = nullptr;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    if (bytes == nullptr || (got == 0 && !empty_ok)) return nullptr;
    size = got;
    return bytes;
}

}  // namespace

std::shared_ptr<const unsigned char> map_file_for_reading(const std::string& path, size_t& size) {
    size = 0;
    return read_whole(path, size, true);
}

std::shared_ptr<unsigned char> map_file_copy_on_write(const std::string& path, size_t& size) {
    return read_whole(path, size, false);
}

}  // namespace lumo::platform
