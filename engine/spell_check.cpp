#include <cstring>

#include "common/char_class.h"
#include "engine.h"

namespace lumo::engine {

using namespace lumo::common;

namespace {

constexpr size_t ReportLimit = SpellReportBufferSize - 1;

// Copies at most the buffer's size less one byte, so that a longer word or
// replacement is cut instead of overrunning it.
void keep_report(char* report, const char* text, size_t len) {
    if (len > ReportLimit) len = ReportLimit;
    std::memcpy(report, text, len);
    report[len] = 0;
}

bool all_capitals(const unsigned char* word, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (!is_capital(word[i])) return false;
    }
    return true;
}

bool any_digit(const unsigned char* word, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (is_digit(word[i])) return true;
    }
    return false;
}

bool possessive(const unsigned char* text, size_t s, size_t n) {
    return s > 0 && text[s + n - 2] == '\'' && text[s + n - 1] == 's';
}

// The option rules and the possessive rule, which accept a word unseen.
bool accepted_without_lookup(const unsigned char* text, size_t s, size_t n, uint32_t options) {
    if (possessive(text, s, n)) return true;
    if ((options & OptionIgnoreAllCapitals) != 0 && all_capitals(text + s, n)) return true;
    if ((options & OptionIgnoreWordsWithDigits) != 0) {
        if (s > 0 && is_digit(text[s - 1])) return true;
        if (any_digit(text + s, n)) return true;
    }
    return false;
}

// The first word that neither a rule nor the table accepts (its look-up
// result), or LookupKnown when there is none; s and n are left at the last
// word read either way.  The walk stays apart from the reporting so that
// it keeps its few values in registers.
int first_unaccepted(const WordTable& table, const unsigned char* bytes, size_t end,
                     uint32_t options, size_t& s, size_t& n) {
    const char* text = reinterpret_cast<const char*>(bytes);
    const bool option_rules =
        (options & (OptionIgnoreAllCapitals | OptionIgnoreWordsWithDigits)) != 0;
    for (size_t pos = 0;;) {
        while (pos < end && !is_letter(bytes[pos])) ++pos;
        if (pos >= end) return LookupKnown;
        const size_t start = pos;
        size_t e = start + 1;
        while (e < end && is_word_char_computed(bytes[e])) ++e;
        const size_t len = e - start - (bytes[e - 1] == '\'' ? 1 : 0);
        s = start;
        n = len;
        if (!possessive(bytes, start, len) &&
            !(option_rules && accepted_without_lookup(bytes, start, len, options))) {
            // Looked up in place, by its length: the text is not written to.
            const int found =
                table.find(text + start, len, WordTable::hash_of(text + start, len), end - start);
            if (found != LookupKnown) return found;
        }
        if (start + len >= end) return LookupKnown;
        pos = start + len;
    }
}

void verify(Engine& engine, const SpellInputBuffer& input, SpellReturnBuffer& output) {
    char* text = input.text;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const size_t end = text != nullptr ? input.textLength : 0;
    char* report = engine.report_buffer;

    uint16_t status = StatusNoErrors;
    size_t s = 0;
    size_t n = 0;
    const int found = first_unaccepted(engine.table(), bytes, end, engine.option_word, s, n);
    if (found != LookupKnown) {
        // A change-always word whose replacement is missing is reported as
        // unknown rather than as an empty replacement.
        const char* replacement = (found >= 1 && static_cast<uint32_t>(found) < ChangeTableEntries)
                                      ? engine.change_at(static_cast<uint32_t>(found))
                                      : nullptr;
        if (replacement != nullptr) {
            status = StatusChangeAlways;
            keep_report(report, replacement, strnlen(replacement, ReportLimit));
        } else {
            status = StatusUnknownWord;
            keep_report(report, text + s, n);
        }
    }

    output.status = status;
    if (status != StatusNoErrors) {
        output.errorOffset = static_cast<uint16_t>(s);
        output.errorLength = static_cast<uint16_t>(n);
    }
    report[ReportLimit] = 0;
    size_t len = std::strlen(report);
    output.suggestionBytesUsed = static_cast<uint16_t>(len);
    const size_t capacity = output.suggestions != nullptr ? output.suggestionCapacity : 0;
    if (capacity == 0) {
        // No room even for a terminator: nothing is placed.
        output.suggestionCount = 0;
        return;
    }
    output.suggestionCount = len != 0 ? 1 : 0;
    if (len >= capacity) {
        len = capacity - 1;
        report[len] = 0;
    }
    std::memcpy(output.suggestions, report, len + 1);
}

void suggest(Engine& engine, const SpellInputBuffer& input, SpellReturnBuffer& output) {
    char* text = input.text;
    if (text == nullptr) {
        GenerateSuggestions(engine.table(), engine.suggestion_store, "", &output);
        return;
    }
    const char saved = text[input.textLength];
    text[input.textLength] = 0;
    GenerateSuggestions(engine.table(), engine.suggestion_store, text, &output);
    text[input.textLength] = saved;
}

}  // namespace

void Engine::check(uint32_t command, SpellInputBuffer* input, SpellReturnBuffer* output) {
    switch (command & 0xFFFFu) {
        case CommandVerifyWord:
        case CommandVerifyBuffer: verify(*this, *input, *output); break;
        case CommandSuggest:
            suggest(*this, *input, *output);
            output->status = StatusNoMoreSuggestions;
            break;
        case CommandSuggestMore: output->status = StatusNoMoreSuggestions; break;
        default: break;
    }
}

}  // namespace lumo::engine
