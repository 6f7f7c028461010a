#include "enchant/enchant_speller.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "speller/language.h"

namespace lumo::enchant {

namespace {

std::string from_environment(const char* name, const std::string& otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : otherwise;
}

void report_to_stderr(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "LumoSpell", text ? text : "");
}

void report_save_failure(const tool::SpellSession& session) {
    std::fprintf(stderr, "LumoSpell: the user dictionary %s could not be saved: %s\n",
                 session.user_dict().c_str(), session.save_error().c_str());
}

}  // namespace

SpellerPaths paths_from_environment(const std::string& installed_library_dir,
                                    const std::string& installed_main_dict) {
    SpellerPaths p;
    p.library_dir = from_environment("LUMOSPELL_LIBRARY_DIR", installed_library_dir);
    p.main_dict = from_environment("LUMOSPELL_MAIN_DICT", installed_main_dict);
    p.user_dict = from_environment("LUMOSPELL_USER_DICT", std::string());
    return p;
}

const std::vector<std::string>& offered_tags() {
    static const std::vector<std::string> tags = {"en", "en_US", "en_GB", "en_CA", "en_AU"};
    return tags;
}

bool is_offered_tag(const std::string& tag) {
    std::string name = tag;
    if (name.size() == 5 && name[2] == '-') name[2] = '_';
    for (const std::string& t : offered_tags())
        if (name == t) return true;
    return false;
}

std::string variant_of_tag(const std::string& tag) {
    tool::LanguageChoice choice;
    std::string name = tag, error;
    if (name.size() == 5 && name[2] == '-') name[2] = '_';
    return tool::choose_language(name, choice, error) ? choice.name : std::string();
}

bool EnchantSpeller::open_for(const SpellerTarget& target, std::string& error) {
    if (checker_ != nullptr && target.paths.main_dict == main_dict_) return true;
    if (checker_ != nullptr) {
        checker_.reset();
        if (!session_.close()) report_save_failure(session_);
    }
    tool::SessionSettings settings;
    settings.library_dir = target.paths.library_dir;
    settings.main_dict = target.paths.main_dict;
    settings.user_dict = target.paths.user_dict;
    settings.mode = ModeWebAddresses;
    // The ranker's data files lie beside the main dictionary.
    const size_t slash = target.paths.main_dict.rfind('/');
    settings.data_dir = slash == std::string::npos ? "." : target.paths.main_dict.substr(0, slash);
    settings.message = report_to_stderr;
    settings.notice = [](const std::string& text) {
        std::fprintf(stderr, "lumospell: %s\n", text.c_str());
    };
    if (!session_.open(settings, error)) return false;
    checker_ = std::make_unique<tool::Checker>(session_, tool::TextEncoding::Utf8);
    main_dict_ = target.paths.main_dict;
    return true;
}

bool EnchantSpeller::acquire(const SpellerTarget& target, std::string& error) {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (!open_for(target, error)) return false;
    ++users_;
    return true;
}

void EnchantSpeller::release() {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (users_ == 0 || --users_ > 0) return;
    if (checker_ == nullptr) return;
    checker_.reset();
    if (!session_.close()) report_save_failure(session_);
}

bool EnchantSpeller::to_front_text(const std::string& word, std::string& text) {
    text.clear();
    for (size_t i = 0; i < word.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (word.compare(i, 3, "\xE2\x80\x99") == 0) {
            text += '\'';  // the typographic apostrophe of "don’t"
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

int EnchantSpeller::check(const SpellerTarget& target, const std::string& word) {
    const std::lock_guard<std::mutex> hold(mutex_);
    std::string error;
    if (users_ == 0 || !open_for(target, error)) return -1;
    std::string text;
    if (!to_front_text(word, text)) return 1;
    std::vector<tool::Finding> findings;
    if (!checker_->check(text, false, findings)) return -1;
    return findings.empty() ? 0 : 1;
}

std::vector<std::string> EnchantSpeller::suggest(const SpellerTarget& target,
                                                 const std::string& word, size_t max_count) {
    const std::lock_guard<std::mutex> hold(mutex_);
    std::string text, error;
    if (users_ == 0 || !to_front_text(word, text) || !open_for(target, error)) return {};
    return session_.suggest(text, max_count);
}

void EnchantSpeller::add_to_session(const SpellerTarget& target, const std::string& word) {
    const std::lock_guard<std::mutex> hold(mutex_);
    std::string text, error;
    if (users_ == 0 || !to_front_text(word, text) || !open_for(target, error)) return;
    session_.ignore_always(text);
}

void EnchantSpeller::add_to_personal(const SpellerTarget& target, const std::string& word) {
    const std::lock_guard<std::mutex> hold(mutex_);
    std::string text, error;
    if (users_ == 0 || !to_front_text(word, text) || !open_for(target, error)) return;
    if (session_.add_word(text) != 0) return;
    // Reopening saves at once what was added, so that a program that
    // never frees its dictionary keeps the word all the same.
    if (session_.save_and_reopen() == tool::Reopened::SaveFailed) report_save_failure(session_);
}

EnchantSpeller& shared_speller() {
    static EnchantSpeller speller;
    return speller;
}

}  // namespace lumo::enchant
