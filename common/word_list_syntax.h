// How a word-list file separates its words: spaces, tabs, commas and
// control bytes; every other byte, 0x80 and above included, is a word's.
#pragma once

#include <cstddef>
#include <string_view>

namespace lumo::common {

constexpr bool is_word_list_byte(unsigned char c) { return c > 0x20 && c != ','; }

// Blanks that may stand between words of one line; other separators end
// the line for a reader that goes line by line.
constexpr bool is_word_list_blank(unsigned char c) { return c == ' ' || c == '\t'; }

// The next word of text at or after *at, every separator skipped; empty at
// the end.  *at moves past the word.
constexpr std::string_view next_word_list_word(std::string_view text, std::size_t* at) {
    std::size_t i = *at;
    while (i < text.size() && !is_word_list_byte(static_cast<unsigned char>(text[i]))) ++i;
    const std::size_t start = i;
    while (i < text.size() && is_word_list_byte(static_cast<unsigned char>(text[i]))) ++i;
    *at = i;
    return text.substr(start, i - start);
}

// Splits one piece of a word list (a line, or up to 1023 bytes of one) as
// the engine reads it: blanks are skipped, a control byte where a word
// would begin ends the piece, and one separator follows each word, so two
// commas in a row make an empty word, which is passed on as well.  A NUL
// byte ends the piece as its end does.  Calls take(word, length) for each
// word and returns how many there were.
template <class Take>
std::size_t split_word_list_piece(const char* piece, std::size_t len, Take&& take) {
    const auto* p = reinterpret_cast<const unsigned char*>(piece);
    auto at = [&](std::size_t k) -> unsigned char { return k < len ? p[k] : 0; };
    std::size_t count = 0;
    std::size_t i = 0;
    for (;;) {
        while (is_word_list_blank(at(i))) ++i;
        if (at(i) < 0x20) break;
        const std::size_t start = i;
        while (is_word_list_byte(at(i))) ++i;
        take(piece + start, i - start);
        ++count;
        if (at(i) == 0 || at(++i) == 0) break;
    }
    return count;
}

}  // namespace lumo::common
