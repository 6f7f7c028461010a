#include "word_table.h"

#include <cstring>
#include <new>

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

uint32_t WordTable::hash_of(const char* word, size_t len) {
    uint32_t h = static_cast<uint32_t>(len);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(word);
    for (size_t i = 0; i < len; ++i) {
        uint32_t x = h ^ (p[i] | 0x20u);
        h = (x << 4) + (x >> 20);
    }
    return h;
}

int WordTable::lookup(const char* word, int mode, uint8_t tag) {
    return lookup_hashed(word, full_hash(word), mode, tag);
}

int WordTable::lookup_hashed(const char* word, uint32_t h, int mode, uint8_t tag) {
    const uint16_t check = static_cast<uint16_t>(check_byte(h) << 8);
    uint32_t s = h % WordTableSlots;
    // The first step depends on the first byte, read as a signed 8-bit value.
    const int first = static_cast<signed char>(static_cast<unsigned char>(word[0]) | 0x20);
    const int64_t first_step = 5 * static_cast<int64_t>(first);
    for (uint32_t n = 0; n < WordTableSlots; ++n) {
        const uint16_t mark = marks_[s];
        if (mark == 0) {
            if (mode == ModeInsert) {
                const uintptr_t at = reinterpret_cast<uintptr_t>(word);
                const uintptr_t base = reinterpret_cast<uintptr_t>(words_);
                uint32_t ref;
                if (words_ != nullptr && at >= base && at - base < words_size_) {
                    ref = static_cast<uint32_t>(at - base);
                } else {
                    if (!elsewhere_) elsewhere_.reset(new (std::nothrow) const char*[WordTableSlots]);
                    // Without room for its address the word is not stored,
                    // as when the table is full.
                    if (!elsewhere_) return LookupAbsent;
                    elsewhere_[elsewhere_count_] = word;
                    ref = RefElsewhere + elsewhere_count_++;
                }
                refs_[s] = ref;
                marks_[s] = static_cast<uint16_t>(check | tag);
                ++count_;
            }
            return LookupAbsent;
        }
        // Only a slot whose check byte agrees can hold the word.
        if ((mark & 0xFF00u) == check && equal_ignoring_ascii_case(word, word_of(refs_[s]))) {
            const uint8_t t = static_cast<uint8_t>(mark);
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
    const bool own = marks_ == own_marks_;
    marks_ = own_marks_;
    refs_ = own_refs_;
    image_.reset();
    words_ = nullptr;
    words_size_ = 0;
    elsewhere_.reset();
    elsewhere_count_ = 0;
    // An empty table is left alone: its pages need not be touched.  The
    // own arrays are untouched while an image stands in for them.
    if (own && count_ != 0) {
        std::memset(own_marks_, 0, sizeof own_marks_);
        std::memset(own_refs_, 0, sizeof own_refs_);
    }
    count_ = 0;
}

uint64_t WordTable::probe_mark(const char* word) {
    const uint32_t h = full_hash(word);
    return static_cast<uint64_t>(h) << 8 | check_byte(h);
}

void WordTable::set_word_block(const char* base, size_t size) {
    if (words_ != nullptr || count_ != 0 || size >= RefElsewhere) return;
    words_ = base;
    words_size_ = size;
}

bool WordTable::view(WordTableView* out) const {
    if (elsewhere_count_ != 0 || words_ == nullptr) return false;
    *out = WordTableView{marks_, refs_, words_, words_size_, count_};
    return true;
}

bool WordTable::adopt(const WordTableView& image, std::shared_ptr<void> holder) {
    if (count_ != 0 || words_ != nullptr || image.words_size == 0 ||
        image.words_size >= RefElsewhere || image.words[image.words_size - 1] != '\0')
        return false;
    marks_ = image.marks;
    refs_ = image.refs;
    words_ = image.words;
    words_size_ = image.words_size;
    count_ = image.count;
    image_ = std::move(holder);
    return true;
}

bool WordTable::retag(const char* word, uint8_t from, uint8_t to) {
    for (uint32_t slot = 0; slot < WordTableSlots; ++slot) {
        if (marks_[slot] != 0 && static_cast<uint8_t>(marks_[slot]) == from &&
            equal_ignoring_ascii_case(word_of(refs_[slot]), word)) {
            marks_[slot] = static_cast<uint16_t>((marks_[slot] & 0xFF00u) | to);
            return true;
        }
    }
    return false;
}

}  // namespace lumo::engine
