// The table of every word the engine knows: a fixed-size open-addressing
// hash table of word addresses with one tag byte per slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace lumo::engine {

enum WordTag : uint8_t {
    WordTagUser = 0,
    WordTagIgnoreAlways = 253,
    WordTagLookupOnly = 254,  // passed by look-ups that never insert
    WordTagMain = 255,
};

enum LookupMode { ModeFind = 1, ModeInsert = 2 };

constexpr int LookupAbsent = -1;
constexpr int LookupKnown = -2;

constexpr uint32_t WordTableSlots = 600000;

uint32_t WordHash(const char* word);

// Compares two NUL-terminated words, folding only the ASCII letters.
bool equal_ignoring_ascii_case(const char* a, const char* b);

// One slot, 6 bytes: a probe fetches the mark and the word's reference
// together.
#pragma pack(push, 2)
struct WordSlot {
    uint16_t mark;  // 0 when empty, else check byte << 8 | tag
    uint32_t ref;   // the word, see WordTable::word_of
};
#pragma pack(pop)
static_assert(sizeof(WordSlot) == 6, "slots are packed");

// The parts of a table that a table image holds, laid out as in memory.
struct WordTableView {
    WordSlot* slots;
    const char* words;  // the words that refs below RefElsewhere count into
    size_t words_size;  // ends with a NUL
    size_t count;
};

class WordTable {
public:
    WordTable() = default;
    ~WordTable();
    WordTable(const WordTable&) = delete;
    WordTable& operator=(const WordTable&) = delete;

    // Returns LookupAbsent, LookupKnown or a change-always index 1..100.
    // In ModeInsert an absent word is stored with the given tag; the table
    // keeps the very address it is given, so the word must not move.
    int lookup(const char* word, int mode, uint8_t tag);

    // The same look-up for a word whose full hash is known (see hash_of),
    // so that a load can prefetch a word's home slot some words ahead.
    int lookup_hashed(const char* word, uint32_t hash, int mode, uint8_t tag);
    static uint32_t hash_of(const char* word, size_t len) {
        uint32_t h = static_cast<uint32_t>(len);
        const unsigned char* p = reinterpret_cast<const unsigned char*>(word);
        for (size_t i = 0; i < len; ++i) {
            const uint32_t x = h ^ (p[i] | 0x20u);
            h = (x << 4) + (x >> 20);
        }
        return h;
    }

    // ModeFind for a word of len bytes (no NUL among them) and its hash,
    // inline for verification's one look-up per word; readable bytes of the
    // caller's text from word on may be read (at least len).
    int find(const char* word, size_t len, uint32_t hash, size_t readable) const {
        const uint16_t check = static_cast<uint16_t>(check_byte(hash) << 8);
        uint32_t s = hash % WordTableSlots;
#if defined(__GNUC__)
        // The second probe's slot, known before the first is read, is
        // fetched alongside it.
        __builtin_prefetch(&slots_[next_slot(s, 0, word)]);
#endif
        for (uint32_t n = 0; n < WordTableSlots; ++n) {
            const WordSlot& slot = slots_[s];
            if (slot.mark == 0) return LookupAbsent;
            if ((slot.mark & 0xFF00u) == check && matches(slot.ref, word, len, readable)) {
                const uint8_t t = static_cast<uint8_t>(slot.mark);
                return (t >= 1 && t <= 100) ? t : LookupKnown;
            }
            s = next_slot(s, n, word);
        }
        return LookupAbsent;
    }
    void prefetch(uint32_t hash) const {
#if defined(__GNUC__)
        __builtin_prefetch(&slots_[hash % WordTableSlots]);
#endif
        (void)hash;
    }

    // Forgets every word (the stores they live in are about to be freed).
    void clear();

    // Gives the word, when it is stored with tag from, tag to instead.  Walks
    // the tags: for the rare decisions that change a word's role.
    bool retag(const char* word, uint8_t from, uint8_t to);

    const char* word_at(uint32_t slot) const {
        return slots_[slot].mark != 0 ? word_of(slots_[slot].ref) : nullptr;
    }
    uint8_t tag_at(uint32_t slot) const { return static_cast<uint8_t>(slots_[slot].mark); }
    size_t count() const { return count_; }

    // Words inserted from [base, base + size) are kept as 32-bit offsets
    // into it, others through a side array.  Set once, on an empty table.
    void set_word_block(const char* base, size_t size);

    // The table as it stands, for an image: false when a word lies
    // outside the word block.
    bool view(WordTableView* out) const;

    // The hash and check byte of a word, which an image depends on.
    static uint64_t probe_mark(const char* word);

    // Takes over the parts of an image of a table (slots writable,
    // its words kept by holder), on an empty table only.
    bool adopt(const WordTableView& image, std::shared_ptr<void> holder);

