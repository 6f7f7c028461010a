// The table of every word the engine knows: a fixed-size open-addressing
// hash table of word addresses with one tag byte per slot.
#pragma once

#include <cstddef>
#include <cstdint>
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

// The parts of a table that a table image holds, laid out as in memory.
struct WordTableView {
    uint16_t* marks;     // per slot: 0 when empty, else check byte << 8 | tag
    uint32_t* refs;      // per slot: the word, see WordTable::word_at
    const char* words;   // the words that refs below RefElsewhere count into
    size_t words_size;   // ends with a NUL
    size_t count;
};

class WordTable {
public:
    WordTable() = default;
    WordTable(const WordTable&) = delete;
    WordTable& operator=(const WordTable&) = delete;

    // Returns LookupAbsent, LookupKnown or a change-always index 1..100.
    // In ModeInsert an absent word is stored with the given tag; the table
    // keeps the very address it is given, so the word must not move.
    int lookup(const char* word, int mode, uint8_t tag);

    // The same look-up for a word whose full hash is known (see hash_of),
    // so that a load can prefetch a word's home slot some words ahead.
    int lookup_hashed(const char* word, uint32_t hash, int mode, uint8_t tag);
    static uint32_t hash_of(const char* word, size_t len);
    void prefetch(uint32_t hash) const {
#if defined(__GNUC__)
        __builtin_prefetch(&marks_[hash % WordTableSlots]);
#endif
        (void)hash;
    }

    // Forgets every word (the stores they live in are about to be freed).
    void clear();

    // Gives the word, when it is stored with tag from, tag to instead.  Walks
    // the tags: for the rare decisions that change a word's role.
    bool retag(const char* word, uint8_t from, uint8_t to);

    const char* word_at(uint32_t slot) const {
        return marks_[slot] != 0 ? word_of(refs_[slot]) : nullptr;
    }
    uint8_t tag_at(uint32_t slot) const { return static_cast<uint8_t>(marks_[slot]); }
    size_t count() const { return count_; }

    // Words inserted from [base, base + size) are kept as 32-bit offsets
    // into it, others through a side array.  Set once, on an empty table.
    void set_word_block(const char* base, size_t size);

    // The table as it stands, for an image: false when a word lies
    // outside the word block.
    bool view(WordTableView* out) const;

    // The hash and check byte of a word, which an image depends on.
    static uint64_t probe_mark(const char* word);

    // Takes over the parts of an image of a table (marks and refs writable,
    // its words kept by holder), on an empty table only.
    bool adopt(const WordTableView& image, std::shared_ptr<void> holder);

private:
    static constexpr uint32_t RefElsewhere = 0x80000000u;
    const char* word_of(uint32_t ref) const {
        if (ref < RefElsewhere) return ref < words_size_ ? words_ + ref : "";
        // A ref that leads nowhere (only a damaged image could hold one)
        // reads as the empty word.
        return ref - RefElsewhere < elsewhere_count_ ? elsewhere_[ref - RefElsewhere] : "";
    }

    // Each probe reads one 16-bit mark: the check byte lets it pass other
    // words without fetching them, the tag answers a hit.
    uint16_t* marks_ = own_marks_;
    uint32_t* refs_ = own_refs_;
    const char* words_ = nullptr;
    size_t words_size_ = 0;
    std::unique_ptr<const char*[]> elsewhere_;
    uint32_t elsewhere_count_ = 0;
    std::shared_ptr<void> image_;
    size_t count_ = 0;
    uint16_t own_marks_[WordTableSlots] = {};
    uint32_t own_refs_[WordTableSlots] = {};
};

}  // namespace lumo::engine
