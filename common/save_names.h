// The names a user-dictionary save writes beside the dictionary: the new
// list goes first to "<drive><dir>~~$LUMOSP$.TMP", the old one is kept as
// "<drive><dir><base>.BAK", and savers take turns through
// "<drive><dir>~~$LUMOSP$.LCK".
#pragma once

#include <cstring>
#include <string>

namespace lumo::common {

constexpr char TemporaryFileName[] = "~~$LUMOSP$.TMP";
constexpr char BackupExtension[] = ".BAK";
constexpr char LockFileName[] = "~~$LUMOSP$.LCK";

struct SavePaths {
    std::string temporary;
    std::string backup;
    std::string lock;
};

namespace detail {
inline SavePaths save_paths_in(const std::string& folder, const char* base, std::size_t length) {
    SavePaths names;
    names.temporary = folder + TemporaryFileName;
    names.backup = folder + std::string(base, length) + BackupExtension;
    names.lock = folder + LockFileName;
    return names;
}
}  // namespace detail

// is_lead(byte) tells the bytes that start a double-byte character; their
// second byte is never taken for a separator or a full stop.  Both '\\'
// and '/' separate folders; "X:" at the start is a drive.
template <typename IsLead>
SavePaths save_paths_for(const char* path, IsLead is_lead) {
    const std::size_t len = std::strlen(path);
    std::size_t dir_start = 0;
    if (len >= 2 && path[1] == ':') dir_start = 2;
    std::size_t name_start = dir_start;
    for (std::size_t i = dir_start; i < len; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (is_lead(c) && i + 1 < len) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/') name_start = i + 1;
    }
    std::size_t base_end = len;
    for (std::size_t i = name_start; i < len; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (is_lead(c) && i + 1 < len) {
            ++i;
            continue;
        }
        if (c == '.') base_end = i;
    }
    return detail::save_paths_in(std::string(path, name_start), path + name_start,
                                 base_end - name_start);
}

// The names as this system forms them.  On Windows, the rule above with the
// code page's lead bytes; elsewhere '/' alone separates folders and is never
// the second byte of a character, so the path is split on bytes.
template <typename IsLead>
SavePaths native_save_paths(const char* path, IsLead is_lead) {
#ifdef _WIN32
    return save_paths_for(path, is_lead);
#else
    (void)is_lead;
    const char* slash = std::strrchr(path, '/');
    const char* name = slash != nullptr ? slash + 1 : path;
    const char* dot = std::strrchr(name, '.');
    const std::size_t length =
        dot != nullptr ? static_cast<std::size_t>(dot - name) : std::strlen(name);
    return detail::save_paths_in(std::string(path, static_cast<std::size_t>(name - path)), name,
                                 length);
#endif
}

// The one lock of the user dictionary at path (a link already resolved):
// the lock file of its folder, taken through lock_file(name, exclusive),
// the system's lock or a test's.  Every saver and every reader between
// saves takes this one.
template <typename IsLead, typename LockFile>
auto lock_user_dictionary(const char* path, IsLead is_lead, bool exclusive, LockFile&& lock_file) {
    return lock_file(native_save_paths(path, is_lead).lock.c_str(), exclusive);
}

}  // namespace lumo::common
