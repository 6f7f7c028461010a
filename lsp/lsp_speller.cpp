#include "lsp/lsp_speller.h"

#include <cctype>


namespace lumo::tool {

namespace {
// Enough for every distinct line of several large documents.
constexpr size_t MaxRememberedLines = 200000;
}  // namespace

bool LspSpeller::open(const SpellerSettings& settings, std::string& error) {
    close();
    Options o;
    o.main_dict = settings.main_dict;
    o.user_dict = settings.user_dict;
    if (!open_session(o, session_, error)) return false;
    // The protocol's text is UTF-8, whatever the server's locale.
    if (session_.double_byte != 0) {
        session_.double_byte = 0;
        session_.close();
        if (!session_.open(error)) return false;
    }
    settings_ = settings;
    base_mode_ = session_.mode;
    digits_ = false;
    checker_ = std::make_unique<Checker>(session_.api, TextEncoding::Utf8);
    std::string why;
    ranker_.open(session_.main_dict, session_.user_dict, why);
    return true;
}

void LspSpeller::close() {
    if (checker_ == nullptr) return;
    checker_.reset();
    ranker_.close();
    lines_.clear();
    session_.close();
}

void LspSpeller::set_digits(bool digits_are_code) {
    if (digits_are_code == digits_) return;
    digits_ = digits_are_code;
    session_.mode = base_mode_ | (digits_ ? static_cast<unsigned>(ModeIgnoreWordsWithDigits) : 0u);
    session_.api.mode(session_.mode);
}

const std::vector<Finding>& LspSpeller::check_line(std::string_view line, bool digits_are_code) {
    static const std::vector<Finding> none;
    if (checker_ == nullptr) return none;
    bool any_letter = false;
    for (const char c : line) any_letter = any_letter || (c & 0x80) || std::isalpha(static_cast<unsigned char>(c));
    if (!any_letter) return none;
    std::string key(1, digits_are_code ? 'd' : 't');
    key.append(line);
    const auto known = lines_.find(key);
    if (known != lines_.end()) return known->second;
    if (lines_.size() >= MaxRememberedLines) lines_.clear();
    set_digits(digits_are_code);
    std::vector<Finding> findings;
    checker_->check(line, false, findings);
    return lines_.emplace(std::move(key), std::move(findings)).first->second;
}

std::vector<std::string> LspSpeller::suggestions(const std::string& word, size_t max_count) {
    std::vector<std::string> list = ranker_.suggest(word, max_count);
    if (!list.empty() || checker_ == nullptr) return list;
    std::vector<Finding> findings;
    checker_->check(word, true, findings);
    if (!findings.empty()) list = std::move(findings.front().suggestions);
    if (list.size() > max_count) list.resize(max_count);
    return list;
}

bool LspSpeller::add_word(const std::string& word, std::string& error) {
    if (checker_ == nullptr) {
        error = "the speller is not open";
        return false;
    }
    if (session_.api.add_word(word.c_str()) != 0) {
        error = "the user dictionary cannot take '" + word + "'";
        return false;
    }
    ranker_.learn_word(word);
    lines_.clear();
    // Reopening saves the words added so far; the session stays open with
    // them when that fails.
    switch (reopen_saving(session_)) {
        case Reopened::Done: return true;
        case Reopened::SaveFailed:
            error = "the user dictionary " + session_.user_dict + " could not be saved: " +
                    session_.save_error;
            return false;
        case Reopened::OpenFailed: break;
    }
    error = "the dictionaries could not be opened again";
    return false;
}

void LspSpeller::ignore_for_session(const std::string& word) {
    if (checker_ == nullptr) return;
    session_.api.ignore_always(word.c_str());
    session_.session_ignores.push_back(word);
    ranker_.learn_word(word);
    lines_.clear();
}

}  // namespace lumo::tool
