// Picking the English headword-like tokens out of one piece of Shift-JIS
// dictionary text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "headword_set.h"

namespace lumo::builder {

constexpr size_t LineBufferBytes = 4096;

// The current piece: at most 4095 bytes and a NUL.  Edited in place.
extern char LineBuffer[LineBufferBytes];

// The label "[pronunciation]" in lenticular brackets that opens a
// pronunciation section.
constexpr char PronunciationMarker[] = "\x81\x79\x94\xAD\x89\xB9\x81\x7A";
// An opening lenticular bracket, which ends the section.
constexpr char OpeningBracket[] = "\x81\x79";

// Cuts the first pronunciation section out of a NUL-terminated piece: from
// the marker up to the next opening bracket, or to the end of the piece.
void remove_pronunciation(char* piece) noexcept;

// How many bytes of a token of length bytes (a letter, then letters,
// digits, full stops, hyphens and apostrophes) are stored; 0 when the
// token is dropped.
size_t finished_length(const char* token, size_t length) noexcept;

// What the build run lends the scan: the call for every stored word, and
// the flag it raises to cancel, read after every insertion.
struct ExtractionRun {
    HeadwordStored stored = nullptr;
    const int32_t* cancelled = nullptr;
};

// Removes the pronunciation from LineBuffer and offers every token to
// HeadwordSet.  Returns true when the run was found cancelled after an
// insertion; the scan stops there.
bool ExtractHeadwords(const ExtractionRun& run) noexcept;

}  // namespace lumo::builder
