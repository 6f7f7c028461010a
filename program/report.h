// How check prints what it found: "FILE:LINE:COLUMN: word: suggestions"
// or one JSON object per word.
#pragma once

#include <cstdio>
#include <string>

#include "documents/text_encoding.h"
#include "program/options.h"
#include "speller/checker.h"

namespace lumo::tool {

// Prints one reported word of the file called name, at position, with
// its text converted by convert to the locale's encoding.
void report(const Options& o, const std::string& name, const Finding& f,
            const TextPosition& position, OutputConverter& convert);

// SARIF's opening (the tool, its version and one rule per kind of word)
// and closing; the results between them are separated by commas.
void sarif_begin(std::FILE* out);
void sarif_end(std::FILE* out);
// The results printed since the last call: a run of them is comma-separated.
size_t take_sarif_result_count();

// The word as list prints it; a run too long to be a word with its length.
std::string listed_word(const Finding& f);

}  // namespace lumo::tool
