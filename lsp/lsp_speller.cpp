#include "lsp/lsp_speller.h"

#include <cctype>
#include <cstdio>

#include "speller/language.h"

namespace lumo::tool {

namespace {
// Enough for every distinct line of several large documents.
constexpr size_t MaxRememberedLines = 200000;
}  // namespace

bool LspSpeller::open(const SpellerSettings& settings, std::string& error) {
    project_language_.clear();
    return open_session(settings, settings.language, error);
}

bool LspSpeller::use_project_language(const std::string& language, std::string& error) {
    const bool chosen =
        !settings_.main_dict.empty() || (!settings_.language.empty() && settings_.language != "en");
    if (chosen || language == project_language_ || checker_ == nullptr) return true;
    const SpellerSettings settings = settings_;
    if (open_session(settings, language.empty() ? settings.language : language, error)) {
        project_language_ = language;
        if (!language.empty()) in_use_ = language + " (the project's configuration)";
        return true;
    }
    std::string again;
    if (open_session(settings, project_language_.empty() ? settings.language : project_language_,
                     again)) {
        if (!project_language_.empty())
            in_use_ = project_language_ + " (the project's configuration)";
    }
    return false;
}

bool LspSpeller::open_session(const SpellerSettings& settings, const std::string& language,
                              std::string& error) {
    close();
    SessionSettings session;
    session.main_dict = settings.main_dict;
    session.user_dict = settings.user_dict;
    LanguageChoice choice;
    if (!choose_language(language, choice, error)) return false;
    if (settings.main_dict.empty()) session.language = choice.name;
    session.mode = ModeWebAddresses | ModePaths;
    // The protocol's text is UTF-8, whatever the server's locale.
    session.double_byte = false;
    session.message = [](const char* text, const char* caption) {
        std::fprintf(stderr, "lumospell: %s: %s\n", caption ? caption : "", text ? text : "");
    };
    session.notice = [](const std::string& text) {
        std::fprintf(stderr, "lumospell: %s\n", text.c_str());
    };
    if (!session_.open(session, error)) return false;
    settings_ = settings;
    const bool asked = !settings.language.empty() && settings.language != "en";
    in_use_ = settings.main_dict.empty()
                  ? choice.name + " (" + (asked ? "the language setting" : choice.why) + ")"
                  : "the main dictionary " + settings.main_dict;
    base_mode_ = session_.mode();
    digits_ = false;
    checker_ = std::make_unique<Checker>(session_, TextEncoding::Utf8);
    return true;
}

void LspSpeller::close() {
    if (checker_ == nullptr) return;
    checker_.reset();
    lines_.clear();
    session_.close();
}

void LspSpeller::set_digits(bool digits_are_code) {
    if (digits_are_code == digits_) return;
    digits_ = digits_are_code;
    session_.set_mode(base_mode_ |
                      (digits_ ? static_cast<unsigned>(ModeIgnoreWordsWithDigits) : 0u));
}

const std::vector<Finding>& LspSpeller::check_line(std::string_view line, ModeChoice mode) {
    const bool digits_are_code = mode_accepts_words_with_digits(mode.mode);
    static const std::vector<Finding> none;
    if (checker_ == nullptr) return none;
    bool any_letter = false;
    for (const char c : line)
        any_letter = any_letter || (c & 0x80) || std::isalpha(static_cast<unsigned char>(c));
    if (!any_letter) return none;
    std::string key{static_cast<char>(mode.mode), static_cast<char>(mode.language)};
    key.append(line);
    const auto known = lines_.find(key);
    if (known != lines_.end()) return known->second;
    if (lines_.size() >= MaxRememberedLines) lines_.clear();
    set_digits(digits_are_code);
    checker_->read_as(mode);
    std::vector<Finding> findings;
    checker_->check(line, false, findings);
    return lines_.emplace(std::move(key), std::move(findings)).first->second;
}

std::vector<std::string> LspSpeller::suggestions(const std::string& word, size_t max_count) {
    if (checker_ == nullptr) return {};
    return session_.suggest(word, max_count);
}

bool LspSpeller::add_word(const std::string& word, std::string& error) {
    if (checker_ == nullptr) {
        error = "the speller is not open";
        return false;
    }
    if (session_.add_word(word) != 0) {
        error = "the user dictionary cannot take '" + word + "'";
        return false;
    }
    lines_.clear();
    // Reopening saves the words added so far; the session stays open with
    // them when that fails.
    switch (session_.save_and_reopen()) {
        case Reopened::Done: return true;
        case Reopened::SaveFailed:
            error = "the user dictionary " + session_.user_dict() +
                    " could not be saved: " + session_.save_error();
            return false;
        case Reopened::OpenFailed: break;
    }
    // The word is saved: the add succeeded, whatever the reopening did.
    error = "'" + word + "' is saved, but the dictionaries could not be opened again";
    return true;
}

void LspSpeller::ignore_for_session(const std::string& word) {
    if (checker_ == nullptr) return;
    session_.ignore_always(word);
    lines_.clear();
}

}  // namespace lumo::tool
