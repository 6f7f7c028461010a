#include "documents/text_prepare.h"

#include <langinfo.h>

#include "common/shift_jis.h"

namespace lumo::tool {

TextEncoding encoding_from_locale() {
    return lumo::common::is_shift_jis_name(nl_langinfo(CODESET)) ? TextEncoding::ShiftJis
                                                                 : TextEncoding::Utf8;
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
    for (size_t i = text.find('\0'); i != std::string::npos; i = text.find('\0', i + 1))
        text[i] = ' ';
    if (skip_web) blank_addresses(text);
    // Two or more apostrophes are quotation marks (TeX's closing '' in
    // "AS IS''"), never part of a word.
    for (size_t i = text.find('\''); i != std::string::npos && i + 1 < text.size();
         i = text.find('\'', i + 1)) {
        if (text[i + 1] != '\'') continue;
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
