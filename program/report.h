// How check prints what it found: "FILE:LINE:COLUMN: word: suggestions"
// or one JSON object per word.
#pragma once

#include <string>

#include "documents/text_encoding.h"
#include "program/options.h"
#include "speller/checker.h"

namespace lumo::tool {

// Prints one reported word of the file called name, at position, with
// its text converted by convert to the locale's encoding.
void report(const Options& o, const std::string& name, const Finding& f,
            const TextPosition& position, OutputConverter& convert);

// The word as list prints it; a run too long to be a word with its length.
std::string listed_word(const Finding& f);

}  // namespace lumo::tool
