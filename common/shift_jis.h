// Shift-JIS (code page 932): the bytes that start a double-byte character
// and the names a system gives the character set.
#pragma once

#include "char_class.h"

namespace lumo::common {

constexpr unsigned char ShiftJisLeadRanges[2][2] = {{0x81, 0x9F}, {0xE0, 0xFC}};

constexpr bool is_shift_jis_lead_byte(unsigned char b) {
    return (b >= ShiftJisLeadRanges[0][0] && b <= ShiftJisLeadRanges[0][1]) ||
           (b >= ShiftJisLeadRanges[1][0] && b <= ShiftJisLeadRanges[1][1]);
}

// The names and registered aliases of the set, as nl_langinfo(CODESET) or
// iconv may spell them.
constexpr const char* ShiftJisNames[] = {"SHIFT_JIS",   "SHIFT-JIS", "SJIS",      "CP932",
                                         "WINDOWS-31J", "MS_KANJI",  "CSSHIFTJIS"};

// Compared without regard to ASCII case; null is no name.
constexpr bool is_shift_jis_name(const char* codeset) {
    if (codeset == nullptr) return false;
    for (const char* name : ShiftJisNames)
        if (same_name_ignoring_case(codeset, name)) return true;
    return false;
}

}  // namespace lumo::common
