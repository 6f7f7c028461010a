#include "speller/leftover_temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

namespace lumo::tool {

namespace {

timespec now() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return t;
}

// Taken when the program loads, before any file of its own is written.
const timespec process_start = now();

bool before_start(const timespec& t) {
    return t.tv_sec < process_start.tv_sec ||
           (t.tv_sec == process_start.tv_sec && t.tv_nsec < process_start.tv_nsec);
}

// What mkstemp puts in place of XXXXXX.
bool random_suffix(const std::string& name, size_t from) {
    if (name.size() != from + 6) return false;
    for (size_t i = from; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    return true;
}

}  // namespace

bool is_leftover_temporary_name(const std::string& name) {
    static const char Build[] = ".lumospell-build-";
    static const char Save[] = ".lumospell-";
    if (name.compare(0, sizeof Build - 1, Build) == 0) return random_suffix(name, sizeof Build - 1);
    // .NAME.lumospell-XXXXXX, NAME not empty.
    if (name.size() < 1 + 1 + sizeof Save - 1 + 6 || name[0] != '.') return false;
    const size_t at = name.size() - 6 - (sizeof Save - 1);
    return at > 1 && name.compare(at, sizeof Save - 1, Save) == 0 && random_suffix(name, at + 11);
}

int remove_leftover_temporaries(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return 0;
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (!is_leftover_temporary_name(name)) continue;
        struct stat st;
        // Not followed: a link of that name is left alone.
        if (fstatat(dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || !before_start(st.st_mtim))
            continue;
        if (unlinkat(dirfd(dir), name.c_str(), 0) == 0) ++removed;
    }
    closedir(dir);
    return removed;
}

}  // namespace lumo::tool
