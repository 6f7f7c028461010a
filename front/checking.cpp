// Checking the host's text, collecting suggestions and passing the user's
// decisions to the engine.
#include <algorithm>
#include <cstring>
#include <new>

#include "error_box.h"
#include "front.h"

namespace lumo::front {

namespace {
constexpr uint16_t SpellStateCaller = 2;
constexpr int CheckFailedStep = 328;
constexpr unsigned int EngineOptionBits = 0x3FFF;
// Each answer of the engine brings at least one string or ends the
// collection, so this many calls fill the list; a stuck engine ends here.
constexpr int MaxSuggestionCalls = SuggestionListSize;
// The first stretch the engine is given; each further one doubles, so a
// check masks at most about twice as far as the engine reads.
constexpr std::size_t FirstStretch = 256;

char* copy_string(const char* text, std::size_t length) {
    char* copy = new (std::nothrow) char[length + 1];
    if (copy != nullptr) {
        std::memcpy(copy, text, length);
        copy[length] = '\0';
    }
    return copy;
}
}  // namespace

PrefilterFlags Front::prefilter_flags() const {
    PrefilterFlags flags;
    flags.doubleByteText = doubleByteText != 0;
    flags.maskWebAddresses = maskWebAddresses != 0;
    flags.maskPaths = maskPaths != 0;
    flags.leadBytes = leadBytes_ != nullptr ? leadBytes_ : &platform::system_lead_bytes();
    return flags;
}

int Front::check(const char* text, CheckResult* result) {
    if (engineModule == nullptr) return CheckFailed;
    const PrefilterFlags flags = prefilter_flags();
    const std::size_t length = checked_text_length(text, flags);
    prefilter_.start(text, length, textBuffer, flags);
    std::memset(suggestionArea, 0, sizeof suggestionArea);

    inputBuffer = SpellInputBuffer{};
    inputBuffer.mainDictCount = 1;
    inputBuffer.userDictCount = 1;
    inputBuffer.spellState = SpellStateCaller;
    inputBuffer.text = textBuffer;
    inputBuffer.mainDicts = mainDictRecord;
    inputBuffer.userDicts = &userDictId;

    returnBuffer = SpellReturnBuffer{};
    returnBuffer.suggestionCapacity = SuggestionAreaSize;
    returnBuffer.suggestions = suggestionArea;
    returnBuffer.ratings = ratingArea;
    returnBuffer.ratingCapacity = RatingAreaSize;

    // The engine reads stretch by stretch of the masked text, each ending
    // at a blank, and stops at the first word it reports.  A later stretch
    // starts at the blank that ended the one before, so that its first
    // word has a byte before it, as in the whole text.
    auto* spell_check = engine<SpellCheckFunction>(OrdinalSpellCheck);
    std::size_t begin = 0;
    std::size_t stretch = FirstStretch;
    for (;;) {
        const std::size_t end = prefilter_.advance(begin + stretch);
        inputBuffer.text = textBuffer + begin;
        inputBuffer.textLength = static_cast<uint16_t>(end - begin);
        const uint16_t code =
            spell_check(engineSession, CommandVerifyBuffer, &inputBuffer, &returnBuffer);
        if (code != 0) {
            record_failure(LumoSpellStepCheck, code, "");
            showErrorBox("LumoSpell Error %d,%d", static_cast<int>(code), CheckFailedStep);
            return CheckFailed;
        }
        if (returnBuffer.status != StatusNoErrors) {
            returnBuffer.errorOffset = static_cast<uint16_t>(returnBuffer.errorOffset + begin);
            break;
        }
        if (end >= length) break;
        begin = end - 1;
        stretch *= 2;
    }
    inputBuffer.text = textBuffer;
    inputBuffer.textLength = static_cast<uint16_t>(length);

    result->wordOffset = static_cast<int16_t>(returnBuffer.errorOffset);
    // Taken from the host's text, which the masking never shifted; an
    // offset past the checked text reads nothing of the host's.
    const std::size_t offset = std::min<std::size_t>(returnBuffer.errorOffset, length);
    const std::size_t word_length =
        std::min<std::size_t>({returnBuffer.errorLength, WordSize - 1, length - offset});
    std::memcpy(result->word, text + offset, word_length);
    result->word[word_length] = '\0';

    if (std::memchr(suggestionArea, '\0', sizeof suggestionArea) != nullptr) {
        std::strcpy(result->replacement, suggestionArea);
    } else {
        result->replacement[0] = '\0';
    }
    return returnBuffer.status;
}

void Front::release_suggestions() {
    for (char*& entry : suggestionList) {
        delete[] entry;
        entry = nullptr;
    }
}

bool Front::collect_batch() {
    const char* next = suggestionArea;
    const char* const end = suggestionArea + sizeof suggestionArea;
    for (int i = 0; i < returnBuffer.suggestionCount && next < end; ++i) {
        const void* nul = std::memchr(next, '\0', static_cast<std::size_t>(end - next));
        // A string that runs off the area is not the engine's to give.
        if (nul == nullptr) break;
        const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(nul) - next);
        suggestionList[suggestionCursor++] = copy_string(next, length);
        if (suggestionCursor == SuggestionListSize) return false;
        next += length + 1;
    }
    return true;
}

