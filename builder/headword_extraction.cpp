#include "headword_extraction.h"

#include <cstring>

#include "common/char_class.h"
#include "common/shift_jis.h"

namespace lumo::builder {

char LineBuffer[LineBufferBytes];

namespace {

// Fixed byte classes and the fixed Shift-JIS lead bytes; no locale or code
// page is consulted.
using lumo::common::is_letter;
using lumo::common::is_lower;
bool is_alphanumeric(unsigned char b) { return lumo::common::is_alnum(b); }
bool is_joiner(unsigned char b) { return b == '.' || b == '-' || b == '\''; }
bool is_lead_byte(unsigned char b) { return lumo::common::is_shift_jis_lead_byte(b); }

}  // namespace

void remove_pronunciation(char* piece) noexcept {
    // Byte-wise searches that ignore character boundaries: a trail byte
    // 0x81 before a 'y' also reads as an opening bracket.
    char* marker = std::strstr(piece, PronunciationMarker);
    if (marker == nullptr) return;
    char* bracket = std::strstr(marker + 2, OpeningBracket);
    if (bracket == nullptr) {
        *marker = '\0';
        return;
    }
    std::memmove(marker, bracket, std::strlen(bracket) + 1);
}

size_t finished_length(const char* token, size_t length) noexcept {
    const unsigned char last = static_cast<unsigned char>(token[length - 1]);
    if (last == '\'' || last == '-') return 0;
    if (last != '.' || length <= 3) return length;
    if (token[length - 2] == '.') return 0;
    size_t full_stops = 0;
    size_t lower = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char b = static_cast<unsigned char>(token[i]);
        if (b == '.') ++full_stops;
        if (is_lower(b)) ++lower;
    }
    // "etc." loses its full stop; "U.S.A." and "ETC." keep theirs.
    return full_stops == 1 && lower > 0 ? length - 1 : length;
}

bool ExtractHeadwords(const ExtractionRun& run) noexcept {
    remove_pronunciation(LineBuffer);
    unsigned char* p = reinterpret_cast<unsigned char*>(LineBuffer);
    while (*p != 0) {
        if (is_lead_byte(*p)) {
            // The trail byte is never a character of its own, even when it
            // is an ASCII letter or a brace.
            if (p[1] == 0) break;
            p += 2;
        } else if (*p == '{') {
            ++p;
            while (is_alphanumeric(*p)) ++p;
        } else if (is_letter(*p)) {
            unsigned char* end = p + 1;
            while (is_alphanumeric(*end) || is_joiner(*end)) ++end;
            const size_t length =
                finished_length(reinterpret_cast<char*>(p), static_cast<size_t>(end - p));
            if (length > 0) {
                const unsigned char saved = p[length];
                p[length] = 0;
                AddHeadword(reinterpret_cast<char*>(p), HeadwordModeStore, HeadwordTagBuild,
                            run.stored);
                p[length] = saved;
                if (run.cancelled != nullptr && *run.cancelled) return true;
            }
            p = end;
        } else {
            ++p;
        }
    }
    return false;
}

}  // namespace lumo::builder
