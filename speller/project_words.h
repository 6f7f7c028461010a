// A project's word lists: one word a line, a file people commit and review.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace lumo::tool {

struct ProjectConfig;

// The words the project's word list names, one a line.
bool read_word_list(const std::string& file, std::set<std::string>& words);

// Adds words to the list (created when missing), sorted, one a line, under
// the user dictionary's lock and safe save; added has those not there yet.
bool add_project_words(const std::string& list, const std::vector<std::string>& words,
                       std::vector<std::string>& added, std::string& error);

// Adds words to the configuration's first word list; false with a message
// when it names none or a word is not a single word.
bool add_to_project(const ProjectConfig& config, const std::vector<std::string>& words,
                    std::vector<std::string>& added, std::string& error);

}  // namespace lumo::tool
