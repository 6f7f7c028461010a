// The language server's speller: one session of the front with the
// dictionaries the editor's settings name, line results kept so that a
// change re-checks only the lines it touched, and ranked suggestions.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "speller/checker.h"
#include "speller/spell_session.h"

namespace lumo::tool {

struct SpellerSettings {
    std::string main_dict;  // empty: the installed default
    std::string user_dict;  // empty: the user's default
    std::string language;   // en_US, en_GB, en_CA, en_AU; empty or "en": the locale's
    bool operator==(const SpellerSettings& o) const {
        return main_dict == o.main_dict && user_dict == o.user_dict && language == o.language;
    }
};

class LspSpeller {
public:
    ~LspSpeller() { close(); }

    // Opens (again) with settings; on failure the speller stays closed.
    bool open(const SpellerSettings& settings, std::string& error);
    // The language a document's project names, used when the settings name
    // neither a language nor a main dictionary; empty: the settings' own.
    // False with a message when it cannot be opened: the one before stays.
    bool use_project_language(const std::string& language, std::string& error);
    void close();
    bool is_open() const { return checker_ != nullptr; }
    const SpellerSettings& settings() const { return settings_; }
    // The variant in use and why ("en_GB (from LANG=en_GB.UTF-8)"), or the main dictionary.
    const std::string& in_use() const { return in_use_; }

    // The words to report in one line of prose (other bytes blanked), read
    // as the mode reads them: in a code mode words with digits are
    // accepted and the words of software of its language known.
    const std::vector<Finding>& check_line(std::string_view line, ModeChoice mode);

    // Ranked when the ranking library is there, else the front's order.
    std::vector<std::string> suggestions(const std::string& word, size_t max_count);

    // Into the user dictionary, saved at once; false with a message.  True
    // once saved, with a message when the dictionaries did not reopen.
    bool add_word(const std::string& word, std::string& error);
    void ignore_for_session(const std::string& word);

private:
    void set_digits(bool digits_are_code);
    bool open_session(const SpellerSettings& settings, const std::string& language,
                      std::string& error);

    SpellerSettings settings_;
    std::string in_use_;
    std::string project_language_;
    SpellSession session_;
    std::unique_ptr<Checker> checker_;
    unsigned base_mode_ = 0;
    bool digits_ = false;
    std::unordered_map<std::string, std::vector<Finding>> lines_;
};

}  // namespace lumo::tool
