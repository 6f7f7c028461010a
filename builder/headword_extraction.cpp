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

namespace {

// Walks the tokens of the piece, calling visit with each finished one;
// stops and returns true as soon as visit does.
template <class Visit>
bool scan_tokens(unsigned char* p, Visit visit) {
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
            if (length > 0 && visit(reinterpret_cast<char*>(p), length)) return true;
            p = end;
        } else {
            ++p;
        }
    }
    return false;
}

}  // namespace

bool ExtractHeadwords(const ExtractionRun& run) noexcept {
    remove_pronunciation(LineBuffer);
    unsigned char* const piece = reinterpret_cast<unsigned char*>(LineBuffer);
    // The home slots are scattered over megabytes: ask for all of the
    // piece's first, so that the look-ups in order do not wait for each.
    scan_tokens(piece, [](const char* token, size_t length) {
        prefetch_headword(token, length);
        return false;
    });
    return scan_tokens(piece, [&run](char* token, size_t length) {
        const char saved = token[length];
        token[length] = 0;
        AddHeadword(token, HeadwordModeStore, HeadwordTagBuild, run.stored);
        token[length] = saved;
        return run.cancelled != nullptr && *run.cancelled != 0;
    });
}

}  // namespace lumo::builder
