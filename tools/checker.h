// Checks whole texts through the front library, finding every word to
// report rather than only the first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host_libraries.h"
#include "text_prepare.h"

namespace lumo::tool {

struct Finding {
    size_t offset = 0;  // bytes from the start of the checked text
    size_t length = 0;
    std::string word;
    int status = 0;  // CheckUnknownWord or CheckChangeAlways
    std::vector<std::string> suggestions;  // for a change-always word: its replacement
    bool too_long = false;  // a run of word bytes too long to be a word; word holds its start
};

class Checker {
public:
    explicit Checker(const FrontApi& api) : api_(api) {}

    // Every word of text, the front's view of a document (see
    // prepare_for_front), to report, in order.  Suggestions are collected
    // when asked for.  Returns false when the front failed.
    bool check(std::string_view text, bool suggest, std::vector<Finding>& findings);

    std::vector<std::string> suggestions_for_last_check();

private:
    // piece holds the text from base on, behind one leading blank.
    bool check_piece(const std::string& piece, size_t base, bool suggest,
                     std::vector<Finding>& findings);

    bool parts_are_known(const std::string& word);

    const FrontApi& api_;
};

}  // namespace lumo::tool
