#include "headword_set.h"

#include <cstdlib>
#include <cstring>

namespace lumo::builder {

HeadwordSlots HeadwordSet;
uint32_t stored_word_count = 0;

char* heap_copy_headword(const char* word, size_t length) noexcept {
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy != nullptr) std::memcpy(copy, word, length + 1);
    return copy;
}

char* (*copy_headword)(const char* word, size_t length) = heap_copy_headword;

namespace {

// The hash before it is reduced to a slot number.
uint32_t full_hash(const char* word) {
    uint32_t h = 0;
    for (const unsigned char* b = reinterpret_cast<const unsigned char*>(word); *b != 0; ++b) {
        h += static_cast<uint32_t>(*b | 0x20u);
        h = (h << 3) + (h >> 21);
    }
    return h;
}

// Beside each slot, 0 when it is empty, else 1..255 folded from the stored
// word's full hash.  The hash crowds many words onto few home slots, so a
// probe walks long runs of other words; this small array lets it skip them
// without touching the slot pointers or the words.
uint8_t slot_check[HeadwordSlotCount];

uint8_t check_byte(uint32_t h) {
    const auto folded = static_cast<uint8_t>(h ^ (h >> 8) ^ (h >> 16) ^ (h >> 24));
    return folded != 0 ? folded : 1;
}

int32_t present_result(uint8_t tag) { return tag >= 1 && tag <= 100 ? tag : HeadwordPresent; }

int32_t store_at(uint32_t slot, const char* word, uint8_t check, uint8_t tag,
                 HeadwordStored stored) {
    // A failed copy leaves the slot empty but still counts as stored for
    // the progress rhythm: the word is lost, the run goes on.
    char* copy = copy_headword(word, std::strlen(word));
    HeadwordSet.word[slot] = copy;
    HeadwordSet.tag[slot] = tag;
    slot_check[slot] = copy != nullptr ? check : 0;
    if (copy != nullptr) ++stored_word_count;
    if (stored != nullptr) stored();
    return HeadwordAbsent;
}

}  // namespace

uint32_t HeadwordHash(const char* word) noexcept { return full_hash(word) % HeadwordSlotCount; }

int32_t AddHeadword(const char* word, int32_t mode, uint8_t tag, HeadwordStored stored) noexcept {
    if (word == nullptr) return HeadwordAbsent;
    // Nothing is ever removed during a run, so a full set has no empty slot
    // left: a new word could only be refused after a walk over all 800000
    // slots, and a repeated one is already kept.  Refuse at once instead.
    if (mode == HeadwordModeStore && stored_word_count >= HeadwordSlotCount) return HeadwordAbsent;
    const uint32_t h = full_hash(word);
    const uint8_t check = check_byte(h);
    uint32_t slot = h % HeadwordSlotCount;
    if (slot_check[slot] == 0)
        return mode == HeadwordModeStore ? store_at(slot, word, check, tag, stored) : HeadwordAbsent;
    for (uint32_t compared = 0; compared < HeadwordSlotCount; ++compared) {
        if (slot_check[slot] == check && std::strcmp(word, HeadwordSet.word[slot]) == 0)
            return present_result(HeadwordSet.tag[slot]);
        slot += HeadwordProbeStep;
        if (slot >= HeadwordSlotCount) slot -= HeadwordSlotCount;
        if (slot_check[slot] == 0)
            return mode == HeadwordModeStore ? store_at(slot, word, check, tag, stored) : HeadwordAbsent;
    }
    return HeadwordAbsent;
}

void empty_headword_set() noexcept {
    for (uint32_t slot = 0; slot < HeadwordSlotCount; ++slot) {
        std::free(HeadwordSet.word[slot]);
        HeadwordSet.word[slot] = nullptr;
        HeadwordSet.tag[slot] = 0;
        slot_check[slot] = 0;
    }
    stored_word_count = 0;
}

}  // namespace lumo::builder
