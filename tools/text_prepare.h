// Preparing the user's text for the checker: the libraries know English
// words in ASCII only, so the program decides what the other bytes are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/char_class.h"

namespace lumo::tool {

enum class TextEncoding {
    // UTF-8, where bytes that do not form UTF-8 are read as Latin-1.
    Utf8,
    // Shift-JIS: the front blanks its double-byte characters itself.
    ShiftJis,
};

// The encoding the user's locale implies.
TextEncoding encoding_from_locale();

// Blanks what must not reach the checker, byte for byte in place: NUL
// bytes, addresses of any scheme ("https://...", "ftp://...") up to the
// next blank, and (UTF-8) every word that holds a non-ASCII letter, so that
// "naïve" is not checked as "na" and "ve"; other non-ASCII characters
// (CJK, punctuation) become spaces and separate words.
void prepare_for_check(std::string& text, TextEncoding encoding);

// The number of characters in the bytes [0, byte_count) of text.
size_t count_characters(std::string_view text, TextEncoding encoding);

// Where the piece that starts at start should end so that it holds at
// most limit bytes and never splits a word, an address or a path: after
// the last line end, else after the last blank, else after the last
// punctuation mark that cannot join them, within the limit.
size_t piece_end(std::string_view text, size_t start, size_t limit);

bool is_valid_utf8(std::string_view text);

// The bytes the engine counts as part of a word.
using lumo::common::is_word_char;

}  // namespace lumo::tool
