// HeadwordSet: the fixed-size hash set that collects the distinct
// headwords of one build.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumo::builder {

constexpr uint32_t HeadwordSlotCount = 800000;
constexpr uint32_t HeadwordProbeStep = 7;
constexpr int32_t HeadwordModeStore = 2;
constexpr uint8_t HeadwordTagBuild = 255;

// Results of AddHeadword besides a tag value 1..100.
constexpr int32_t HeadwordAbsent = -1;
constexpr int32_t HeadwordPresent = -2;

// HeadwordSlotCount entries each while a build runs, null otherwise.
struct HeadwordSlots {
    char** word = nullptr;  // null: empty; otherwise a heap copy the set owns
    uint8_t* tag = nullptr;
};

extern HeadwordSlots HeadwordSet;

// Allocates the set's tables, zeroed, when a build starts, so that merely
// loading the library reserves nothing; false when there is no memory.
// Until then (and after release) nothing is stored or found.
bool reserve_headword_set() noexcept;
// Empties the set and frees its tables.
void release_headword_set() noexcept;

// Slots that hold a word; when it reaches HeadwordSlotCount the set is full.
extern uint32_t stored_word_count;

// Makes the heap copy of a word of the given length (NUL added); null when
// there is no memory.  Tests replace it to make the copy fail.
extern char* (*copy_headword)(const char* word, size_t length);
char* heap_copy_headword(const char* word, size_t length) noexcept;

uint32_t HeadwordHash(const char* word) noexcept;

// Called for every word stored, its copy failed or not.
using HeadwordStored = void (*)() noexcept;

// Asks the processor for the home slot of the word of the given length
// ahead of its look-up; changes nothing.
void prefetch_headword(const char* word, size_t length) noexcept;

// Looks word up and, with mode HeadwordModeStore, stores it when absent
// and then calls stored (unless null).  Returns the slot's tag when the
// word is present with a tag in 1..100, HeadwordPresent when present with
// another tag, HeadwordAbsent otherwise.
int32_t AddHeadword(const char* word, int32_t mode, uint8_t tag,
                    HeadwordStored stored = nullptr) noexcept;

// Puts every stored word into out (room for stored_word_count), in no
// particular order, and returns how many.  Look-ups are undefined after
// it until the set is emptied.
uint32_t gather_headwords(char** out) noexcept;

// Frees every copy, empties every slot and zeroes every tag.
void empty_headword_set() noexcept;

}  // namespace lumo::builder
