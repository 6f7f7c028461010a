#include "word_table.h"

#include <cstring>

namespace lumo::engine {

namespace {

// The hash before it is reduced to a slot number.
uint32_t full_hash(const char* word) {
    uint32_t h = static_cast<uint32_t>(std::strlen(word));
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(word); *p; ++p) {
        uint32_t x = h ^ (*p | 0x20u);
        h = (x << 4) + (x >> 20);
    }
    return h;
}

// 1..255 from the full hash, which words equal but for case share; the
// top bits of a multiplication mix in every bit of it.
uint8_t check_byte(uint32_t h) {
    const auto check = static_cast<uint8_t>((h * 2654435761u) >> 24);
    return check != 0 ? check : 1;
}

}  // namespace

uint32_t WordHash(const char* word) { return full_hash(word) % WordTableSlots; }

static inline unsigned char fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c | 0x20) : c;
}

bool equal_ignoring_ascii_case(const char* a, const char* b) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    for (;; ++p, ++q) {
        if (fold(*p) != fold(*q)) return false;
        if (*p == 0) return true;
    }
}

int WordTable::lookup(const char* word, int mode, uint8_t tag) {
    const uint32_t h = full_hash(word);
    const uint8_t check = check_byte(h);
    uint32_t s = h % WordTableSlots;
    // The first step depends on the first byte, read as a signed 8-bit value.
    const int first = static_cast<signed char>(static_cast<unsigned char>(word[0]) | 0x20);
    const int64_t first_step = 5 * static_cast<int64_t>(first);
    for (uint32_t n = 0; n < WordTableSlots; ++n) {
        const uint8_t slot_check = checks_[s];
        if (slot_check == 0) {
            if (mode == ModeInsert) {
                words_[s] = word;
                tags_[s] = tag;
                checks_[s] = check;
                ++count_;
            }
            return LookupAbsent;
        }
        // Only a slot whose check byte agrees can hold the word.
        if (slot_check == check && equal_ignoring_ascii_case(word, words_[s])) {
            const uint8_t t = tags_[s];
            return (t >= 1 && t <= 100) ? t : LookupKnown;
        }
        // Steps stay within one table size, so one correction reduces them.
        int64_t next = static_cast<int64_t>(s) + (n == 0 ? first_step : 999);
        if (next >= static_cast<int64_t>(WordTableSlots)) next -= WordTableSlots;
        if (next < 0) next += WordTableSlots;
        s = static_cast<uint32_t>(next);
    }
    return LookupAbsent;
}

void WordTable::clear() {
    // An empty table is left alone: its pages need not be touched.
    if (count_ == 0) return;
    std::memset(words_, 0, sizeof words_);
    std::memset(tags_, 0, sizeof tags_);
    std::memset(checks_, 0, sizeof checks_);
    count_ = 0;
}

bool WordTable::retag(const char* word, uint8_t from, uint8_t to) {
    for (uint32_t slot = 0; slot < WordTableSlots; ++slot) {
        if (tags_[slot] == from && words_[slot] != nullptr &&
            equal_ignoring_ascii_case(words_[slot], word)) {
            tags_[slot] = to;
            return true;
        }
    }
    return false;
}

}  // namespace lumo::engine
