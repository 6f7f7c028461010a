// How likely a typed string is as a typo of a word: a weighted edit cost,
// low for the common slips (keyboard neighbours, doubled or dropped
// letters, vowel confusions, exchanged neighbours), and a sound-alike key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/word_rules.h"

namespace lumo::ranker {

struct ChannelWeights {
    float substitute = 1.851f;
    float vowel = 0.885f;          // one vowel for another
    float neighbour = 1.207f;      // keys that touch on a QWERTY keyboard
    float alike = 0.805f;          // letters that often stand for one sound
    float extra = 1.15f;           // a letter typed that the word lacks
    float doubled = 0.517f;        // ... that repeats its neighbour
    float missing = 0.684f;        // a letter of the word not typed
    float dropped_double = 0.34f;  // ... one of a doubled pair
    float dropped_vowel = 0.56f;
    float mark = 1.0f;  // an apostrophe or hyphen added or left out
    float exchange = 0.553f;
    float first = 1.6f;          // factor for edits of the first letter
    float learned = 0.24f;       // cost units per nat of a learned edit
    float learned_base = 0.0f;   // added to every learned edit
    float learned_below = 0.6f;  // used only below this share of the built-in cost
};

// Learned edits of up to three letters: what was typed for a piece of the
// word, with its cost in nats (data/typo-model/).  Only edits cheaper than
// the built-in costs make for the same letters are kept.
class EditTable {
public:
    static constexpr size_t SideMax = 3;
    static constexpr size_t RulesMax = 20000;
    static constexpr size_t HitsMax = 1024;  // hits of one typed word used
    struct Rule {
        char typed[SideMax];
        char word[SideMax];
        uint8_t typed_len, word_len;
        float nats;
        float base;  // the built-in cost of the same edit
    };
    // A rule where its typed side ends in the typed word (one past its
    // end), with what costing needs of it.
    struct Hit {
        float cost;
        uint16_t end;
        uint8_t typed_len, word_len;
        char word[SideMax];
    };
    enum class LoadResult { Ok, Missing, Damaged };
    // Replaces the table; on anything but Ok it is left empty.
    LoadResult load(const std::string& path, const ChannelWeights& w);
    bool empty() const { return rules_.empty(); }
    size_t size() const { return rules_.size(); }
    const Rule& rule(uint32_t i) const { return rules_[i]; }
    // The hits of every rule in typed, by end; costs in units of w.
    void match(const char* typed, size_t len, const ChannelWeights& w,
               std::vector<Hit>& hits) const;

private:
    std::vector<Rule> rules_;  // sorted by typed side
    // Each rule's typed side as one number (its length, then its bytes), in
    // the same order: a word's look-ups compare numbers, not bytes.
    std::vector<uint32_t> typed_keys_;
};

// The cheapest sequence of weighted edits turning word into typed (both
// lower case); exchanges of neighbours count as one edit.
float typo_cost(const char* typed, size_t typed_len, const char* word, size_t word_len,
                const ChannelWeights& w);
// The same with the learned edits whose hits in typed are given (from
// EditTable::match, ordered by end).
float typo_cost(const char* typed, size_t typed_len, const char* word, size_t word_len,
                const ChannelWeights& w, const std::vector<EditTable::Hit>& hits);

// A key that words sounding alike share: consonant classes, silent and
// doubled letters dropped, vowels only at the start.
std::string sound_key(const char* word, size_t len);
// The keys of a word whose spelling may sound more than one way ("ch" as in
// chin or chorus, "c" as k or s, "gh" silent or f): the first is
// sound_key's, the second, when it differs, reads every such letter the
// other way.  Returns how many (1 or 2).
size_t sound_keys(const char* word, size_t len, std::string keys[2]);

// The engine's capital pattern of a suggestion.
using common::apply_capitals;

}  // namespace lumo::ranker
