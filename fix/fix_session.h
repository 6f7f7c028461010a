// The decisions of an interactive correction of one file, kept apart from
// the terminal: the text as it stands, where the session is, and what undo
// must take back.  The speller is given as an interface so that the whole
// model runs in tests without the libraries.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "documents/text_encoding.h"
#include "documents/text_modes.h"

namespace lumo::tool {

struct FixFinding {
    size_t offset = 0;  // bytes from the start of the file's text
    size_t length = 0;
    std::string word;
    bool change_always = false;  // the front already holds its replacement
    std::string replacement;     // for change_always
};

// What the session asks of the speller; each call goes to the front.
class FixSpeller {
public:
    virtual ~FixSpeller() = default;
    // The first word to report in view[from, to), which starts and ends
    // between words.  False when there is none.
    virtual bool find(std::string_view view, size_t from, size_t to, FixFinding& found) = 0;
    // Best first.
    virtual std::vector<std::string> suggest(const std::string& word) = 0;
    virtual void ignore_always(const std::string& word) = 0;
    virtual void change_always(const std::string& word, const std::string& replacement) = 0;
    // The front forgets every ignore-always and change-always word; undo
    // replays those still standing.
    virtual void forget_decisions() = 0;
};

enum class Decision { Replace, ReplaceAll, IgnoreOnce, IgnoreAlways, Add, AddLower, AddProject };

class FixSession {
public:
    FixSession(std::string text, FileEncoding encoding, ModeChoice mode, FixSpeller& speller);

    // Moves to the next word to offer, replacing change-always words on
    // the way.  False at the end of the file.
    bool advance();
    const FixFinding& current() const { return current_; }
    bool at_end() const { return at_end_; }

    // replacement: for Replace and ReplaceAll, in the file's encoding.
    void decide(Decision decision, const std::string& replacement = {});
    // Takes back the last decision and every automatic replacement after
    // it, and offers its word again.  False when nothing is left to undo.
    // With undone given, says what was taken back ("teh replaced by the").
    bool undo(std::string* undone = nullptr);
    // The words replaced so far, by hand or change-always.
    size_t replacement_count() const;

    const std::string& text() const { return text_; }
    bool changed() const { return text_ != original_; }
    // The words to add to the user dictionary when the file is done.
    std::vector<std::string> added_words() const;
    // The words to add to the project's word list then.
    std::vector<std::string> project_words() const;
    FileEncoding encoding() const { return encoding_; }

private:
    struct Edit {
        size_t offset;
        std::string before, after;
    };
    struct Step {
        Decision decision;
        bool automatic = false;
        FixFinding finding;
        size_t position_before = 0;
        std::vector<Edit> edits;
        std::string word_added;
    };

    void splice(size_t offset, size_t length, const std::string& with, Step& step);
    void replay_decisions();
    bool is_added(const std::string& word) const;

    std::string original_;
    std::string text_;
    std::string view_;  // what the checker sees, byte for byte as text_
    FileEncoding encoding_;
    FixSpeller& speller_;
    size_t position_ = 0;
    FixFinding current_;
    bool at_end_ = false;
    std::vector<Step> steps_;
    std::set<std::string> ignored_;
    std::map<std::string, std::string> change_always_;
};

}  // namespace lumo::tool
