// How likely a typed string is as a typo of a word: a weighted edit cost,
// low for the common slips (keyboard neighbours, doubled or dropped
// letters, vowel confusions, exchanged neighbours), and a sound-alike key.
#pragma once

#include <cstddef>
#include <string>

#include "common/word_rules.h"

namespace lumo::ranker {

struct ChannelWeights {
    float substitute = 1.851f;
    float vowel = 0.885f;  // one vowel for another
    float neighbour = 1.207f;  // keys that touch on a QWERTY keyboard
    float alike = 0.805f;  // letters that often stand for one sound
    float extra = 1.15f;  // a letter typed that the word lacks
    float doubled = 0.517f;  // ... that repeats its neighbour
    float missing = 0.684f;  // a letter of the word not typed
    float dropped_double = 0.34f;  // ... one of a doubled pair
    float dropped_vowel = 0.56f;
    float mark = 0.3f;  // an apostrophe or hyphen added or left out
    float exchange = 0.553f;
    float first = 1.6f;  // factor for edits of the first letter
};

// The cheapest sequence of weighted edits turning word into typed (both
// lower case); exchanges of neighbours count as one edit.
float typo_cost(const char* typed, size_t typed_len, const char* word, size_t word_len,
                const ChannelWeights& w);

// A key that words sounding alike share: consonant classes, silent and
// doubled letters dropped, vowels only at the start.
std::string sound_key(const char* word, size_t len);

// The engine's capital pattern of a suggestion.
using common::apply_capitals;

}  // namespace lumo::ranker
