// What the Enchant provider asks of LumoSpell, for words one at a time:
// the front's one process-wide session, opened when the first dictionary
// is requested and closed (saving the user dictionary) with the last.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "speller/checker.h"
#include "speller/spell_session.h"

namespace lumo::enchant {

struct SpellerPaths {
    std::string library_dir;  // liborthbridge.so, liborthex.so, liblumorank.so
    std::string main_dict;
    std::string user_dict;
};

// The installed places, each replaced by its environment variable when
// set: LUMOSPELL_LIBRARY_DIR, LUMOSPELL_MAIN_DICT, LUMOSPELL_USER_DICT.
// (LUMOSPELL_DATA_DIR replaces the folder of the variants' dictionaries.)
SpellerPaths paths_from_environment(const std::string& installed_library_dir,
                                    const std::string& installed_main_dict);

// The tags offered: en (the locale's own), en_US, en_GB, en_CA, en_AU
// (also written en-GB).
bool is_offered_tag(const std::string& tag);
const std::vector<std::string>& offered_tags();
// The variant a tag names (en_GB for en-GB; the locale's own for en).
std::string variant_of_tag(const std::string& tag);

// What one Enchant dictionary checks against: its variant and the files.
struct SpellerTarget {
    std::string variant;
    SpellerPaths paths;
};

// Every call holds one lock: the front, the engine and the ranker keep one
// process-wide state, and applications call from several threads.  The
// front holds one main dictionary at a time, so a call for a dictionary of
// another variant than the open one reopens the session with that
// variant's files first.  The user dictionary and the words ignored for the
// session are shared by every dictionary, as they are for one variant.
class EnchantSpeller {
public:
    // Opens for one more user; false with a message when the session
    // cannot be opened.
    bool acquire(const SpellerTarget& target, std::string& error);
    // Closes after the last user.
    void release();

    // 0 for a correct word, 1 for a misspelt one, -1 when closed.
    int check(const SpellerTarget& target, const std::string& word);
    std::vector<std::string> suggest(const SpellerTarget& target, const std::string& word,
                                     size_t max_count);
    void add_to_session(const SpellerTarget& target, const std::string& word);
    void add_to_personal(const SpellerTarget& target, const std::string& word);

private:
    // The word as the front reads it; false when it holds letters the
    // dictionary cannot have.
    static bool to_front_text(const std::string& word, std::string& text);
    // The session open on the target's variant; false when it cannot be.
    bool open_for(const SpellerTarget& target, std::string& error);

    std::mutex mutex_;
    int users_ = 0;
    std::string main_dict_;
    tool::SpellSession session_;
    std::unique_ptr<tool::Checker> checker_;
};

// The one speller of the process.
EnchantSpeller& shared_speller();

}  // namespace lumo::enchant
