// The engine's rules for the shape of a suggestion, which the ranker must
// follow alike: the stem retry's suffix cut and a word's capital pattern.
#pragma once

#include <cstddef>
#include <string>

#include "common/char_class.h"

namespace lumo::common {

// The bytes that hold a NUL-terminated text, at most limit.
constexpr size_t bounded_length(const char* text, size_t limit) {
    size_t n = 0;
    while (n < limit && text[n] != '\0') ++n;
    return n;
}

constexpr bool ends_with_ignoring_case(const char* word, size_t len, const char* suffix,
                                       size_t suffix_len) {
    if (len < suffix_len) return false;
    const char* tail = word + len - suffix_len;
    for (size_t i = 0; i < suffix_len; ++i)
        if (to_lower(tail[i]) != suffix[i]) return false;
    return true;
}

// The stem retry: how many bytes the suffix rule cuts from a word of len
// bytes ending in "ing", "est", "ed" or "er", case ignored; 0 for none.
constexpr size_t suffix_cut(const char* word, size_t len) {
    if (len > 3 && (ends_with_ignoring_case(word, len, "ing", 3) ||
                    ends_with_ignoring_case(word, len, "est", 3)))
        return 3;
    if (len > 2 && (ends_with_ignoring_case(word, len, "ed", 2) ||
                    ends_with_ignoring_case(word, len, "er", 2)))
        return 2;
    return 0;
}

// Gives text, in place, the capital pattern of pattern: all lower case
// without capitals, all capitals without lower case letters, an initial
// capital when only the first letter is one; otherwise text stays as it is.
inline void apply_capitals(char* text, size_t text_len, const char* pattern, size_t pattern_len) {
    bool any_capital = false, any_lower = false, later_capital = false;
    for (size_t i = 0; i < pattern_len; ++i) {
        const unsigned char c = static_cast<unsigned char>(pattern[i]);
        if (is_capital(c)) {
            any_capital = true;
            if (i > 0) later_capital = true;
        } else if (is_lower(c)) {
            any_lower = true;
        }
    }
    if (!any_capital) {
        for (size_t i = 0; i < text_len; ++i) text[i] = to_lower(text[i]);
    } else if (!any_lower) {
        for (size_t i = 0; i < text_len; ++i) text[i] = to_upper(text[i]);
    } else if (!is_lower(static_cast<unsigned char>(pattern[0])) && !later_capital) {
        for (size_t i = 0; i < text_len; ++i)
            text[i] = i == 0 ? to_upper(text[i]) : to_lower(text[i]);
    }
}

inline void apply_capitals(std::string& text, const char* pattern, size_t pattern_len) {
    apply_capitals(text.data(), text.size(), pattern, pattern_len);
}

}  // namespace lumo::common
