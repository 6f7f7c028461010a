// The table of every word the engine knows: a fixed-size open-addressing
// hash table of word addresses with one tag byte per slot.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumo::engine {

enum WordTag : uint8_t {
    WordTagUser = 0,
    WordTagIgnoreAlways = 253,
    WordTagLookupOnly = 254,  // passed by look-ups that never insert
    WordTagMain = 255,
};

enum LookupMode { ModeFind = 1, ModeInsert = 2 };

constexpr int LookupAbsent = -1;
constexpr int LookupKnown = -2;

constexpr uint32_t WordTableSlots = 600000;

uint32_t WordHash(const char* word);

// Compares two NUL-terminated words, folding only the ASCII letters.
bool equal_ignoring_ascii_case(const char* a, const char* b);

class WordTable {
public:
    // Returns LookupAbsent, LookupKnown or a change-always index 1..100.
    // In ModeInsert an absent word is stored with the given tag; the table
    // keeps the very address it is given, so the word must not move.
    int lookup(const char* word, int mode, uint8_t tag);

    // Forgets every word (the stores they live in are about to be freed).
    void clear();

    // Gives the word, when it is stored with tag from, tag to instead.  Walks
    // the tags: for the rare decisions that change a word's role.
    bool retag(const char* word, uint8_t from, uint8_t to);

    const char* word_at(uint32_t slot) const { return words_[slot]; }
    uint8_t tag_at(uint32_t slot) const { return tags_[slot]; }
    size_t count() const { return count_; }

private:
    const char* words_[WordTableSlots] = {};
    uint8_t tags_[WordTableSlots] = {};
    // Beside each slot, 0 when it is empty, else 1..255 from the stored
    // word's hash: a probe passes other words without fetching them.
    uint8_t checks_[WordTableSlots] = {};
    size_t count_ = 0;
};

}  // namespace lumo::engine
