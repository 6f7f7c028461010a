#include "speller/user_dictionary_recovery.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "common/save_names.h"
#include "files.h"
#include "lead_bytes.h"

namespace lumo::tool {

namespace {

// How long recovery waits for a save in progress, as long as a save does.
constexpr unsigned RecoveryLockWaitMs = 10000;

bool is_regular_file(const std::string& path, struct stat& st) {
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool newer_or_same(const struct stat& a, const struct stat& b) {
    if (a.st_mtim.tv_sec != b.st_mtim.tv_sec) return a.st_mtim.tv_sec > b.st_mtim.tv_sec;
    return a.st_mtim.tv_nsec >= b.st_mtim.tv_nsec;
}

bool create_empty(const std::string& path, std::string& error) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "cannot create user dictionary " + path + ": " + std::strerror(errno);
        return false;
    }
    close(fd);
    return true;
}

using Notice = std::function<void(const std::string&)>;

bool take_back(const std::string& from, const std::string& path, const char* what,
               const Notice& notice, std::string& error) {
    if (!lumo::platform::rename_no_replace(from.c_str(), path.c_str())) {
        error = "cannot restore user dictionary " + path + " from " + from + ": " +
                std::strerror(errno);
        return false;
    }
    if (notice) notice("user dictionary " + path + " restored from " + from + " (" + what + ")");
    return true;
}

bool is_lead_byte(unsigned char c) { return lumo::platform::system_lead_bytes().is_lead(c); }

lumo::platform::LockHandle lock_save_folder(const std::string& path, bool exclusive) {
    return lumo::common::lock_user_dictionary(
        path.c_str(), is_lead_byte, exclusive, [](const char* name, bool exclusive_lock) {
            return lumo::platform::lock_file(name, exclusive_lock, RecoveryLockWaitMs);
        });
}

// Called with the dictionary missing and the folder's save lock held.
bool recover_missing(const std::string& path, const lumo::common::SavePaths& names,
                     const Notice& notice, std::string& error) {
    struct stat bak, tmp;
    const bool have_backup = is_regular_file(names.backup, bak);
    // A save killed between its renames leaves its finished list under the
    // temporary name; it is newer than the backup and holds the backup's words.
    if (is_regular_file(names.temporary, tmp) && (!have_backup || newer_or_same(tmp, bak)) &&
        is_complete_word_list_file(names.temporary)) {
        return take_back(names.temporary, path, "the finished list of an interrupted save", notice,
                         error);
    }
    if (have_backup)
        return take_back(names.backup, path, "the list before an interrupted save", notice, error);
    return create_empty(path, error);
}

}  // namespace

bool is_complete_word_list(const std::string& bytes) {
    if (bytes.size() < 2) return false;
    size_t line_start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\0') return false;
        if (c == '\r') {
            if (i + 1 >= bytes.size() || bytes[i + 1] != '\n' || i == line_start) return false;
            ++i;
            line_start = i + 1;
        } else if (c == '\n') {
            return false;
        }
    }
    return line_start == bytes.size();
}

bool is_complete_word_list_file(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    std::string bytes;
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, static_cast<size_t>(n));
    close(fd);
    return n == 0 && is_complete_word_list(bytes);
}

bool read_user_dictionary(const std::string& path, std::string& bytes) {
    bytes.clear();
    std::string target;
    if (!lumo::platform::resolve_link(path.c_str(), &target)) return false;
    const lumo::platform::LockHandle lock = lock_save_folder(target, false);
    if (lock == lumo::platform::NoLock) return false;
    std::FILE* in = std::fopen(target.c_str(), "rb");
    bool ok = in != nullptr;
    if (in) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.append(buffer, n);
        ok = !std::ferror(in);
        std::fclose(in);
    }
    lumo::platform::unlock_file(lock);
    return ok;
}

bool ensure_user_dictionary(const std::string& path, std::string& error, const Notice& notice) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            error = "user dictionary " + path + " is a directory";
            return false;
        }
        if (!S_ISREG(st.st_mode)) {
            error = "user dictionary " + path + " is not a regular file";
            return false;
        }
        return true;
    }
    if (lstat(path.c_str(), &st) == 0) {
        error = "user dictionary " + path + " is a link to a file that does not exist";
        return false;
    }
    const lumo::common::SavePaths names =
        lumo::common::native_save_paths(path.c_str(), is_lead_byte);
    // The same lock as the engine's saves, so that a save between its two
    // renames is never taken for a lost dictionary.
    const lumo::platform::LockHandle lock = lock_save_folder(path, true);
    if (lock == lumo::platform::NoLock) {
        error = "cannot create user dictionary " + path + ": cannot lock " + names.lock + ": " +
                std::strerror(errno);
        return false;
    }
    const bool ok = lstat(path.c_str(), &st) == 0 || recover_missing(path, names, notice, error);
    lumo::platform::unlock_file(lock);
    return ok;
}

}  // namespace lumo::tool
