// Byte classes of the C locale, fixed whatever locale the process selects:
// only ASCII letters and digits belong to a class; bytes 0x80 and above
// belong to none.
#pragma once

#include <cstdint>

namespace lumo::engine {

inline bool is_capital(unsigned char c) { return c >= 'A' && c <= 'Z'; }
inline bool is_lower(unsigned char c) { return c >= 'a' && c <= 'z'; }
inline bool is_letter(unsigned char c) { return static_cast<unsigned char>((c | 0x20) - 'a') < 26; }
inline bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

// Letters, digits, apostrophe, hyphen and underscore make up a word.
inline bool is_word_char(unsigned char c) {
    return is_letter(c) || is_digit(c) || c == '\'' || c == '-' || c == '_';
}

inline char to_lower(char c) {
    return is_capital(static_cast<unsigned char>(c)) ? static_cast<char>(c | 0x20) : c;
}
inline char to_upper(char c) {
    return is_lower(static_cast<unsigned char>(c)) ? static_cast<char>(c & ~0x20) : c;
}

}  // namespace lumo::engine
