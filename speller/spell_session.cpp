#include "speller/spell_session.h"

#include <errno.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "speller/checker.h"
#include "speller/dictionary_locations.h"
#include "speller/language.h"
#include "speller/user_dictionary_recovery.h"

namespace lumo::tool {

void SpellSession::on_message(const char* text, const char* caption, void* context) {
    SpellSession& self = *static_cast<SpellSession*>(context);
    // A failed save is told by the host with its reason and what is kept.
    if (self.saving_ && self.api_.get_save_result(nullptr, 0) != 0) return;
    if (self.settings_.message) self.settings_.message(text, caption);
}

bool SpellSession::settle_libraries(std::string& error) {
    const std::string& dir = settings_.library_dir;
    const std::string front_path =
        dir.empty() ? find_library("liborthbridge.so") : dir + "/liborthbridge.so";
    engine_path_ = dir.empty() ? find_library("liborthex.so") : dir + "/liborthex.so";
    if (front_path.empty() || engine_path_.empty()) {
        error = "cannot find the LumoSpell libraries beside " + program_dir();
        return false;
    }
    if (api_.init == nullptr && !bind_front(front_path, api_, error)) return false;
    api_.set_message_handler(on_message, this);
    return true;
}

bool SpellSession::settle_user_dictionary(std::string& error, bool& scratch) {
    user_dict_ = settings_.user_dict.empty() ? default_user_dictionary(error) : settings_.user_dict;
    if (!user_dict_.empty() && ensure_user_dictionary(user_dict_, error, settings_.notice))
        return true;
    if (!settings_.user_dict.empty() || !settings_.stand_in_user_dict) return false;
    if (settings_.notice)
        settings_.notice(error + "; checking without it, additions cannot be saved");
    error.clear();
    const char* tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/lumospell-user-XXXXXX";
    const int fd = mkstemp(&name[0]);
    if (fd < 0) {
        error = "cannot create a stand-in user dictionary: " + std::string(std::strerror(errno));
        return false;
    }
    ::close(fd);
    user_dict_ = name;
    scratch = true;
    return true;
}

std::string SpellSession::data_dir() const {
    return settings_.data_dir.empty() ? installed_data_dir() : settings_.data_dir;
}

bool SpellSession::open(const SessionSettings& settings, std::string& error) {
    close();
    settings_ = settings;
    if (!settle_libraries(error)) return false;
    main_dict_ = settings_.main_dict;
    if (main_dict_.empty() && !settings_.language.empty()) {
        const std::string data_dir =
            settings_.data_dir.empty() ? installed_data_dir() : settings_.data_dir;
        if (!language_dictionary(data_dir, settings_.language, main_dict_, error)) return false;
    } else if (main_dict_.empty()) {
        main_dict_ = default_main_dictionary();
    }
    if (main_dict_.empty()) {
        error = "no main dictionary found; give one with --main-dict";
        return false;
    }
    if (access(main_dict_.c_str(), R_OK) != 0) {
        error = "cannot read main dictionary " + main_dict_ + ": " + std::strerror(errno);
        return false;
    }
    if (settings_.notice) {
        const std::string warning = hunspell_dictionary_warning(main_dict_);
        if (!warning.empty()) settings_.notice(warning);
    }
    bool scratch = false;
    if (!settle_user_dictionary(error, scratch)) return false;
    mode_ = settings_.mode;
    open_ = open_front(error);
    if (scratch) unlink(user_dict_.c_str());
    return open_;
}

bool SpellSession::open_front(std::string& error) {
    if (api_.init(engine_path_.c_str()) != 1) {
        error = "cannot load the speller engine " + engine_path_;
        return false;
    }
    if (api_.init2(main_dict_.c_str(), user_dict_.c_str(), 0, settings_.double_byte ? 1 : 0) != 1) {
        api_.terminate();
        error = "cannot open the dictionaries (main " + main_dict_ + ", user " + user_dict_ + ")";
        return false;
    }
    replay();
    return true;
}

void SpellSession::end_front() {
    saving_ = true;
    api_.terminate();
    saving_ = false;
}

bool SpellSession::close() {
    if (!open_) return true;
    open_ = false;
    end_front();
    ranked_.close();
    ranker_tried_ = false;
    added_.clear();
    return read_save_result();
}

bool SpellSession::read_save_result() {
    char reason[512] = "";
    const int code = api_.get_save_result(reason, static_cast<int>(sizeof reason));
    if (code == 0) {
        save_error_.clear();
        return true;
    }
    char number[16];
    std::snprintf(number, sizeof number, "0x%x", static_cast<unsigned>(code));
    save_error_ = std::string(reason[0] ? reason : "unknown reason") + " (code " + number + ")";
    return false;
}

void SpellSession::replay() {
    api_.mode(mode_);
    for (const std::string& word : ignores_) api_.ignore_always(word.c_str());
    for (const auto& [word, with] : changes_) api_.change_always(word.c_str(), with.c_str());
}

void SpellSession::set_mode(unsigned mode) {
    mode_ = mode;
    api_.mode(mode_);
}

int SpellSession::add_word(const std::string& word) {
    const int code = api_.add_word(word.c_str());
    if (code != 0) return code;
    if (ranked_.active()) ranked_.learn_word(word);
    if (!ranker_tried_) added_.push_back(word);
    return 0;
}

void SpellSession::ignore_always(const std::string& word) {
    api_.ignore_always(word.c_str());
    ignores_.push_back(word);
    if (ranked_.active()) ranked_.learn_word(word);
}

void SpellSession::change_always(const std::string& word, const std::string& replacement) {
    api_.change_always(word.c_str(), replacement.c_str());
    changes_.emplace_back(word, replacement);
    if (ranked_.active()) ranked_.learn_change(word, replacement);
}

bool SpellSession::forget_decisions_since(const Mark& mark, std::string& error) {
    end_front();
    read_save_result();
    ignores_.resize(mark.ignores);
    changes_.resize(mark.changes);
    open_ = open_front(error);
    return open_;
}

Reopened SpellSession::save_and_reopen() {
    saving_ = true;
    const int opened =
        api_.init2(main_dict_.c_str(), user_dict_.c_str(), 0, settings_.double_byte ? 1 : 0);
    saving_ = false;
    if (opened == 1) {
        save_error_.clear();
        replay();
        return Reopened::Done;
    }
    // After a failed save the front keeps the session open with its words:
    // they are saved at the next try.
    return read_save_result() ? Reopened::OpenFailed : Reopened::SaveFailed;
}

RankedSuggestions* SpellSession::ranker() {
    if (!settings_.ranked || !open_) return nullptr;
    if (!ranker_tried_) {
        ranker_tried_ = true;
        const std::string& dir = settings_.library_dir;
        std::string why;
        const bool ranked =
            dir.empty() && settings_.data_dir.empty()
                ? ranked_.open(main_dict_, user_dict_, why)
                : ranked_.open_with(
                      dir.empty() ? find_library("liblumorank.so") : dir + "/liblumorank.so",
                      settings_.data_dir, main_dict_, user_dict_, why);
        if (settings_.detail && settings_.notice) {
            if (!ranked) {
                settings_.notice(why + "; suggestions in the engine's order");
            } else {
                if (!why.empty()) settings_.notice(why);
                settings_.notice(
                    std::string("ranked suggestions (") +
                    (ranked_.uses_index() ? "from the prebuilt index" : "index built at start") +
                    ")");
            }
        }
        for (const std::string& word : added_) ranked_.learn_word(word);
        for (const std::string& word : ignores_) ranked_.learn_word(word);
        for (const auto& [word, with] : changes_) ranked_.learn_change(word, with);
        added_.clear();
    }
    return ranked_.active() ? &ranked_ : nullptr;
}

std::vector<std::string> SpellSession::suggestions_after_check(const std::string& word) {
    if (RankedSuggestions* ranker = this->ranker()) {
        std::vector<std::string> list = ranker->suggest(word, settings_.max_suggestions);
        if (!list.empty()) return list;
    }
    return last_check_suggestions(api_);
}

std::vector<std::string> SpellSession::suggest(const std::string& word, size_t max) {
    std::vector<std::string> list;
    if (RankedSuggestions* ranker = this->ranker()) list = ranker->suggest(word, max);
    if (!list.empty() || !open_) return list;
    Checker checker(*this, TextEncoding::Utf8);
    checker.use_engine_order();
    std::vector<Finding> findings;
    checker.check(word, true, findings);
    if (!findings.empty()) list = std::move(findings.front().suggestions);
    if (max != 0 && list.size() > max) list.resize(max);
    return list;
}

}  // namespace lumo::tool
