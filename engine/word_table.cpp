#include "word_table.h"

#include <cstdlib>
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

}  // namespace

uint32_t WordHash(const char* word) { return full_hash(word) % WordTableSlots; }

static inline unsigned char fold(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c | 0x20) : c;
}

bool equal_ignoring_ascii_case(const char* a, const char* b) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    for (;; ++p, ++q) {
        // Equal bytes need no folding; most words stand as they are stored.
        if (*p == *q) {
            if (*p == 0) return true;
            continue;
        }
        if (fold(*p) != fold(*q)) return false;
    }
}

WordTable::~WordTable() { std::free(own_slots_); }

WordSlot* WordTable::empty_slots() {
    static WordSlot none[WordTableSlots];
    return none;
}

int WordTable::lookup(const char* word, int mode, uint8_t tag) {
    return lookup_hashed(word, full_hash(word), mode, tag);
}

int WordTable::lookup_hashed(const char* word, uint32_t h, int mode, uint8_t tag) {
    const uint16_t check = static_cast<uint16_t>(WordTable::check_byte(h) << 8);
    uint32_t s = h % WordTableSlots;
    for (uint32_t n = 0; n < WordTableSlots; ++n) {
        const uint16_t mark = slots_[s].mark;
        if (mark == 0) {
            if (mode == ModeInsert && slots_ == empty_slots()) {
                // The first word: the table gets slots of its own, all
                // empty like the ones it read.  Without them the word is
                // not stored, as when the table is full.
                if (own_slots_ == nullptr)
                    own_slots_ =
                        static_cast<WordSlot*>(std::calloc(WordTableSlots, sizeof(WordSlot)));
                if (own_slots_ == nullptr) return LookupAbsent;
                slots_ = own_slots_;
            }
            if (mode == ModeInsert) {
                const uintptr_t at = reinterpret_cast<uintptr_t>(word);
                const uintptr_t base = reinterpret_cast<uintptr_t>(words_);
                uint32_t ref;
                if (words_ != nullptr && at >= base && at - base < words_size_) {
                    ref = static_cast<uint32_t>(at - base);
                } else {
                    if (!elsewhere_)
                        elsewhere_.reset(new (std::nothrow) const char*[WordTableSlots]);
                    // Without room for its address the word is not stored,
                    // as when the table is full.
                    if (!elsewhere_) return LookupAbsent;
                    elsewhere_[elsewhere_count_] = word;
                    ref = RefElsewhere + elsewhere_count_++;
                }
                slots_[s].ref = ref;
                slots_[s].mark = static_cast<uint16_t>(check | tag);
                ++count_;
            }
            return LookupAbsent;
        }
        // Only a slot whose check byte agrees can hold the word.
        if ((mark & 0xFF00u) == check && equal_ignoring_ascii_case(word, word_of(slots_[s].ref))) {
            const uint8_t t = static_cast<uint8_t>(mark);
            return (t >= 1 && t <= 100) ? t : LookupKnown;
        }
        s = next_slot(s, n, word);
    }
    return LookupAbsent;
}

void WordTable::clear() {
    const bool own = slots_ == own_slots_;
    slots_ = own_slots_ != nullptr ? own_slots_ : empty_slots();
    image_.reset();
    words_ = nullptr;
    words_size_ = 0;
    elsewhere_.reset();
    elsewhere_count_ = 0;
    // An empty table is left alone: its pages need not be touched.  The
    // own arrays are untouched while an image stands in for them.
    if (own && count_ != 0) {
        std::memset(own_slots_, 0, WordTableSlots * sizeof(WordSlot));
    }
    count_ = 0;
}

uint64_t WordTable::probe_mark(const char* word) {
    const uint32_t h = full_hash(word);
    return static_cast<uint64_t>(h) << 8 | WordTable::check_byte(h);
}

void WordTable::set_word_block(const char* base, size_t size) {
    if (words_ != nullptr || count_ != 0 || size >= RefElsewhere) return;
    words_ = base;
    words_size_ = size;
}

bool WordTable::view(WordTableView* out) const {
    if (elsewhere_count_ != 0 || words_ == nullptr) return false;
    *out = WordTableView{slots_, words_, words_size_, count_};
    return true;
}

bool WordTable::adopt(const WordTableView& image, std::shared_ptr<void> holder) {
    if (count_ != 0 || words_ != nullptr || image.words_size == 0 ||
        image.words_size >= RefElsewhere || image.words[image.words_size - 1] != '\0')
        return false;
    slots_ = image.slots;
    words_ = image.words;
    words_size_ = image.words_size;
    count_ = image.count;
    image_ = std::move(holder);
    return true;
}

bool WordTable::retag(const char* word, uint8_t from, uint8_t to) {
    for (uint32_t slot = 0; slot < WordTableSlots; ++slot) {
        WordSlot& at = slots_[slot];
        if (at.mark != 0 && static_cast<uint8_t>(at.mark) == from &&
            equal_ignoring_ascii_case(word_of(at.ref), word)) {
            at.mark = static_cast<uint16_t>((at.mark & 0xFF00u) | to);
            return true;
        }
    }
    return false;
}

}  // namespace lumo::engine
