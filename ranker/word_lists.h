// Reading word-list files, the format the engine loads: words separated by
// spaces, tabs, commas or control bytes, read in pieces of 1023 bytes.
#pragma once

#include <functional>
#include <string>

namespace lumo::ranker {

constexpr int WordListPieceBytes = 1023;

// Calls take(word, length) for every non-empty word of the file, in order.
// False when the file cannot be opened.
bool read_word_list(const std::string& path, const std::function<void(const char*, size_t)>& take);

// Splits one piece as the engine does: a control byte where a word would
// begin ends the piece.
void split_word_piece(const char* piece, size_t len,
                      const std::function<void(const char*, size_t)>& take);

}  // namespace lumo::ranker
