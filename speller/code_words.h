// Words of software that the main dictionary lacks (config, stdout,
// memmove, typedefs), from the lists in the data folder's code-words/: the
// general one for every mode but plain text, and those of the language.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "documents/text_modes.h"

namespace lumo::tool {

class CodeWords {
public:
    explicit CodeWords(std::string dir) : dir_(std::move(dir)) {}

    // The lists for a document's mode, each read once; plain text takes none.
    void choose(ModeChoice mode);
    // In any case ("Stdout", "STDOUT").
    bool knows(std::string_view word) const;

private:
    // A list as read, and its lines; the lists are sorted bytewise, so
    // reading one is a copy and a search is a binary one.
    struct WordSet {
        std::string text;
        std::vector<std::string_view> words;
        bool has(std::string_view word) const;
    };
    // Empty when the list is missing: the words are then reported as before.
    const WordSet* list(const std::string& name);

    std::string dir_;
    std::map<std::string, WordSet> lists_;
    std::vector<const WordSet*> chosen_;
};

}  // namespace lumo::tool
