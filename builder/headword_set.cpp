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

// One byte of the hash, case folded.
constexpr uint32_t hash_step(uint32_t h, unsigned char b) {
    h += static_cast<uint32_t>(b | 0x20u);
    return (h << 3) + (h >> 21);
}

// The hash before it is reduced to a slot number.
uint32_t full_hash(const char* word) {
    uint32_t h = 0;
    for (const unsigned char* b = reinterpret_cast<const unsigned char*>(word); *b != 0; ++b)
        h = hash_step(h, *b);
    return h;
}

// Beside each slot, 0 when it is empty, else 1..65535 from a second hash
// of the stored word.  The slot hash crowds many words onto few home
// slots, so a probe walks long runs of other words; this small array lets
// it skip them without touching the slot pointers or the words, and 16
// bits from a hash of its own leave almost no run to compare in vain.
uint16_t* slot_check = nullptr;

// Every slot that a store wrote, in order, so that the end of a run and
// the output visit only those.  Past the last entry the whole set is
// walked instead (possible only when copies keep failing).
uint32_t* written_slots = nullptr;
uint32_t written_count = 0;
bool written_overflow = false;

uint16_t check_of(const char* word) {
    uint32_t h = 2166136261u;
    for (const unsigned char* b = reinterpret_cast<const unsigned char*>(word); *b != 0; ++b)
        h = (h ^ *b) * 16777619u;
    const auto check = static_cast<uint16_t>(h ^ (h >> 16));
    return check != 0 ? check : 1;
}

int32_t present_result(uint8_t tag) { return tag >= 1 && tag <= 100 ? tag : HeadwordPresent; }

int32_t store_at(uint32_t slot, const char* word, uint16_t check, uint8_t tag,
                 HeadwordStored stored) {
    // A failed copy leaves the slot empty but still counts as stored for
    // the progress rhythm: the word is lost, the run goes on.
    char* copy = copy_headword(word, std::strlen(word));
    HeadwordSet.word[slot] = copy;
    HeadwordSet.tag[slot] = tag;
    slot_check[slot] = copy != nullptr ? check : 0;
    if (written_count < HeadwordSlotCount) {
        written_slots[written_count++] = slot;
    } else {
        written_overflow = true;
    }
    if (copy != nullptr) ++stored_word_count;
    if (stored != nullptr) stored();
    return HeadwordAbsent;
}

}  // namespace

bool reserve_headword_set() noexcept {
    if (HeadwordSet.word != nullptr) return true;
    HeadwordSet.word = static_cast<char**>(std::calloc(HeadwordSlotCount, sizeof(char*)));
    HeadwordSet.tag = static_cast<uint8_t*>(std::calloc(HeadwordSlotCount, sizeof(uint8_t)));
    slot_check = static_cast<uint16_t*>(std::calloc(HeadwordSlotCount, sizeof(uint16_t)));
    written_slots = static_cast<uint32_t*>(std::calloc(HeadwordSlotCount, sizeof(uint32_t)));
    if (HeadwordSet.word != nullptr && HeadwordSet.tag != nullptr && slot_check != nullptr &&
        written_slots != nullptr)
        return true;
    release_headword_set();
    return false;
}

void release_headword_set() noexcept {
    if (HeadwordSet.word != nullptr && slot_check != nullptr) empty_headword_set();
    std::free(HeadwordSet.word);
    std::free(HeadwordSet.tag);
    std::free(slot_check);
    std::free(written_slots);
    HeadwordSet = HeadwordSlots{};
    slot_check = nullptr;
    written_slots = nullptr;
}

uint32_t HeadwordHash(const char* word) noexcept { return full_hash(word) % HeadwordSlotCount; }

void prefetch_headword(const char* word, size_t length) noexcept {
    uint32_t h = 0;
    for (size_t i = 0; i < length; ++i) h = hash_step(h, static_cast<unsigned char>(word[i]));
    const uint32_t slot = h % HeadwordSlotCount;
    if (slot_check == nullptr) return;
#if defined(__GNUC__)
    __builtin_prefetch(&slot_check[slot]);
    __builtin_prefetch(&HeadwordSet.word[slot]);
#else
    (void)slot;
#endif
}

int32_t AddHeadword(const char* word, int32_t mode, uint8_t tag, HeadwordStored stored) noexcept {
    if (word == nullptr || slot_check == nullptr) return HeadwordAbsent;
    // Nothing is ever removed during a run, so a full set has no empty slot
    // left: a new word could only be refused after a walk over all 800000
    // slots, and a repeated one is already kept.  Refuse at once instead.
    if (mode == HeadwordModeStore && stored_word_count >= HeadwordSlotCount) return HeadwordAbsent;
    const uint16_t check = check_of(word);
    uint32_t slot = full_hash(word) % HeadwordSlotCount;
    if (slot_check[slot] == 0)
        return mode == HeadwordModeStore ? store_at(slot, word, check, tag, stored)
                                         : HeadwordAbsent;
    for (uint32_t compared = 0; compared < HeadwordSlotCount; ++compared) {
        if (slot_check[slot] == check && std::strcmp(word, HeadwordSet.word[slot]) == 0)
            return present_result(HeadwordSet.tag[slot]);
        slot += HeadwordProbeStep;
        if (slot >= HeadwordSlotCount) slot -= HeadwordSlotCount;
        if (slot_check[slot] == 0)
            return mode == HeadwordModeStore ? store_at(slot, word, check, tag, stored)
                                             : HeadwordAbsent;
    }
    return HeadwordAbsent;
}

uint32_t gather_headwords(char** out) noexcept {
    uint32_t count = 0;
    if (slot_check == nullptr) return 0;
    if (written_overflow) {
        for (uint32_t slot = 0; slot < HeadwordSlotCount; ++slot)
            if (HeadwordSet.word[slot] != nullptr) out[count++] = HeadwordSet.word[slot];
        return count;
    }
    // A slot is listed twice when a failed copy left it empty and a later
    // word took it: its check is cleared once the word is taken.
    for (uint32_t i = 0; i < written_count; ++i) {
        const uint32_t slot = written_slots[i];
        if (slot_check[slot] == 0) continue;
        out[count++] = HeadwordSet.word[slot];
        slot_check[slot] = 0;
    }
    return count;
}

void empty_headword_set() noexcept {
    if (slot_check == nullptr) {
        // Nothing reserved, nothing stored.
    } else if (written_overflow) {
        for (uint32_t slot = 0; slot < HeadwordSlotCount; ++slot) {
            std::free(HeadwordSet.word[slot]);
            HeadwordSet.word[slot] = nullptr;
            HeadwordSet.tag[slot] = 0;
            slot_check[slot] = 0;
        }
    } else {
        for (uint32_t i = 0; i < written_count; ++i) {
            const uint32_t slot = written_slots[i];
            std::free(HeadwordSet.word[slot]);
            HeadwordSet.word[slot] = nullptr;
            HeadwordSet.tag[slot] = 0;
            slot_check[slot] = 0;
        }
    }
    written_count = 0;
    written_overflow = false;
    stored_word_count = 0;
}

}  // namespace lumo::builder
