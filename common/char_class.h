// Byte classes of the C locale, fixed whatever locale the process selects:
// only ASCII letters and digits belong to a class; bytes 0x80 and above
// belong to none.  Case folding touches ASCII letters only.
#pragma once

namespace lumo::common {

constexpr bool is_capital(unsigned char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool is_lower(unsigned char c) { return c >= 'a' && c <= 'z'; }
constexpr bool is_letter(unsigned char c) {
    return static_cast<unsigned char>((c | 0x20) - 'a') < 26;
}
constexpr bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }
constexpr bool is_alnum(unsigned char c) { return is_letter(c) || is_digit(c); }

// Letters, digits, apostrophe, hyphen and underscore make up a word of the
// engine; whoever cuts text for it cuts by the same bytes.
struct WordCharTable {
    bool of[256];
};
constexpr WordCharTable make_word_char_table() {
    WordCharTable t{};
    for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<unsigned char>(c);
        t.of[c] = is_alnum(b) || b == '\'' || b == '-' || b == '_';
    }
    return t;
}
// One load per byte in the loops that cut whole texts into words.
inline constexpr WordCharTable WordChars = make_word_char_table();
constexpr bool is_word_char(unsigned char c) { return WordChars.of[c]; }
// The same class computed: in a loop that ends at every word's end, where
// the predictor misses, the exit is known sooner than through a table load.
constexpr bool is_word_char_computed(unsigned char c) {
    return is_alnum(c) || c == '\'' || c == '-' || c == '_';
}
constexpr bool word_char_classes_agree() {
    for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<unsigned char>(c);
        if (is_word_char(b) != is_word_char_computed(b)) return false;
    }
    return true;
}
static_assert(word_char_classes_agree(), "one class of word bytes, however it is tested");

constexpr char to_lower(char c) {
    return is_capital(static_cast<unsigned char>(c)) ? static_cast<char>(c | 0x20) : c;
}
constexpr char to_upper(char c) {
    return is_lower(static_cast<unsigned char>(c)) ? static_cast<char>(c & ~0x20) : c;
}

// ASCII-only case-insensitive equality of two NUL-terminated names.
constexpr bool same_name_ignoring_case(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (to_lower(*a) != to_lower(*b)) return false;
    return *a == *b;
}

}  // namespace lumo::common
