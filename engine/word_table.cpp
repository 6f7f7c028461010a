#include "word_table.h"

#include <cstring>

namespace lumo::engine {

uint32_t WordHash(const char* word) {
    uint32_t h = static_cast<uint32_t>(std::strlen(word));
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(word); *p; ++p) {
        uint32_t x = h ^ (*p | 0x20u);
        h = (x << 4) + (x >> 20);
    }
    return h % WordTableSlots;
}

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
    uint32_t s = WordHash(word);
    // The first step depends on the first byte, read as a signed 8-bit value.
    const int first = static_cast<signed char>(static_cast<unsigned char>(word[0]) | 0x20);
    const int64_t first_step = 5 * static_cast<int64_t>(first);
    for (uint32_t n = 0; n < WordTableSlots; ++n) {
        const char* stored = words_[s];
        if (stored == nullptr) {
            if (mode == ModeInsert) {
                words_[s] = word;
                tags_[s] = tag;
                ++count_;
            }
            return LookupAbsent;
        }
        if (equal_ignoring_ascii_case(word, stored)) {
            const uint8_t t = tags_[s];
            return (t >= 1 && t <= 100) ? t : LookupKnown;
        }
        const int64_t step = (n == 0) ? first_step : 999;
        int64_t next = (static_cast<int64_t>(s) + step) % static_cast<int64_t>(WordTableSlots);
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