    // 1..255 from the full hash, which words equal but for case share; the
    // top bits of a multiplication mix in every bit of it.
    static uint8_t check_byte(uint32_t h) {
        const auto check = static_cast<uint8_t>((h * 2654435761u) >> 24);
        return check != 0 ? check : 1;
    }

private:
    // The probe after slot s, the n-th: the first step depends on the first
    // byte, read as a signed 8-bit value, the later ones are 999.  Steps
    // stay within one table size, so one correction reduces them.
    static uint32_t next_slot(uint32_t s, uint32_t n, const char* word) {
        const int first = static_cast<signed char>(static_cast<unsigned char>(word[0]) | 0x20);
        int64_t next = static_cast<int64_t>(s) + (n == 0 ? 5 * static_cast<int64_t>(first) : 999);
        if (next >= static_cast<int64_t>(WordTableSlots)) next -= WordTableSlots;
        if (next < 0) next += WordTableSlots;
        return static_cast<uint32_t>(next);
    }

    // stored (NUL-terminated) against len bytes without a NUL, ASCII case
    // folded; stored is read no further than its NUL, which folds to no
    // byte of word.  One branch a byte: a word that differs only in case
    // from the stored one ("The") costs no mispredicted branch.
    static bool same_word(const char* stored, const char* word, size_t len) {
        for (size_t i = 0; i < len; ++i) {
            if (fold(static_cast<unsigned char>(stored[i])) !=
                fold(static_cast<unsigned char>(word[i])))
                return false;
        }
        return stored[len] == '\0';
    }
    static unsigned char fold(unsigned char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c | 0x20) : c;
    }

    // same_word eight bytes at a time where both sides can be read that far
    // (a word in the loaded block, the caller's text long enough): one
    // branch for a short word instead of one a byte, whose end the
    // predictor cannot foresee.
    bool matches(uint32_t ref, const char* word, size_t len, size_t readable) const {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        const size_t whole = len & ~size_t{7};
        // A ref from RefElsewhere on lies past any block (blocks stay below it).
        if (ref + whole + 8 <= words_size_ && ((len & 7) == 0 || whole + 8 <= readable)) {
            const char* stored = words_ + ref;
            for (size_t i = 0; i < whole; i += 8) {
                if (fold8(load8(stored + i)) != fold8(load8(word + i))) return false;
            }
            // The rest, and the stored word's NUL just after it.
            const size_t rest = len & 7;
            const uint64_t mine = rest != 0 ? load8(word + whole) & ~(~uint64_t{0} << 8 * rest) : 0;
            const uint64_t through_nul =
                rest == 7 ? ~uint64_t{0} : ~(~uint64_t{0} << 8 * (rest + 1));
            return ((fold8(load8(stored + whole)) ^ fold8(mine)) & through_nul) == 0;
        }
#endif
        (void)readable;
        return same_word(word_of(ref), word, len);
    }
    static uint64_t load8(const char* p) {
        uint64_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    // fold over each of eight bytes: A-Z gain 0x20, others are kept.
    static uint64_t fold8(uint64_t x) {
        constexpr uint64_t ones = 0x0101010101010101u;
        const uint64_t low7 = x & (0x7F * ones);
        const uint64_t from_a = low7 + (0x80 - 'A') * ones;
        const uint64_t past_z = low7 + (0x80 - 'Z' - 1) * ones;
        const uint64_t capital = from_a & ~past_z & ~x & (0x80 * ones);
        return x | (capital >> 2);
    }

    // What an empty table reads: zeroed, never written.
    static WordSlot* empty_slots();

    static constexpr uint32_t RefElsewhere = 0x80000000u;
    const char* word_of(uint32_t ref) const {
        if (ref < RefElsewhere) return ref < words_size_ ? words_ + ref : "";
        // A ref that leads nowhere (only a damaged image could hold one)
        // reads as the empty word.
        return ref - RefElsewhere < elsewhere_count_ ? elsewhere_[ref - RefElsewhere] : "";
    }

    // Each probe reads one mark: the check byte lets it pass other words
    // without fetching them, the tag answers a hit.
    WordSlot* slots_ = empty_slots();
    const char* words_ = nullptr;
    size_t words_size_ = 0;
    std::unique_ptr<const char*[]> elsewhere_;
    uint32_t elsewhere_count_ = 0;
    std::shared_ptr<void> image_;
    size_t count_ = 0;
    // Allocated zeroed at the first insertion: an engine that adopts an
    // image never touches them, and the system's zeroed pages cost no
    // memory until written.
    WordSlot* own_slots_ = nullptr;
};

}  // namespace lumo::engine
