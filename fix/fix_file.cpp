#include "fix/fix_file.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "speller/leftover_temporaries.h"
#include "speller/project_config.h"

namespace lumo::tool {

namespace {

bool read_fd(int fd, std::string& bytes) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

// A temporary file beside path holding bytes, flushed to the disk; its
// name in temp_path.  errno tells why when it fails.
bool write_temporary(const std::string& path, const std::string& bytes, mode_t mode,
                     std::string& temp_path) {
    const std::string folder = folder_of(path);
    std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    std::string pattern = folder + "/." + name + ".lumospell-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) return false;
    temp_path = pattern;
    size_t done = 0;
    bool ok = fchmod(fd, mode & 07777) == 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    const int saved = errno;
    ok = close(fd) == 0 && ok;
    if (!ok) {
        unlink(temp_path.c_str());
        errno = saved ? saved : errno;
    }
    return ok;
}

}  // namespace

bool read_for_fixing(const std::string& path, FileSnapshot& snapshot, std::string& error) {
    // Asked before opening: opening a FIFO waits for a writer, a device
    // may never answer.  O_NONBLOCK for one put there in between.
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "not a regular file";
        return false;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 || fstat(fd, &st) != 0) {
        error = std::strerror(errno);
        if (fd >= 0) close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        error = "not a regular file";
        return false;
    }
    const bool ok = read_fd(fd, snapshot.bytes);
    close(fd);
    if (!ok) {
        error = std::string("read error: ") + std::strerror(errno);
        return false;
    }
    snapshot.mode = st.st_mode;
    if (access(path.c_str(), W_OK) != 0) {
        error = std::string("cannot be written: ") + std::strerror(errno);
        return false;
    }
    if (access(folder_of(path).c_str(), W_OK) != 0) {
        error = "its folder cannot be written: " + std::string(std::strerror(errno));
        return false;
    }
    return true;
}

bool unchanged_on_disk(const std::string& path, const FileSnapshot& snapshot) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    std::string now;
    const bool ok = read_fd(fd, now);
    close(fd);
    return ok && now == snapshot.bytes;
}

bool write_fixed(const std::string& given_path, const FileSnapshot& snapshot,
                 const std::string& text, std::string& error) {
    // A link stays one: the file it leads to is replaced.
    const std::string resolved = real_path(given_path);
    const std::string path = resolved.empty() ? given_path : resolved;
    sigset_t ending, before;
    sigemptyset(&ending);
    for (int s : {SIGINT, SIGHUP, SIGTERM, SIGQUIT, SIGTSTP}) sigaddset(&ending, s);
    sigprocmask(SIG_BLOCK, &ending, &before);
    std::string backup_temp, text_temp;
    remove_leftover_temporaries(folder_of(path));
    bool ok = write_temporary(path, snapshot.bytes, snapshot.mode, backup_temp);
    if (ok && !write_temporary(path, text, snapshot.mode, text_temp)) {
        ok = false;
        unlink(backup_temp.c_str());
    }
    if (ok && rename(backup_temp.c_str(), (path + ".bak").c_str()) != 0) {
        ok = false;
        const int saved = errno;
        unlink(backup_temp.c_str());
        unlink(text_temp.c_str());
        errno = saved;
    }
    if (ok && rename(text_temp.c_str(), path.c_str()) != 0) {
        ok = false;
        const int saved = errno;
        unlink(text_temp.c_str());
        errno = saved;
    }
    if (!ok) error = std::strerror(errno);
    if (ok) {
        const int folder = open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            fsync(folder);
            close(folder);
        }
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
    return ok;
}

}  // namespace lumo::tool
