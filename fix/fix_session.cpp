#include "fix/fix_session.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "documents/text_prepare.h"

namespace lumo::tool {

namespace {
// How much of the text one search gives the speller: a line of 50 MB is
// searched in pieces, so a decision never costs the rest of the file.
constexpr size_t SearchBytes = 65536;
}  // namespace

FixSession::FixSession(std::string text, FileEncoding encoding, ModeChoice mode,
                       FixSpeller& speller)
    : original_(text),
      text_(std::move(text)),
      view_(text_),
      encoding_(encoding),
      speller_(speller) {
    make_checker_view(view_, encoding_);
    ProseFilter(mode).mask(view_);
}

void FixSession::splice(size_t offset, size_t length, const std::string& with, Step& step) {
    step.edits.push_back({offset, text_.substr(offset, length), with});
    text_.replace(offset, length, with);
    std::string seen = with;
    make_checker_view(seen, encoding_);
    view_.replace(offset, length, seen);
}

bool FixSession::advance() {
    while (position_ < view_.size()) {
        const size_t to = piece_end(view_, position_, SearchBytes);
        FixFinding found;
        if (!speller_.find(view_, position_, to, found)) {
            position_ = to;
            continue;
        }
        auto rule = change_always_.find(found.word);
        if (found.change_always || rule != change_always_.end()) {
            Step step{Decision::ReplaceAll, true, found, position_, {}, {}};
            const std::string with =
                rule != change_always_.end() ? rule->second : found.replacement;
            splice(found.offset, found.length, with, step);
            position_ = found.offset + with.size();
            steps_.push_back(std::move(step));
            continue;
        }
        if (ignored_.count(found.word) || is_added(found.word)) {
            position_ = found.offset + found.length;
            continue;
        }
        current_ = found;
        at_end_ = false;
        return true;
    }
    current_ = FixFinding{};
    at_end_ = true;
    return false;
}

void FixSession::decide(Decision decision, const std::string& replacement) {
    if (at_end_) return;
    Step step{decision, false, current_, position_, {}, {}};
    const FixFinding& f = current_;
    size_t next = f.offset + f.length;
    switch (decision) {
        case Decision::Replace:
            splice(f.offset, f.length, replacement, step);
            next = f.offset + replacement.size();
            break;
        case Decision::ReplaceAll:
            splice(f.offset, f.length, replacement, step);
            next = f.offset + replacement.size();
            change_always_[f.word] = replacement;
            speller_.change_always(f.word, replacement);
            break;
        case Decision::IgnoreOnce: break;
        case Decision::IgnoreAlways:
            ignored_.insert(f.word);
            speller_.ignore_always(f.word);
            break;
        case Decision::Add:
        case Decision::AddLower:
        case Decision::AddProject: {
            std::string word = f.word;
            if (decision == Decision::AddLower)
                for (char& c : word)
                    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            step.word_added = word;
            // Added to the user dictionary when the file is done, so that undo
            // can still take it back; until then the front ignores it.  Only
            // the form added: the front would save the word as first ignored.
            speller_.ignore_always(word);
            break;
        }
    }
    steps_.push_back(std::move(step));
    position_ = next;
    advance();
}

void FixSession::replay_decisions() {
    speller_.forget_decisions();
    for (const std::string& word : ignored_) speller_.ignore_always(word);
    for (const auto& [word, with] : change_always_) speller_.change_always(word, with);
    for (const std::string& word : added_words()) speller_.ignore_always(word);
    for (const std::string& word : project_words()) speller_.ignore_always(word);
}

size_t FixSession::replacement_count() const {
    size_t count = 0;
    for (const Step& step : steps_) count += step.edits.size();
    return count;
}

bool FixSession::undo(std::string* undone) {
    bool any_decision = false;
    for (const Step& step : steps_) any_decision |= !step.automatic;
    if (!any_decision) return false;
    bool told_front = false;
    size_t automatic = 0;
    while (!steps_.empty()) {
        Step step = std::move(steps_.back());
        steps_.pop_back();
        for (auto e = step.edits.rbegin(); e != step.edits.rend(); ++e) {
            text_.replace(e->offset, e->after.size(), e->before);
            std::string seen = e->before;
            make_checker_view(seen, encoding_);
            view_.replace(e->offset, e->after.size(), seen);
        }
        position_ = step.position_before;
        if (step.automatic) {
            ++automatic;
            continue;
        }
        const std::string& word = step.finding.word;
        if (undone != nullptr) {
            const std::string with = step.edits.empty() ? "" : step.edits.front().after;
            switch (step.decision) {
                case Decision::Replace: *undone = word + " replaced by " + with; break;
                case Decision::ReplaceAll:
                    *undone = "every " + word + " replaced by " + with;
                    break;
                case Decision::IgnoreOnce: *undone = word + " ignored once"; break;
                case Decision::IgnoreAlways: *undone = word + " ignored always"; break;
                case Decision::Add:
                case Decision::AddLower:
                    *undone = step.word_added + " added to the user dictionary";
                    break;
                case Decision::AddProject:
                    *undone = step.word_added + " added to the project's words";
                    break;
            }
            if (automatic > 0)
                *undone += " and " + std::to_string(automatic) + " later replacement" +
                           (automatic > 1 ? "s" : "");
        }
        if (step.decision == Decision::ReplaceAll) {
            change_always_.erase(word);
            told_front = true;
        } else if (step.decision != Decision::Replace && step.decision != Decision::IgnoreOnce) {
            if (step.decision == Decision::IgnoreAlways) ignored_.erase(word);
            told_front = true;
        }
        if (told_front) replay_decisions();
        // The front's view may have moved the word's start: search again
        // from where the decision was made.
        advance();
        return true;
    }
    return false;
}

bool FixSession::is_added(const std::string& word) const {
    std::string lower = word;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const Step& step : steps_) {
        if (step.word_added.empty()) continue;
        if (step.word_added == word ||
            (step.decision == Decision::AddLower && step.word_added == lower))
            return true;
    }
    return false;
}

std::vector<std::string> FixSession::added_words() const {
    std::vector<std::string> words;
    for (const Step& step : steps_)
        if (!step.word_added.empty() && step.decision != Decision::AddProject)
            words.push_back(step.word_added);
    return words;
}

std::vector<std::string> FixSession::project_words() const {
    std::vector<std::string> words;
    for (const Step& step : steps_)
        if (step.decision == Decision::AddProject) words.push_back(step.word_added);
    return words;
}

}  // namespace lumo::tool
