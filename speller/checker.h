// Checks whole texts through the front library, finding every word to
// report rather than only the first.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "documents/finding.h"
#include "documents/text_encoding.h"
#include "documents/text_prepare.h"
#include "speller/code_words.h"
#include "speller/host_libraries.h"

namespace lumo::tool {

class SpellSession;

// The front's suggestions for the word of its last check, in the engine's order.
std::vector<std::string> last_check_suggestions(const FrontApi& api);

class Checker {
public:
    explicit Checker(SpellSession& session);
    // For hosts that hand over raw text of one encoding rather than the
    // front's view of a document: check makes the view itself.
    Checker(SpellSession& session, TextEncoding encoding);

    // Every word of text, the front's view of a document (see
    // prepare_for_front), to report, in order.  Suggestions are collected
    // when asked for.  Returns false when the front failed.
    bool check(std::string_view text, bool suggest, std::vector<Finding>& findings);

    // The words of software the document's mode takes besides the
    // dictionaries (none until told, and none for plain text).
    void read_as(ModeChoice mode) { code_words_.choose(mode); }

    // Suggestions in the engine's order, never ranked.
    void use_engine_order() { engine_order_ = true; }

private:
    bool check_view(std::string_view text, bool suggest, std::vector<Finding>& findings);
    // piece holds the text from base on, behind one leading blank.
    bool check_piece(const std::string& piece, size_t base, bool suggest,
                     std::vector<Finding>& findings);

    // Checks the parts of word, joined by hyphens or underscores and at
    // offset at of the text, each on its own and reports those to report.
    // False when the front failed.
    bool report_parts(const std::string& word, size_t at, bool suggest,
                      std::vector<Finding>& findings);

    // In a mode that reads code (words with digits accepted), an unknown
    // word shaped as an identifier is checked part by part; false when the
    // front failed.
    bool report_identifier(const std::string& word, size_t at, bool suggest,
                           std::vector<Finding>& findings);

    std::vector<std::string> suggestions_for(const std::string& word);
    // The finding of a word the front reported at offset: the replacement
    // of a change-always word, else suggestions when asked for.
    Finding finding_of(std::string word, size_t offset, int status, const char* replacement,
                       bool suggest);

    SpellSession& session_;
    const FrontApi& api_;
    CodeWords code_words_;
    // Set for hosts that hand over raw text in this encoding.
    std::optional<FileEncoding> raw_encoding_;
    bool engine_order_ = false;
};

}  // namespace lumo::tool
