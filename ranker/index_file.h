// The prebuilt index: the frozen tries, entries and spellings of a main
// dictionary with its frequencies, made at build time so that opening
// needs no trie building.  It names the size and hash of the two files it
// was made from and is used only while both are unchanged.
#pragma once

#include <cstdint>
#include <string>

#include "lexicon.h"

namespace lumo::ranker {

struct Fingerprint {
    uint64_t size = 0;
    uint64_t hash = 0;
};

// False when the file cannot be read.
bool fingerprint_file(const std::string& path, Fingerprint& out);

enum class IndexResult { Ok, Missing, Foreign, Truncated, Stale, Damaged };

bool write_index(const std::string& path, const Lexicon& lexicon, const Fingerprint& dict,
                 const Fingerprint& frequency);

// Fills lexicon only on Ok.
IndexResult read_index(const std::string& path, const Fingerprint& dict,
                       const Fingerprint& frequency, Lexicon& lexicon);

}  // namespace lumo::ranker
