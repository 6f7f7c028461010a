#include "user_dictionary_recovery.h"

#include <errno.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "common/save_names.h"
#include "lead_bytes.h"

namespace lumo::tool {

bool ensure_user_dictionary(const std::string& path, std::string& error) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            error = "user dictionary " + path + " is a directory";
            return false;
        }
        return true;
    }
    // A save that died between its two renames left the list only under
    // the backup name ("<base>.BAK"); an empty list's first save would
    // delete that backup, so take it back instead.
    const lumo::platform::LeadByteSet& lead = lumo::platform::system_lead_bytes();
    const std::string backup =
        lumo::common::native_save_paths(path.c_str(), [&lead](unsigned char c) {
            return lead.is_lead(c);
        }).backup;
    if (stat(backup.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        if (std::rename(backup.c_str(), path.c_str()) != 0) {
            error = "cannot restore user dictionary " + path + " from " + backup + ": " +
                    std::strerror(errno);
            return false;
        }
        std::fprintf(stderr, "lumospell: user dictionary %s restored from %s\n", path.c_str(),
                     backup.c_str());
        return true;
    }
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        error = "cannot create user dictionary " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(file);
    return true;
}

}  // namespace lumo::tool
