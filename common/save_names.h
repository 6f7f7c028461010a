// The names a user-dictionary save writes beside the dictionary: the new
// list goes first to "<drive><dir>~~$LUMOSP$.TMP", the old one is kept as
// "<drive><dir><base>.BAK".
#pragma once

#include <cstring>
#include <string>

namespace lumo::common {

constexpr char TemporaryFileName[] = "~~$LUMOSP$.TMP";
constexpr char BackupExtension[] = ".BAK";

struct SavePaths {
    std::string temporary;
    std::string backup;
};

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
    const std::string folder(path, name_start);
    SavePaths names;
    names.temporary = folder + TemporaryFileName;
    names.backup = folder + std::string(path + name_start, base_end - name_start) + BackupExtension;
    return names;
}

}  // namespace lumo::common
