// Suggestion generation: the known words one edit away from a word.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lumospell/orthex.h"
#include "word_table.h"

namespace lumo::engine {

constexpr int SuggestionStoreEntries = 50;
// Longest word that is searched; one insertion makes a candidate of 41 bytes.
constexpr size_t SuggestionWordMax = 40;

// The suggestions of the latest generation, in the order they were found.
// Entries are fixed buffers: a candidate never exceeds 41 bytes, so the
// store needs no heap and no copy can fail.
class SuggestionStore {
public:
    static constexpr size_t EntryBytes = 48;

    void clear() { used_ = 0; }

    // Gives candidate, in place, the capital pattern of pattern_word, then
    // keeps a copy unless an equal string (case included) is kept already.
    // False only when all entries are in use and none equals the candidate.
    bool AddSuggestion(char* candidate, const char* pattern_word);

    int size() const { return used_; }
    const char* at(int index) const { return entries_[index]; }
    size_t length_at(int index) const { return lengths_[index]; }

private:
    char entries_[SuggestionStoreEntries][EntryBytes] = {};
    uint8_t lengths_[SuggestionStoreEntries] = {};
    int used_ = 0;
};

// Fills store with the known words one edit away from word (retrying on the
// stem when an "ing", "est", "ed" or "er" word gives none) and packs them
// into the suggestions area of output.  Writes suggestionCount and, when a
// string is placed, suggestionBytesUsed; never status or the error fields.
void GenerateSuggestions(WordTable& table, SuggestionStore& store, const char* word,
                         SpellReturnBuffer* output);

}  // namespace lumo::engine
