// The one reading of UTF-8: shortest forms only, no surrogates, nothing
// above U+10FFFF.  Every part that decodes, detects or validates UTF-8 goes
// through it.
#pragma once

#include <cstddef>
#include <string_view>

namespace lumo::tool {

// What a lead byte starts: the length of its sequence (1 for ASCII and for
// a byte that starts none) and the range its second byte must lie in.
struct Utf8Lead {
    size_t length = 1;
    unsigned char low = 0x80, high = 0xBF;
};

constexpr Utf8Lead utf8_lead(unsigned char c) {
    using Byte = unsigned char;
    if (c >= 0xC2 && c <= 0xDF) return {2, 0x80, 0xBF};
    if (c >= 0xE0 && c <= 0xEF)
        return {3, Byte(c == 0xE0 ? 0xA0 : 0x80), Byte(c == 0xED ? 0x9F : 0xBF)};
    if (c >= 0xF0 && c <= 0xF4)
        return {4, Byte(c == 0xF0 ? 0x90 : 0x80), Byte(c == 0xF4 ? 0x8F : 0xBF)};
    return {};
}

// The length of the valid sequence at p of n bytes and its code point; 0
// when p starts none (an ASCII byte is a sequence of 1).
inline size_t utf8_sequence(const unsigned char* p, size_t n, unsigned* code_point) {
    if (p[0] < 0x80) {
        *code_point = p[0];
        return 1;
    }
    const Utf8Lead lead = utf8_lead(p[0]);
    if (lead.length == 1 || lead.length > n) return 0;
    unsigned cp = p[0] & (0x7Fu >> lead.length);
    for (size_t i = 1; i < lead.length; ++i) {
        const unsigned char low = i == 1 ? lead.low : 0x80, high = i == 1 ? lead.high : 0xBF;
        if (p[i] < low || p[i] > high) return 0;
        cp = (cp << 6) | (p[i] & 0x3Fu);
    }
    *code_point = cp;
    return lead.length;
}

inline bool is_valid_utf8(std::string_view text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    unsigned cp;
    for (size_t i = 0; i < text.size();) {
        const size_t len = utf8_sequence(bytes + i, text.size() - i, &cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

// The characters of text as a column counts them: every byte but a
// continuation byte starts one, so that invalid bytes count one each.
inline size_t utf8_characters(std::string_view text) {
    size_t n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

}  // namespace lumo::tool
