#include "enchant_speller.h"

#include <cstdio>
#include <cstdlib>

#include "speller/dictionary_locations.h"
#include "speller/user_dictionary_recovery.h"

namespace lumo::enchant {

namespace {

std::string from_environment(const char* name, const std::string& otherwise) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : otherwise;
}

void report_to_stderr(const char* text, const char* caption, void*) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "LumoSpell", text ? text : "");
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

bool is_offered_tag(const std::string& tag) {
    return tag == "en" || tag == "en_US" || tag == "en-US";
}

bool EnchantSpeller::acquire(const SpellerPaths& paths, std::string& error) {
    if (users_ > 0) {
        ++users_;
        return true;
    }
    std::string user_dict = paths.user_dict;
    if (user_dict.empty()) user_dict = tool::default_user_dictionary(error);
    if (user_dict.empty() || !tool::ensure_user_dictionary(user_dict, error)) return false;
    if (api_.init == nullptr &&
        !tool::bind_front(paths.library_dir + "/liborthbridge.so", api_, error))
        return false;
    api_.set_message_handler(report_to_stderr, nullptr);
    const std::string engine = paths.library_dir + "/liborthex.so";
    if (api_.init(engine.c_str()) != 1) {
        error = "cannot load the speller engine " + engine;
        return false;
    }
    if (api_.init2(paths.main_dict.c_str(), user_dict.c_str(), 0, 0) != 1) {
        api_.terminate();
        error = "cannot open the dictionaries (main " + paths.main_dict + ", user " + user_dict + ")";
        return false;
    }
    main_dict_ = paths.main_dict;
    user_dict_ = user_dict;
    checker_ = std::make_unique<tool::Checker>(api_, tool::TextEncoding::Utf8);
    // The ranker's data files lie beside the main dictionary.
    const size_t slash = main_dict_.rfind('/');
    std::string why;
    ranker_.open_with(paths.library_dir + "/liblumorank.so",
                      slash == std::string::npos ? "." : main_dict_.substr(0, slash), main_dict_,
                      user_dict_, why);
    users_ = 1;
    return true;
}

void EnchantSpeller::release() {
    if (users_ == 0 || --users_ > 0) return;
    checker_.reset();
    ranker_.close();
    session_words_.clear();
    api_.terminate();
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

int EnchantSpeller::check(const std::string& word) {
    if (checker_ == nullptr) return -1;
    std::string text;
    if (!to_front_text(word, text)) return 1;
    std::vector<tool::Finding> findings;
    if (!checker_->check(text, false, findings)) return -1;
    return findings.empty() ? 0 : 1;
}

std::vector<std::string> EnchantSpeller::suggest(const std::string& word, size_t max_count) {
    std::string text;
    if (checker_ == nullptr || !to_front_text(word, text)) return {};
    std::vector<std::string> list = ranker_.suggest(text, max_count);
    if (!list.empty()) return list;
    std::vector<tool::Finding> findings;
    checker_->check(text, true, findings);
    if (!findings.empty()) list = std::move(findings.front().suggestions);
    if (list.size() > max_count) list.resize(max_count);
    return list;
}

void EnchantSpeller::add_to_session(const std::string& word) {
    std::string text;
    if (checker_ == nullptr || !to_front_text(word, text)) return;
    api_.ignore_always(text.c_str());
    session_words_.push_back(text);
    ranker_.learn_word(text);
}

void EnchantSpeller::add_to_personal(const std::string& word) {
    std::string text;
    if (checker_ == nullptr || !to_front_text(word, text)) return;
    if (api_.add_word(text.c_str()) != 0) return;
    ranker_.learn_word(text);
    // Reopening saves at once what was added, so that a program that
    // never frees its dictionary keeps the word all the same.
    api_.init2(main_dict_.c_str(), user_dict_.c_str(), 0, 0);
    for (const std::string& w : session_words_) api_.ignore_always(w.c_str());
}

EnchantSpeller& shared_speller() {
    static EnchantSpeller speller;
    return speller;
}

}  // namespace lumo::enchant
