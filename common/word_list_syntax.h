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

}  // namespace lumo::common
