// What every mode's walker scans with: byte classes on the char the masks
// work on, searches bounded by the line, and blanking.
#pragma once

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "common/char_class.h"

namespace lumo::tool::modes {

// The shared byte classes, taking the char that the masks work on.
inline bool is_alpha(char c) { return common::is_letter(static_cast<unsigned char>(c)); }
inline bool is_digit(char c) { return common::is_digit(static_cast<unsigned char>(c)); }
inline bool is_alnum(char c) { return common::is_alnum(static_cast<unsigned char>(c)); }
inline bool is_hex(char c) { return is_digit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }
inline bool is_ident(char c) { return is_alnum(c) || c == '_'; }
inline bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

using common::to_lower;

inline bool equal_ci(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (to_lower(a[i]) != to_lower(b[i])) return false;
    return true;
}

inline bool one_of(std::string_view word, std::initializer_list<const char*> list) {
    for (const char* w : list)
        if (word == w) return true;
    return false;
}

inline void blank(char* p, size_t from, size_t to) {
    for (size_t k = from; k < to; ++k) p[k] = ' ';
}

inline bool starts_with(const char* p, size_t n, size_t i, std::string_view s) {
    return i <= n && n - i >= s.size() && std::memcmp(p + i, s.data(), s.size()) == 0;
}

// Where s occurs in p[from, n), or n.
inline size_t find(const char* p, size_t n, size_t from, std::string_view s) {
    const size_t at = std::string_view(p, n).find(s, from);
    return at == std::string_view::npos ? n : at;
}

// Where c occurs in p[from, min(n, from + limit)), or n.
inline size_t find_near(const char* p, size_t n, size_t from, char c, size_t limit) {
    for (size_t k = from; k < n && k - from < limit; ++k)
        if (p[k] == c) return k;
    return n;
}

inline bool is_blank_line(const char* p, size_t n) {
    for (size_t k = 0; k < n; ++k)
        if (!is_blank(p[k])) return false;
    return true;
}

// Blanks the `code` spans of one line: a run of backticks up to the next
// run of the same length.
void blank_code_spans(char* p, size_t n);

}  // namespace lumo::tool::modes
