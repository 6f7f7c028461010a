// Masking the host's text before the engine sees it: control and
// double-byte characters, web and e-mail addresses, paths and punctuation
// become spaces.  No byte is ever moved, so offsets into the masked copy
// are offsets into the host's text.
#pragma once

#include <cstddef>
#include <memory>

#include "lead_bytes.h"

namespace lumo::front {

// 16,383 bytes of text and the NUL.
constexpr std::size_t TextBufferSize = 16384;

struct PrefilterFlags {
    bool doubleByteText = true;
    bool maskWebAddresses = true;
    bool maskPaths = false;
    const platform::LeadByteSet* leadBytes = nullptr;  // none when null
};

// How many leading bytes of the host's NUL-terminated text one check takes.
// A text that does not fit textBuffer is cut after the last byte that no
// word, address or path can run across, so that the cut never leaves the
// piece of a word (or the start of an address) to be reported; when there
// is no such byte the length is 0.  A double-byte character, as the masking
// pairs them under flags, is never split.
std::size_t checked_text_length(const char* text, const PrefilterFlags& flags = {});

// Copies the first length bytes of text (length < TextBufferSize, no NUL
// among them) into textBuffer, adds the NUL and masks the copy.
void prefilterText(const char* text, std::size_t length, char* textBuffer,
                   const PrefilterFlags& flags);

class Masker;

// The masking of prefilterText, done as far as a reader gets: the NUL is
// placed at once, and each advance masks on from where the last stopped.
class LazyPrefilter {
public:
    LazyPrefilter();
    ~LazyPrefilter();
    LazyPrefilter(const LazyPrefilter&) = delete;
    LazyPrefilter& operator=(const LazyPrefilter&) = delete;

    void start(const char* text, std::size_t length, char* textBuffer, const PrefilterFlags& flags);

    // Masks at least the first want bytes (or all) and returns how many
    // are final: the whole text, or up to and including a blank that no
    // rule reaches across, so that no word or address runs over it.
    std::size_t advance(std::size_t want);

private:
    std::unique_ptr<Masker> masker_;
};

}  // namespace lumo::front
