// The ranker: candidates from the lexicon, scored by how common each word
// is and how likely the typo is for it.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "channel.h"
#include "lexicon.h"

namespace lumo::ranker {

constexpr size_t RankWordMax = 40;
constexpr size_t ChangeAlwaysMax = 10000;
constexpr size_t IrregularMax = 100000;

// Tuned on the odd rows of the Wikipedia misspellings only (bench/ranker
// reports the even rows apart), so that the figures show how it generalises.
struct RankWeights {
    ChannelWeights channel;
    float per_cost = 6.44f;       // nats of likelihood one unit of typo cost is worth
    float sound_bonus = 1.555f;   // the word sounds like the typo
    float sound_cap = 2.0f;       // ... and then costs up to this in full,
    float sound_share = 0.6f;     // ... beyond it this share less
    size_t sound_limit = 40;      // most words of one sound key taken as candidates
    float split_penalty = 4.0f;   // the left-out space
    float split_affix = 12.0f;    // ... when one half is also a prefix or an ending
    float split_corpus = 17.75f;  // log of the frequency list's word count
    float self_penalty = 8.4f;    // the checked word itself, when known
    float split_floor = 50.0f;    // both halves of a split occur this often
    uint8_t split_level = 35;     // ... and are in the word lists up to this size
    float stem_penalty = 3.0f;    // found only through the stem retry
    float prior_level[4] = {1.0f, 0.0f, -0.7f, -1.2f};  // levels <=35, <=50, <=60, 70
    float prior_unlisted = -2.5f;
    uint8_t unlisted_distance = 2;  // unlisted words this many edits away are not costed
    uint32_t far_count = 0;         // ... nor words two edits away counted fewer times
    float prior_user = 2.0f;
    float contraction_bonus = 3.0f;    // a known word with an apostrophe put in ("well")
    float possessive_bonus = 0.0f;     // ... when that is an 's
    float irregular_bonus = 4.0f;      // the irregular form of a regularised one ("seeked")
    float irregular_cost = 1.0f;       // ... whose typo cost is at most this
    size_t three_edits_from = 8;       // words this long may be three edits away
    uint32_t three_edits_count = 100;  // ... from words at least this common
};

enum class OpenStatus { Ok, MainDict, Frequency };

class Ranker {
public:
    // Opens the main word list and, when given, the frequency file.  With an
    // index path, a valid index made from these same two files is read
    // instead of building the tries; any other index is passed over.  The
    // learned tables beside the frequency file (irregular-forms.txt,
    // typo-edits.txt) are read too; a missing or damaged one is left out.
    OpenStatus open(const std::string& main_dict, const std::string* frequency,
                    const std::string* index = nullptr);
    // Whether open read the index.
    bool from_index() const { return from_index_; }
    // Writes the index of what open built; false when it cannot.
    bool write_index(const std::string& path) const;
    bool open_user(const std::string& path);
    // Regularised forms with the irregular ones meant; false, and none kept,
    // when the file is missing or damaged.
    bool open_irregular(const std::string& path);
    // The learned edit costs; false, and none kept, when missing or damaged.
    bool open_edits(const std::string& path);
    // False for an empty or over-long word.
    bool add_word(const char* word, size_t len);
    // False for an empty or over-long word, or when the table is full.
    bool change_always(const char* word, size_t len, const std::string& replacement);

    // Up to max suggestions for word, best first, in its capital pattern.
    std::vector<std::string> suggest(const char* word, size_t len, size_t max) const;

    RankWeights& weights() { return weights_; }
    const Lexicon& lexicon() const { return lexicon_; }

private:
    struct Candidate {
        uint32_t entry;  // the left word of a split
        uint32_t right;  // NoEntry unless a split
        float score;
    };
    float prior(uint32_t id) const;
    std::string shown(uint32_t id, const char* word, size_t len) const;
    void add_splits(const std::string& key, std::vector<Candidate>& candidates) const;

    Lexicon lexicon_;
    std::unordered_map<std::string, std::string> changes_;
    std::unordered_map<std::string, std::vector<std::string>> irregular_;
    EditTable edits_;
    RankWeights weights_;
    bool from_index_ = false;
    std::string main_dict_;
    std::string frequency_;
};

}  // namespace lumo::ranker
