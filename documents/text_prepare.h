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

// Blanks what must not reach the front, byte for byte in place, in a view
// that holds ASCII only: NUL bytes, runs of two or more apostrophes and,
// when web addresses are skipped, addresses of any scheme ("ftp://...")
// up to the next blank; the front itself knows only "http://".
void prepare_for_front(std::string& text, bool skip_web);

// Where the piece that starts at start should end so that it holds at
// most limit bytes and never splits a word, an address or a path: after
// the last line end, else after the last blank, else after the last
// punctuation mark that cannot join them, within the limit.
size_t piece_end(std::string_view text, size_t start, size_t limit);

// The bytes the engine counts as part of a word.
using lumo::common::is_word_char;

}  // namespace lumo::tool