int Front::suggestion_first(char* out) {
    suggestionCursor = 0;
    out[0] = '\0';
    if (engineModule == nullptr) return 0;
    // No check has prepared the records yet: no word to look at.
    if (returnBuffer.suggestions == nullptr) return 0;

    // Kept inside textBuffer, with room for the terminator the engine sets.
    const std::size_t offset = std::min<std::size_t>(returnBuffer.errorOffset, TextBufferSize - 1);
    const std::size_t length =
        std::min<std::size_t>(returnBuffer.errorLength, TextBufferSize - 1 - offset);
    inputBuffer.text = textBuffer + offset;
    inputBuffer.textLength = static_cast<uint16_t>(length);
    release_suggestions();

    auto* spell_check = engine<SpellCheckFunction>(OrdinalSpellCheck);
    uint32_t command = CommandSuggest;
    for (int call = 0; call < MaxSuggestionCalls; ++call) {
        if (spell_check(engineSession, command, &inputBuffer, &returnBuffer) != 0) {
            release_suggestions();
            suggestionCursor = 0;
            return 0;
        }
        if (!collect_batch()) break;
        if (returnBuffer.status == StatusNoMoreSuggestions) break;
        command = CommandSuggestMore;
    }
    suggestionCursor = 0;
    return suggestion_next(out);
}

int Front::suggestion_next(char* out) {
    out[0] = '\0';
    if (engineModule == nullptr || suggestionCursor >= SuggestionListSize ||
        suggestionList[suggestionCursor] == nullptr) {
        return 0;
    }
    const char* entry = suggestionList[suggestionCursor];
    std::memcpy(out, entry, std::strlen(entry) + 1);
    ++suggestionCursor;
    return 1;
}

int Front::ignore_always(const char* word) {
    if (engineModule == nullptr) return 0;
    return engine<SpellAddUdrFunction>(OrdinalSpellAddUdr)(engineSession, UdrIgnoreAlways, word);
}

int Front::change_always(const char* word, const char* replacement) {
    if (engineModule == nullptr) return 0;
    return engine<SpellAddChangeUdrFunction>(OrdinalSpellAddChangeUdr)(
        engineSession, UdrChangeAlways, word, replacement);
}

int Front::add_word(const char* word) {
    if (engineModule == nullptr) return 0;
    return engine<SpellAddUdrFunction>(OrdinalSpellAddUdr)(engineSession, userDictId, word);
}

int Front::mode(unsigned int flags) {
    if (engineModule == nullptr) return 0;
    maskWebAddresses = (flags & ModeWebAddresses) != 0 ? 1 : 0;
    maskPaths = (flags & ModePaths) != 0 ? 1 : 0;
    const uint16_t code =
        engine<SpellOptionsFunction>(OrdinalSpellOptions)(engineSession, flags & EngineOptionBits);
    return code == 0 ? 1 : 0;
}

}  // namespace lumo::front
