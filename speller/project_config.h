// A project's own configuration, .lumospell.toml: its words, what it
// ignores, its language and modes, read from the project's tree.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "documents/finding.h"
#include "documents/text_encoding.h"

namespace re2 {
class RE2;
}

namespace lumo::tool {

struct ProjectConfig {
    std::string file;  // where it was read; empty when the project has none
    std::set<std::string> words;
    std::vector<std::string> word_lists;  // as resolved against the file's folder
    std::vector<std::string> ignore_paths;
    std::vector<std::string> ignore_patterns;
    std::vector<std::shared_ptr<re2::RE2>> patterns;  // compiled, linear time whatever they are
    std::string language;
    std::vector<std::pair<std::string, std::string>> modes;  // glob, mode name
    size_t min_word_length = 0;
};

// Reads file into config. false with "FILE:LINE:COLUMN: reason" (or "FILE:
// reason") in error; each unknown key adds a warning.
bool load_project_config(const std::string& file, ProjectConfig& config, std::string& error,
                         std::vector<std::string>& warnings);

// The folder file is in, "." for a bare name: where its configuration is looked for.
std::string folder_of(const std::string& file);

// path with every link and ".." resolved; empty when it cannot be (missing,
// unreadable on the way).
std::string real_path(const std::string& path);

// The nearest .lumospell.toml from directory up to the repository's root
// (the folder holding .git), else up to the file system's root; empty if none.
std::string find_project_config(const std::string& directory);

// The lines a file's directives turn off, and the words it ignores:
//   lumospell: ignore WORD...   lumospell: disable-next-line
//   lumospell: disable          lumospell: enable
class Directives {
public:
    // Reads fd from its start; leaves the offset at the start again.
    void scan(int fd);
    void scan_text(std::string_view text);
    // The next part of a text read as it comes: the directives of the lines
    // it ends, for the words of those lines and those after.
    void scan_more(std::string_view part);
    // Whether a word reported at line, column (from 1) is left out.
    bool silences(const Finding& f, const TextPosition& at) const;

private:
    void line(std::string_view text, size_t number);
    std::set<std::string> words_;
    std::vector<std::pair<size_t, size_t>> off_;  // [first, last] lines turned off
    std::map<size_t, size_t> directive_column_;   // a directive's own words are not checked
    size_t disabled_from_ = 0;
    std::string partial_;  // of scan_more: the line not ended yet
    size_t next_line_ = 1;
};

// The configuration of each file: one given for all, else the nearest,
// each read once; a broken one is reported once, its files going on without it.
class ProjectConfigs {
public:
    using Report = std::function<void(const std::string& message)>;
    ProjectConfigs(std::string given, Report report)
        : given_(std::move(given)), report_(std::move(report)) {}

    // Valid until the next refresh; error is set when the file's is broken.
    // Standard input ("-") has the current folder's.
    const ProjectConfig& for_file(const std::string& file, bool& error);
    // Forgets the configurations changed on disk since they were read
    // (their word lists too), and where each folder's was found.
    void refresh();

private:
    struct Loaded {
        bool ok = false;
        ProjectConfig config;
        std::vector<std::pair<std::string, std::string>> stamps;  // file, its size and time
    };
    std::string given_;
    Report report_;
    ProjectConfig none_;
    std::map<std::string, std::string> folders_;
    std::map<std::string, Loaded> loaded_;
};

// Whether the project's configuration lets a reported word through: not one
// of its words, not shorter than its shortest, not in a match of its patterns.
bool project_accepts(const ProjectConfig& c, const Finding& f);
void drop_pattern_matches(const ProjectConfig& c, std::string_view view,
                          std::vector<Finding>& words, size_t first);

}  // namespace lumo::tool
