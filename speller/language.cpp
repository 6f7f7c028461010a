#include "speller/language.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace lumo::tool {

const std::vector<std::string>& known_languages() {
    static const std::vector<std::string> names = {"en_US", "en_GB", "en_CA", "en_AU"};
    return names;
}

std::string language_of_locale(const std::string& locale) {
    const std::string base = locale.substr(0, locale.find_first_of(".@"));
    if (base == "en") return "en_US";
    for (const std::string& name : known_languages())
        if (base == name) return name;
    // English of other places spells mostly the British way.
    if (base.rfind("en_", 0) == 0) return base == "en_NZ" ? "en_AU" : "en_GB";
    return {};
}

bool choose_language(const std::string& asked, LanguageChoice& choice, std::string& error) {
    if (!asked.empty() && asked != "en") {
        for (const std::string& name : known_languages())
            if (asked == name) {
                choice = {name, "--lang " + name};
                return true;
            }
        error = "unknown language '" + asked + "' (en, en_US, en_GB, en_CA or en_AU)";
        return false;
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value == nullptr || *value == '\0') continue;
        const std::string name = language_of_locale(value);
        const std::string setting = std::string(variable) + "=" + value;
        if (name.empty())
            choice = {"en_US", setting + " has no English of ours; en_US"};
        else
            choice = {name, "from " + setting};
        return true;
    }
    choice = {"en_US", "no locale set; en_US"};
    return true;
}

std::vector<std::string> installed_languages(const std::string& data_dir) {
    std::vector<std::string> names;
    for (const std::string& name : known_languages())
        if (access((data_dir + "/" + name + ".dic").c_str(), R_OK) == 0) names.push_back(name);
    return names;
}

bool language_dictionary(const std::string& data_dir, const std::string& name, std::string& path,
                         std::string& error) {
    path = data_dir + "/" + name + ".dic";
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        std::string installed;
        for (const std::string& n : installed_languages(data_dir))
            installed += (installed.empty() ? "" : ", ") + n;
        error = "the " + name + " dictionary " + path +
                " is not installed (installed: " + (installed.empty() ? "none" : installed) + ")";
        return false;
    }
    // Every word line ends with CR LF; a file that does not was cut short.
    char tail[2] = {0, 0};
    const bool whole = std::fseek(f, -2, SEEK_END) == 0 && std::fread(tail, 1, 2, f) == 2 &&
                       tail[0] == '\r' && tail[1] == '\n';
    std::fclose(f);
    if (!whole) {
        error = "the " + name + " dictionary " + path + " is cut short or empty; reinstall it";
        return false;
    }
    return true;
}

}  // namespace lumo::tool
