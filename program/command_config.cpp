#include <algorithm>
#include <cstdio>

#include "program/commands.h"
#include "speller/dictionary_locations.h"
#include "speller/language.h"
#include "speller/project_config.h"
#include "speller/project_words.h"

namespace lumo::tool {

std::string project_config_path(const Options& o, const std::string& file) {
    return o.config_file.empty() ? find_project_config(folder_of(file)) : o.config_file;
}

std::string project_language(const Options& o) {
    const std::string path = project_config_path(o, "./.");
    ProjectConfig c;
    std::string error;
    std::vector<std::string> warnings;
    // A broken configuration is reported by the command that reads it whole.
    if (path.empty() || !load_project_config(path, c, error, warnings)) return {};
    return c.language;
}

bool language_installed(const std::string& language) {
    LanguageChoice choice;
    std::string path, error;
    return choose_language(language, choice, error) &&
           language_dictionary(installed_data_dir(), choice.name, path, error);
}

int run_config_command(const Options& o) {
    if (o.arguments.empty()) usage_error("config --show needs at least one FILE");
    int result = ExitClean;
    for (const std::string& file : o.arguments) {
        const std::string path = project_config_path(o, file);
        std::printf("%s:\n", file.c_str());
        if (path.empty()) {
            std::printf("  configuration: none (no .lumospell.toml up to the repository root)\n");
            continue;
        }
        ProjectConfig c;
        std::string error;
        std::vector<std::string> warnings;
        const bool ok = load_project_config(path, c, error, warnings);
        for (const std::string& w : warnings)
            std::fprintf(stderr, "lumospell: warning: %s\n", w.c_str());
        if (!ok) {
            std::fprintf(stderr, "lumospell: %s\n", error.c_str());
            result = ExitError;
            continue;
        }
        std::printf("  configuration: %s%s\n", path.c_str(),
                    o.config_file.empty() ? "" : " (--config)");
        if (!c.language.empty())
            std::printf("  language: %s%s\n", c.language.c_str(),
                        o.language.empty() ? "" : " (overridden by --lang)");
        std::printf("  words: %zu\n", c.words.size());
        for (const std::string& l : c.word_lists) std::printf("  word list: %s\n", l.c_str());
        for (const std::string& p : c.ignore_paths) std::printf("  ignore path: %s\n", p.c_str());
        for (const std::string& p : c.ignore_patterns)
            std::printf("  ignore pattern: %s\n", p.c_str());
        for (const auto& [glob, mode] : c.modes)
            std::printf("  mode: %s = %s\n", glob.c_str(), mode.c_str());
        if (c.min_word_length > 0) std::printf("  min word length: %zu\n", c.min_word_length);
    }
    return result;
}

int run_add_project(const Options& o) {
    if (o.arguments.empty()) usage_error("add needs at least one word");
    const std::string path = project_config_path(o, "./.");
    ProjectConfig c;
    std::string error;
    std::vector<std::string> warnings;
    if (path.empty()) {
        std::fprintf(stderr,
                     "lumospell: no project word list: name one in .lumospell.toml, "
                     "word_lists = [\"words.txt\"]\n");
        return ExitError;
    }
    std::vector<std::string> added;
    if (!load_project_config(path, c, error, warnings) ||
        !add_to_project(c, o.arguments, added, error)) {
        std::fprintf(stderr, "lumospell: %s\n", error.c_str());
        return ExitError;
    }
    for (const std::string& word : o.arguments) {
        const bool is_new = std::find(added.begin(), added.end(), word) != added.end();
        std::printf("%s: %s\n", is_new ? "added" : "already in the project's words", word.c_str());
    }
    return ExitClean;
}

}  // namespace lumo::tool
