// A host's walk through its text, check after check past each reported
// word, through the front and through the check as it was before the
// front masked lazily: the whole text masked by the oracle masker, then
// one SpellCheck over it.  Both must give the same answers.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "front.h"
#include "front/prefilter_oracle.h"

namespace lumo::test {

struct CheckAnswer {
    int status = 0;
    int offset = 0;
    std::string word;
    std::string replacement;
    bool operator==(const CheckAnswer& o) const {
        return status == o.status && offset == o.offset && word == o.word &&
               replacement == o.replacement;
    }
};

inline front::PrefilterFlags walk_flags(const front::Front& f,
                                        const platform::LeadByteSet* lead) {
    front::PrefilterFlags flags;
    flags.doubleByteText = f.doubleByteText != 0;
    flags.maskWebAddresses = f.maskWebAddresses != 0;
    flags.maskPaths = f.maskPaths != 0;
    flags.leadBytes = lead;
    return flags;
}

// The whole-text check, on the engine the front is bound to.
inline CheckAnswer oracle_check(front::Front& f, const platform::LeadByteSet* lead,
                                const char* text) {
    static char buffer[front::TextBufferSize];
    static char area[front::SuggestionAreaSize];
    static unsigned char ratings[front::RatingAreaSize];
    const front::PrefilterFlags flags = walk_flags(f, lead);
    const size_t length = front::checked_text_length(text, flags);
    oracle::prefilter_text(text, length, buffer, flags);
    std::memset(area, 0, sizeof area);
    SpellInputBuffer in{};
    in.textLength = static_cast<uint16_t>(length);
    in.mainDictCount = 1;
    in.userDictCount = 1;
    in.spellState = 2;
    in.text = buffer;
    in.mainDicts = f.mainDictRecord;
    in.userDicts = &f.userDictId;
    SpellReturnBuffer out{};
    out.suggestionCapacity = sizeof area;
    out.suggestions = area;
    out.ratings = ratings;
    out.ratingCapacity = sizeof ratings;
    f.entryPoints.at<front::SpellCheckFunction>(front::OrdinalSpellCheck)(
        f.engineSession, CommandVerifyBuffer, &in, &out);
    CheckAnswer a;
    a.status = out.status;
    a.offset = static_cast<int16_t>(out.errorOffset);
    const size_t offset = out.errorOffset < length ? out.errorOffset : length;
    size_t n = out.errorLength < front::WordSize - 1 ? out.errorLength : front::WordSize - 1;
    if (n > length - offset) n = length - offset;
    a.word.assign(text + offset, n);
    if (std::memchr(area, 0, sizeof area) != nullptr) a.replacement = area;
    return a;
}

inline CheckAnswer front_check(front::Front& f, const char* text) {
    std::unique_ptr<CheckResult> result(new CheckResult());
    CheckAnswer a;
    a.status = f.check(text, result.get());
    a.offset = result->wordOffset;
    a.word = result->word;
    a.replacement = result->replacement;
    return a;
}

// Checks from the start, then past each reported word; each step through
// the front and through the oracle in turn.  Returns the first step where
// they differ, or -1.
inline int first_walk_difference(front::Front& f, const platform::LeadByteSet* lead,
                                 const std::string& text, std::string* why = nullptr) {
    size_t pos = 0;
    for (int step = 0; step < 4096 && pos <= text.size(); ++step) {
        const CheckAnswer ours = front_check(f, text.c_str() + pos);
        const CheckAnswer old = oracle_check(f, lead, text.c_str() + pos);
        if (!(ours == old)) {
            if (why != nullptr)
                *why = "at " + std::to_string(pos) + ": front " + std::to_string(ours.status) +
                       " " + std::to_string(ours.offset) + " '" + ours.word + "' '" +
                       ours.replacement + "', oracle " + std::to_string(old.status) + " " +
                       std::to_string(old.offset) + " '" + old.word + "' '" + old.replacement +
                       "'";
            return step;
        }
        if (ours.status <= 0) return -1;
        pos += static_cast<size_t>(static_cast<uint16_t>(ours.offset)) +
               (ours.word.empty() ? 1 : ours.word.size());
    }
    return -1;
}

}  // namespace lumo::test
