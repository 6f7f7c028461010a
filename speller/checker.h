// Checks whole texts through the front library, finding every word to
// report rather than only the first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <optional>
#include <vector>

#include "speller/host_libraries.h"
#include "speller/ranked_suggestions.h"
#include "documents/text_encoding.h"
#include "documents/text_prepare.h"

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
    // For hosts that hand over raw text of one encoding rather than the
    // front's view of a document: check makes the view itself.
    Checker(const FrontApi& api, TextEncoding encoding)
        : api_(api),
          raw_encoding_(encoding == TextEncoding::ShiftJis ? FileEncoding::ShiftJis
                                                           : FileEncoding::Utf8) {}

    // Every word of text, the front's view of a document (see
    // prepare_for_front), to report, in order.  Suggestions are collected
    // when asked for.  Returns false when the front failed.
    bool check(std::string_view text, bool suggest, std::vector<Finding>& findings);

    std::vector<std::string> suggestions_for_last_check();

    // Suggestions come from ranked when it is active, else in the engine's order.
    void use_ranked(RankedSuggestions* ranked) { ranked_ = ranked; }
    // A word the session added or ignores, for the ranker to offer too.
    void learn_word(const std::string& word) {
        if (ranked_ != nullptr) ranked_->learn_word(word);
    }
    // A change-always pair, so that the ranker offers its replacement first.
    void learn_change(const std::string& word, const std::string& replacement) {
        if (ranked_ != nullptr) ranked_->learn_change(word, replacement);
    }

private:
    bool check_view(std::string_view text, bool suggest, std::vector<Finding>& findings);
    // piece holds the text from base on, behind one leading blank.
    bool check_piece(const std::string& piece, size_t base, bool suggest,
                     std::vector<Finding>& findings);

    bool parts_are_known(const std::string& word);

    std::vector<std::string> suggestions_for(const std::string& word);

    const FrontApi& api_;
    // Set for hosts that hand over raw text in this encoding.
    std::optional<FileEncoding> raw_encoding_;
    RankedSuggestions* ranked_ = nullptr;
};

}  // namespace lumo::tool
