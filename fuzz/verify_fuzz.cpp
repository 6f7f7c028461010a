// SpellCheck on arbitrary text with any command, option word and area size.
// Input: command selector, options, capacity (2 bytes), how many bytes of
// text lie past textLength, then the text.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "engine_fixture.h"

using namespace lumo::engine;
using lumo::fuzz::fixture_engine;

namespace {

constexpr uint32_t Commands[] = {CommandVerifyWord, CommandVerifyBuffer, CommandSuggest,
                                 CommandSuggestMore, 0, 5, 0x10000u | CommandVerifyBuffer,
                                 0xFFFFu};

bool is_letter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// Field by field: the records have padding that a byte compare would read.
bool same_record(const SpellReturnBuffer& a, const SpellReturnBuffer& b) {
    return a.errorOffset == b.errorOffset && a.errorLength == b.errorLength &&
           a.status == b.status && a.suggestionCount == b.suggestionCount &&
           a.suggestionBytesUsed == b.suggestionBytesUsed &&
           a.suggestionCapacity == b.suggestionCapacity && a.suggestions == b.suggestions &&
           a.ratings == b.ratings && a.ratingCapacity == b.ratingCapacity;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    Engine& engine = fixture_engine();
    const uint32_t command = Commands[data[0] & 7];
    engine.set_options(data[1]);
    const uint16_t capacity = static_cast<uint16_t>(data[2] | (data[3] << 8));
    size_t past = data[4];
    data += 5;
    size -= 5;
    if (size > 0xFFFF) size = 0xFFFF;
    if (past > size) past = size;
    const size_t text_length = size - past;

    // Exactly the caller's areas, so that a write past them is caught: the
    // text plus the byte behind textLength, and capacity bytes of area.
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\xA5';
    const std::string text_before(text.get(), size + 1);
    std::unique_ptr<char[]> area(new char[capacity]);
    std::memset(area.get(), '\x5A', capacity);
    const std::string area_before(area.get(), capacity);
    unsigned char ratings[8] = {1, 2, 3, 4, 5, 6, 7, 8};

    SpellInputBuffer input{};
    input.textLength = static_cast<uint16_t>(text_length);
    input.text = text.get();
    SpellReturnBuffer out{};
    out.errorOffset = 0xBEEF;
    out.errorLength = 0xCAFE;
    out.status = 0x7777;
    out.suggestionCount = 0x1111;
    out.suggestionBytesUsed = 0x2222;
    out.suggestionCapacity = capacity;
    out.suggestions = area.get();
    out.ratings = ratings;
    out.ratingCapacity = sizeof ratings;
    const SpellReturnBuffer out_before = out;

    engine.check(command, &input, &out);

    FUZZ_CHECK(std::memcmp(text.get(), text_before.data(), size + 1) == 0,
               "the caller's text was not restored byte for byte");
    FUZZ_CHECK(input.textLength == text_length && input.text == text.get(), "input changed");
    FUZZ_CHECK(out.suggestions == area.get() && out.suggestionCapacity == capacity &&
                   out.ratings == ratings && out.ratingCapacity == sizeof ratings,
               "the return record's areas changed");
    const unsigned char ratings_before[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    FUZZ_CHECK(std::memcmp(ratings, ratings_before, sizeof ratings) == 0, "ratings touched");

    switch (command & 0xFFFFu) {
        case CommandVerifyWord:
        case CommandVerifyBuffer: {
            FUZZ_CHECK(out.status == StatusNoErrors || out.status == StatusUnknownWord ||
                           out.status == StatusChangeAlways,
                       "status %u", out.status);
            if (out.status == StatusNoErrors) {
                FUZZ_CHECK(out.errorOffset == 0xBEEF && out.errorLength == 0xCAFE,
                           "error fields written with status 0");
            } else {
                const size_t s = out.errorOffset;
                const size_t n = out.errorLength;
                FUZZ_CHECK(n >= 1 && s + n <= text_length, "word %zu+%zu outside %zu", s, n,
                           text_length);
                FUZZ_CHECK(is_letter(static_cast<unsigned char>(data[s])),
                           "reported word does not start with a letter");
                const std::string word(reinterpret_cast<const char*>(data) + s, n);
                const int found = engine.table().lookup(word.c_str(), ModeFind, WordTagLookupOnly);
                if (out.status == StatusUnknownWord) {
                    FUZZ_CHECK(found == LookupAbsent, "reported '%s' is known", word.c_str());
                    if (capacity > 0) {
                        const std::string shown(area.get());
                        const size_t kept =
                            std::min<size_t>(capacity - 1u, SpellReportBufferSize - 1);
                        FUZZ_CHECK(shown == word.substr(0, kept),
                                   "area holds '%s', not the word", shown.c_str());
                    }
                } else {
                    FUZZ_CHECK(found >= 1 && found <= 100, "'%s' has no replacement",
                               word.c_str());
                }
            }
            if (capacity > 0) {
                FUZZ_CHECK(std::memchr(area.get(), 0, capacity) != nullptr,
                           "no NUL inside the area");
                const size_t shown = std::strlen(area.get());
                FUZZ_CHECK(out.suggestionCount == (shown != 0 ? 1 : 0) ||
                               (shown == 0 && out.suggestionBytesUsed != 0),
                           "count %u for a string of %zu", out.suggestionCount, shown);
                FUZZ_CHECK(shown <= out.suggestionBytesUsed, "bytes used below the string");
                // Only the string and its NUL are written.
                FUZZ_CHECK(std::memcmp(area.get() + shown + 1, area_before.data() + shown + 1,
                                       capacity - shown - 1) == 0,
                           "area written past the string");
            }
            break;
        }
        case CommandSuggest: {
            const std::string word(text_before.data(), strnlen(text_before.data(), text_length));
            lumo::fuzz::check_suggestion_answer(engine, word, out, area_before.data(),
                                                out_before.suggestionBytesUsed);
            FUZZ_CHECK(out.errorOffset == 0xBEEF && out.errorLength == 0xCAFE,
                       "suggestions wrote the error fields");
            break;
        }
        case CommandSuggestMore: {
            SpellReturnBuffer expected = out_before;
            expected.status = StatusNoMoreSuggestions;
            FUZZ_CHECK(same_record(out, expected), "command 4 changed more");
            FUZZ_CHECK(std::memcmp(area.get(), area_before.data(), capacity) == 0,
                       "command 4 wrote the area");
            break;
        }
        default:
            FUZZ_CHECK(same_record(out, out_before) &&
                           std::memcmp(area.get(), area_before.data(), capacity) == 0,
                       "command %u wrote something", command);
            break;
    }
    return 0;
}
