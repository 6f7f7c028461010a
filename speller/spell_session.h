// One session of the speller for a host: the front, the engine and the
// ranking library bound at run time once, the main and user dictionaries
// open, and the session's decisions told to the front and the ranker
// together and kept across a reopen.  It returns errors; it never prints
// unless told where to, and never ends the process.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "speller/host_libraries.h"
#include "speller/ranked_suggestions.h"

namespace lumo::tool {

struct SessionSettings {
    // Where liborthbridge.so, liborthex.so and liblumorank.so are; empty:
    // beside the program.
    std::string library_dir;
    // The ranker's files (word-frequency.txt, main.rank); empty: the
    // program's installed data folder.
    std::string data_dir;
    std::string main_dict;  // empty: the language's installed dictionary
    // The variant (en_US, en_GB, ...) whose dictionary in the data folder is
    // the main one; empty with no main_dict: the installed main.dic.
    std::string language;
    std::string user_dict;  // empty: the user's default
    unsigned mode = 0;
    bool double_byte = false;
    // Ranked suggestions when the ranking library and its files are there.
    bool ranked = true;
    size_t max_suggestions = 10;  // ranked ones; 0: all the ranker has
    // Without a default user dictionary (no home), an empty stand-in that
    // nothing is saved to, for hosts that only read.
    bool stand_in_user_dict = false;
    // The front's messages, but for a failed save: the session gives its
    // reason with save_error().  None: the front's messages are dropped.
    std::function<void(const char* text, const char* caption)> message;
    // Notices for the user (a stand-in user dictionary) and, when
    // detail is set, how suggestions are ranked.  None: kept silent.
    std::function<void(const std::string&)> notice;
    bool detail = false;
};

enum class Reopened { Done, SaveFailed, OpenFailed };

class SpellSession {
public:
    SpellSession() = default;
    SpellSession(const SpellSession&) = delete;
    SpellSession& operator=(const SpellSession&) = delete;
    ~SpellSession() { close(); }

    // Binds the libraries (the first time), settles both dictionaries and
    // opens; false with a message in error.
    bool open(const SessionSettings& settings, std::string& error);
    // Ends the session with its save; false when the save failed
    // (save_error() says why).  True when nothing was open.  The
    // ignore-always and change-always decisions hold for the next open.
    bool close();
    bool is_open() const { return open_; }
    const SessionSettings& settings() const { return settings_; }

    const FrontApi& front() const { return api_; }
    const std::string& main_dict() const { return main_dict_; }
    // The variant whose dictionary is open (en_GB); empty for one named by path.
    const std::string& language() const { return settings_.language; }
    const std::string& user_dict() const { return user_dict_; }
    // The folder of the ranker's files and the word lists of code.
    std::string data_dir() const;
    unsigned mode() const { return mode_; }
    // The front's options, kept across a reopen.
    void set_mode(unsigned mode);

    // The session's decisions, told to the front and the ranker.  add_word
    // returns the front's code, 0 when the word was taken.
    int add_word(const std::string& word);
    void ignore_always(const std::string& word);
    void change_always(const std::string& word, const std::string& replacement);

    // How many ignore-always and change-always decisions stand.
    struct Mark {
        size_t ignores = 0;
        size_t changes = 0;
    };
    Mark mark() const { return {ignores_.size(), changes_.size()}; }
    // Makes the front forget the decisions taken after mark (saving and
    // reopening); false with a message in error when it cannot reopen.
    bool forget_decisions_since(const Mark& mark, std::string& error);

    // Saves the words added so far and reopens with the session's mode and
    // decisions, so that others' words come in.  After a failed save the
    // session stays open with its words (save_error() says why).
    Reopened save_and_reopen();
    const std::string& save_error() const { return save_error_; }

    // Up to max suggestions for word, best first: ranked, else in the
    // engine's order.  suggestions_after_check gives up to the settings'
    // max_suggestions, and takes the engine's from the front's last check,
    // which must have been of word.
    std::vector<std::string> suggest(const std::string& word, size_t max);
    std::vector<std::string> suggestions_after_check(const std::string& word);

private:
    static void on_message(const char* text, const char* caption, void* context);
    bool settle_libraries(std::string& error);
    bool settle_user_dictionary(std::string& error, bool& scratch);
    bool open_front(std::string& error);
    void end_front();
    bool read_save_result();
    void replay();
    // The ranker, opened the first time ranked suggestions are asked for.
    RankedSuggestions* ranker();

    SessionSettings settings_;
    FrontApi api_;
    std::string engine_path_;
    std::string main_dict_;
    std::string user_dict_;
    unsigned mode_ = 0;
    bool open_ = false;
    bool saving_ = false;
    std::string save_error_;
    std::vector<std::string> ignores_;
    std::vector<std::pair<std::string, std::string>> changes_;
    // Words added before the ranker opened, for it to learn then.
    std::vector<std::string> added_;
    RankedSuggestions ranked_;
    bool ranker_tried_ = false;
};

}  // namespace lumo::tool
