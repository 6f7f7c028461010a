#include "documents/text_prepare.h"

#include <langinfo.h>

#include "common/shift_jis.h"

namespace lumo::tool {

TextEncoding encoding_from_locale() {
    return lumo::common::is_shift_jis_name(nl_langinfo(CODESET)) ? TextEncoding::ShiftJis
                                                                 : TextEncoding::Utf8;
}

namespace {

// Length of the UTF-8 sequence at p (1 for a byte that starts none) and
// its code point.
size_t decode_utf8(const unsigned char* p, size_t available, unsigned* code_point) {
    const unsigned char c = p[0];
    size_t len = 0;
    unsigned cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07u;
    }
    if (len == 0 || len > available) {
        *code_point = c;  // read as Latin-1
        return 1;
    }
    for (size_t i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            *code_point = c;
            return 1;
        }
        cp = (cp << 6) | (p[i] & 0x3Fu);
    }
    *code_point = cp;
    return len;
}

}  // namespace

bool is_valid_utf8(std::string_view text) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        unsigned cp;
        const size_t len = decode_utf8(bytes + i, text.size() - i, &cp);
        if (len == 1) return false;
        i += len;
    }
    return true;
}

// Blanks "scheme://..." runs; the front itself knows only "http://".
static void blank_addresses(std::string& text) {
    for (size_t at = text.find("://"); at != std::string::npos; at = text.find("://", at + 3)) {
        size_t start = at;
        while (start > 0) {
            const unsigned char c = static_cast<unsigned char>(text[start - 1]);
            const bool scheme_char = (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
            if (!scheme_char && !(c >= '0' && c <= '9') && c != '+' && c != '.' && c != '-') break;
            --start;
        }
        if (start == at) continue;
        size_t end = at;
        while (end < text.size() && static_cast<unsigned char>(text[end]) > 0x20) ++end;
        for (size_t k = start; k < end; ++k) text[k] = ' ';
        at = end - 3;
    }
}

void prepare_for_front(std::string& text, bool skip_web) {
    for (char& c : text)
        if (c == '\0') c = ' ';
    if (skip_web) blank_addresses(text);
    // Two or more apostrophes are quotation marks (TeX's closing '' in
    // "AS IS''"), never part of a word.
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '\'' || text[i + 1] != '\'') continue;
        size_t end = i;
        while (end < text.size() && text[end] == '\'') text[end++] = ' ';
        i = end;
    }
}

size_t piece_end(std::string_view text, size_t start, size_t limit) {
    if (text.size() - start <= limit) return text.size();
    const size_t hard = start + limit;
    for (size_t i = hard; i > start; --i)
        if (text[i - 1] == '\n') return i;
    for (size_t i = hard; i > start; --i)
        if (text[i - 1] == ' ' || text[i - 1] == '\t') return i;
    for (size_t i = hard; i > start; --i) {
        const unsigned char c = static_cast<unsigned char>(text[i - 1]);
        if (c < 0x80 && !is_word_char(c) && c != '.' && c != '@' && c != ':' && c != '/' &&
            c != '\\')
            return i;
    }
    return hard;  // a single run longer than the limit is no word anyway
}

}  // namespace lumo::tool
