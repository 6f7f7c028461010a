#include "speller/dictionary_locations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

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

std::string hunspell_dictionary_warning(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    const std::string affixes = path.substr(0, dot) + ".aff";
    if (access(affixes.c_str(), F_OK) != 0) return {};
    std::ifstream in(path, std::ios::binary);
    std::string first;
    if (!std::getline(in, first)) return {};
    if (!first.empty() && first.back() == '\r') first.pop_back();
    if (first.empty() || first.find_first_not_of("0123456789") != std::string::npos) return {};
    return path + " is a Hunspell dictionary (a word count on its first line, " + affixes +
           " beside it): its affix flags are not read, so inflected forms are unknown; give a " +
           "plain word list instead (one word a line: 'unmunch " + path + " " + affixes +
           "' of hunspell-tools makes one), or leave the main dictionary to the installed one";
}

}  // namespace lumo::tool
