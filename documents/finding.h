// A word of a document to report, as the checker and the reader hand it on.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace lumo::tool {

struct Finding {
    size_t offset = 0;  // bytes from the start of the checked text
    size_t length = 0;
    std::string word;
    int status = 0;                        // CheckUnknownWord or CheckChangeAlways
    std::vector<std::string> suggestions;  // for a change-always word: its replacement
    bool too_long = false;  // a run of word bytes too long to be a word; word holds its start
    // For a part of an identifier ("Recieve" of "getRecieveBuffer"): the
    // whole identifier and where the part starts in it; the suggestions
    // replace the part alone, in its case.
    std::string identifier;
    size_t part_at = 0;
};

}  // namespace lumo::tool
