#include "speller/dictionary_locations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "speller/host_libraries.h"

namespace lumo::tool {

std::string installed_data_dir() {
    return program_dir() + "/" LUMOSPELL_RELATIVE_DATADIR "/lumospell";
}

std::string default_data_file(const char* name) {
    const std::string candidate = installed_data_dir() + "/" + name;
    return access(candidate.c_str(), F_OK) == 0 ? candidate : std::string();
}

std::string default_main_dictionary() { return default_data_file("main.dic"); }

std::string default_user_dictionary(std::string& error) {
    std::string base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && *xdg == '/') {
        base = xdg;
    } else if (home && *home) {
        base = std::string(home) + "/.local/share";
    } else {
        error = "cannot find a home for the user dictionary (set HOME or use --user-dict)";
        return {};
    }
    // Creates the folder and any missing parents; failures show up when
    // the dictionary file itself cannot be created.
    const std::string folder = base + "/lumospell";
    for (size_t p = 1; p != std::string::npos; p = folder.find('/', p + 1))
        mkdir(folder.substr(0, p).c_str(), 0755);
    mkdir(folder.c_str(), 0755);
    return folder + "/user.dic";
}

}  // namespace lumo::tool
