// Which spelling of English a session checks: its name (en_US, en_GB,
// en_CA, en_AU), asked for or taken from the locale, and the installed
// dictionary of it.
#pragma once

#include <string>
#include <vector>

namespace lumo::tool {

struct LanguageChoice {
    std::string name;  // en_US, ...
    std::string why;   // for -v: "--lang en_GB", "LANG=en_GB.UTF-8", ...
};

// The variants we make, in order.
const std::vector<std::string>& known_languages();

// The variant of a locale name ("en_GB.UTF-8" -> en_GB, "en" -> en_US);
// empty for another language or none (C, POSIX, de_DE).
std::string language_of_locale(const std::string& locale);

// The variant asked for ("" and "en": the locale's own, from LC_ALL,
// LC_MESSAGES, LANG; else en_US); false with a message for a name we do
// not know.
bool choose_language(const std::string& asked, LanguageChoice& choice, std::string& error);

// The installed variants whose dictionaries are in data_dir.
std::vector<std::string> installed_languages(const std::string& data_dir);

// The dictionary of a variant in data_dir; false with a message naming
// the file when it is missing or cut short, or listing the installed ones.
bool language_dictionary(const std::string& data_dir, const std::string& name, std::string& path,
                         std::string& error);

}  // namespace lumo::tool
