#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "check_call.h"
#include "engine.h"

using namespace lumo::engine;
using lumo::test::CheckCall;
using lumo::test::know;

namespace {

std::unique_ptr<Engine> engine_knowing(std::initializer_list<const char*> words) {
    auto engine = std::make_unique<Engine>();
    know(*engine, words);
    return engine;
}

// Verifies text and expects the given word to be reported as unknown.
void expect_unknown(Engine& engine, const std::string& text, uint16_t offset,
                    const std::string& word) {
    CheckCall call(text);
    const SpellReturnBuffer& out = call.run(engine, CommandVerifyBuffer);
    EXPECT_EQ(out.status, StatusUnknownWord) << text;
    EXPECT_EQ(out.errorOffset, offset) << text;
    EXPECT_EQ(out.errorLength, word.size()) << text;
    EXPECT_EQ(call.first(), word) << text;
    EXPECT_TRUE(call.text_intact()) << text;
}

bool same_fields(const SpellReturnBuffer& a, const SpellReturnBuffer& b) {
    return a.errorOffset == b.errorOffset && a.errorLength == b.errorLength &&
           a.status == b.status && a.suggestionCount == b.suggestionCount &&
           a.suggestionBytesUsed == b.suggestionBytesUsed &&
           a.suggestionCapacity == b.suggestionCapacity && a.suggestions == b.suggestions &&
           a.ratings == b.ratings && a.ratingCapacity == b.ratingCapacity;
}

bool same_fields(const SpellInputBuffer& a, const SpellInputBuffer& b) {
    return a.textLength == b.textLength && a.mainDictCount == b.mainDictCount &&
           a.userDictCount == b.userDictCount && a.spellState == b.spellState &&
           a.text == b.text && a.mainDicts == b.mainDicts && a.userDicts == b.userDicts;
}

void expect_accepted(Engine& engine, const std::string& text) {
    CheckCall call(text);
    const SpellReturnBuffer& out = call.run(engine, CommandVerifyBuffer);
    EXPECT_EQ(out.status, StatusNoErrors) << text;
    EXPECT_EQ(out.errorOffset, 0xAAAA) << text;
    EXPECT_EQ(out.errorLength, 0xBBBB) << text;
    EXPECT_TRUE(call.text_intact()) << text;
}

}  // namespace

TEST(Verification, TextWithoutWordsIsAccepted) {
    auto engine = engine_knowing({});
    expect_accepted(*engine, "");
    expect_accepted(*engine, "12, 34 -- 56.");
    expect_accepted(*engine, "'-_ 0 9 \xE9\xFF\x80");
}

TEST(Verification, WordsStartOnALetterOnly) {
    auto engine = engine_knowing({"tis", "mail"});
    expect_unknown(*engine, "3rd", 1, "rd");
    expect_accepted(*engine, "'tis");
    expect_accepted(*engine, "-tis _mail");
    expect_unknown(*engine, "9e_mail", 1, "e_mail");
}

TEST(Verification, OptionIgnoreWordsWithDigits) {
    auto engine = engine_knowing({});
    expect_unknown(*engine, "abc123", 0, "abc123");
    expect_unknown(*engine, "x 3rd", 0, "x");
    engine->option_word = OptionIgnoreWordsWithDigits;
    expect_accepted(*engine, "abc123 3rd a1b 2nd-");
    // The digit must be the byte right before the word.
    expect_unknown(*engine, "3 rd", 2, "rd");
}

TEST(Verification, OptionIgnoreAllCapitals) {
    auto engine = engine_knowing({});
    expect_unknown(*engine, "NASA", 0, "NASA");
    engine->option_word = OptionIgnoreAllCapitals;
    expect_accepted(*engine, "NASA IBM X");
    expect_unknown(*engine, "NASA NaSA", 5, "NaSA");
    // A digit makes the word no longer all capitals.
    expect_unknown(*engine, "NASA2", 0, "NASA2");
    engine->option_word = OptionIgnoreAllCapitals | OptionIgnoreWordsWithDigits;
    expect_accepted(*engine, "NASA2");
    // Other bits change nothing.
    engine->option_word = 0xFFF9;
    expect_unknown(*engine, "NASA", 0, "NASA");
}

TEST(Verification, PossessiveAcceptedUnlessAtTheStart) {
    auto engine = engine_knowing({"ok"});
    expect_unknown(*engine, "John's", 0, "John's");
    expect_accepted(*engine, "ok John's");
    expect_accepted(*engine, "ok 's");
    expect_accepted(*engine, "ok xyz's'");
    expect_unknown(*engine, "ok JOHN'S", 3, "JOHN'S");
}

TEST(Verification, DropsOnlyOneTrailingApostrophe) {
    auto engine = engine_knowing({"well", "rock'n"});
    expect_unknown(*engine, "dogs'", 0, "dogs");
    expect_accepted(*engine, "well' rock'n'");
    expect_unknown(*engine, "well-", 0, "well-");
    expect_unknown(*engine, "well_", 0, "well_");
    expect_unknown(*engine, "well''", 0, "well'");
}

TEST(Verification, JoinedRunsAreLookedUpWhole) {
    auto engine = engine_knowing({"well", "known", "e", "mail", "rock", "n", "roll"});
    expect_unknown(*engine, "well-known", 0, "well-known");
    expect_unknown(*engine, "e_mail", 0, "e_mail");
    expect_unknown(*engine, "rock'n'roll", 0, "rock'n'roll");
    know(*engine, {"well-known"});
    expect_accepted(*engine, "Well-Known WELL-KNOWN");
}

TEST(Verification, HighBytesEndWordsAndNeverStartThem) {
    auto engine = engine_knowing({"caf", "word"});
    expect_accepted(*engine, "caf\xE9 word\x80");
    expect_unknown(*engine, "\xE9xyz", 1, "xyz");
    expect_unknown(*engine, "word\xFFzz", 5, "zz");
}

TEST(Verification, TerminatesTheWordAtTextLength) {
    auto engine = engine_knowing({"ab"});
    // Were the byte after the text examined, "abX" would be looked up.
    CheckCall call("ab", 256, 'X');
    EXPECT_EQ(call.run(*engine, CommandVerifyBuffer).status, StatusNoErrors);
    EXPECT_TRUE(call.text_intact());

    CheckCall unknown("a ab cd", 256, 'e');
    const SpellReturnBuffer& out = unknown.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(out.status, StatusUnknownWord);
    EXPECT_EQ(out.errorOffset, 0);
    know(*engine, {"a"});
    EXPECT_EQ(unknown.run(*engine, CommandVerifyBuffer).errorOffset, 5);
    EXPECT_EQ(unknown.first(), "cd");
    EXPECT_TRUE(unknown.text_intact());
}

TEST(Verification, StopsAtTheFirstReportedWord) {
    auto engine = engine_knowing({"good", "worse"});
    expect_unknown(*engine, "good, bda worse xyzzy", 6, "bda");
}

TEST(Verification, CommandsOneAndTwoAreTheSame) {
    auto engine = engine_knowing({"good"});
    CheckCall one("good bda"), two("good bda");
    one.run(*engine, CommandVerifyWord);
    two.run(*engine, CommandVerifyBuffer);
    two.out.suggestions = one.out.suggestions;
    EXPECT_TRUE(same_fields(one.out, two.out));
    EXPECT_EQ(one.first(), two.first());
    // Only the low 16 bits of the command count.
    CheckCall high("good bda");
    EXPECT_EQ(high.run(*engine, 0x10002).status, StatusUnknownWord);
}

TEST(Verification, ReportsChangeAlwaysReplacement) {
    auto engine = engine_knowing({"a"});
    engine->add_change("teh", "the");
    engine->add_change("nada", "");
    CheckCall call("a TEH");
    const SpellReturnBuffer& out = call.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(out.status, StatusChangeAlways);
    EXPECT_EQ(out.errorOffset, 2);
    EXPECT_EQ(out.errorLength, 3);
    EXPECT_EQ(out.suggestionCount, 1);
    EXPECT_EQ(out.suggestionBytesUsed, 3);
    EXPECT_EQ(call.first(), "the");

    CheckCall empty("nada");
    empty.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(empty.out.status, StatusChangeAlways);
    EXPECT_EQ(empty.out.suggestionCount, 0);
    EXPECT_EQ(empty.out.suggestionBytesUsed, 0);
    EXPECT_EQ(empty.first(), "");
}

TEST(Verification, ChangeAlwaysWithoutReplacementIsReportedAsUnknown) {
    auto engine = engine_knowing({});
    // Tags whose ChangeTable entry holds no string: one never filled and
    // one past the end of the table.
    char five[] = "five", hundred[] = "hundred";
    engine->table().lookup(five, ModeInsert, 5);
    engine->table().lookup(hundred, ModeInsert, 100);
    expect_unknown(*engine, "five", 0, "five");
    expect_unknown(*engine, "hundred", 0, "hundred");
}

TEST(ReportBuffer, KeepsTheLastReportedWordForLaterCalls) {
    auto engine = engine_knowing({"fine"});
    CheckCall fresh("fine");
    fresh.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(fresh.out.suggestionCount, 0);
    EXPECT_EQ(fresh.out.suggestionBytesUsed, 0);
    EXPECT_EQ(fresh.first(), "");

    expect_unknown(*engine, "fine mispelt", 5, "mispelt");
    CheckCall later("fine");
    later.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(later.out.status, StatusNoErrors);
    EXPECT_EQ(later.out.suggestionCount, 1);
    EXPECT_EQ(later.out.suggestionBytesUsed, 7);
    EXPECT_EQ(later.first(), "mispelt");
}

TEST(ReportBuffer, CutsInPlaceAtCapacity) {
    auto engine = engine_knowing({});
    engine->add_change("teh", "the");
    CheckCall narrow("teh", 2);
    narrow.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(narrow.out.status, StatusChangeAlways);
    EXPECT_EQ(narrow.out.suggestionBytesUsed, 3);
    EXPECT_EQ(narrow.out.suggestionCount, 1);
    EXPECT_EQ(std::string(narrow.area.get(), 2), std::string("t\0", 2));

    CheckCall later("", 256);
    later.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(later.out.suggestionBytesUsed, 1);
    EXPECT_EQ(later.out.suggestionCount, 1);
    EXPECT_EQ(later.first(), "t");

    // Capacity 1 leaves room for the terminator only; the count stays 1.
    CheckCall one("teh", 1);
    one.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(one.out.suggestionBytesUsed, 3);
    EXPECT_EQ(one.out.suggestionCount, 1);
    EXPECT_EQ(one.area[0], 0);
}

TEST(ReportBuffer, LongReplacementIsCutToTheArea) {
    auto engine = engine_knowing({});
    const std::string replacement(300, 'r');
    engine->add_change("long", replacement.c_str());
    CheckCall call("long", 256);
    call.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(call.out.suggestionBytesUsed, 300);
    EXPECT_EQ(call.first(), replacement.substr(0, 255));
}

TEST(ReportBuffer, CapacityZeroWritesNothing) {
    auto engine = engine_knowing({});
    CheckCall call("unknown", 0);
    call.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(call.out.status, StatusUnknownWord);
    EXPECT_EQ(call.out.suggestionCount, 0);
    EXPECT_EQ(call.out.suggestionBytesUsed, 7);
    // The word was not cut for the empty area.
    CheckCall later("", 256);
    later.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(later.first(), "unknown");

    CheckCall null_area("x", 16);
    null_area.out.suggestions = nullptr;
    null_area.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(null_area.out.suggestionCount, 0);
}

TEST(ReportBuffer, WordsLongerThanTheBufferAreCut) {
    auto engine = engine_knowing({});
    const std::string word(20000, 'w');
    CheckCall call(word, 256);
    call.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(call.out.status, StatusUnknownWord);
    EXPECT_EQ(call.out.errorLength, 20000);
    EXPECT_EQ(call.out.suggestionBytesUsed, SpellReportBufferSize - 1);
    EXPECT_EQ(call.first(), word.substr(0, 255));
    EXPECT_TRUE(call.text_intact());

    const std::string replacement(40000, 'r');
    engine->add_change("big", replacement.c_str());
    CheckCall big("big", 256);
    big.run(*engine, CommandVerifyBuffer);
    EXPECT_EQ(big.out.status, StatusChangeAlways);
    EXPECT_EQ(big.out.suggestionBytesUsed, SpellReportBufferSize - 1);
}

TEST(SpellCheckDispatch, SuggestMoreSetsOnlyTheStatus) {
    auto engine = engine_knowing({});
    CheckCall call("teh");
    call.out.suggestionCount = 3;
    call.out.suggestionBytesUsed = 9;
    SpellReturnBuffer before = call.out;
    call.run(*engine, CommandSuggestMore);
    before.status = StatusNoMoreSuggestions;
    EXPECT_TRUE(same_fields(before, call.out));
    EXPECT_TRUE(call.area_untouched());
}

TEST(SpellCheckDispatch, UnknownCommandsWriteNothing) {
    auto engine = engine_knowing({});
    for (uint32_t command : {0u, 5u, 8u, 0xFFFFu, 0x10000u}) {
        CheckCall call("teh");
        call.out.status = 0x5555;
        const SpellReturnBuffer before = call.out;
        const SpellInputBuffer in_before = call.in;
        call.run(*engine, command);
        EXPECT_TRUE(same_fields(before, call.out)) << command;
        EXPECT_TRUE(same_fields(in_before, call.in)) << command;
        EXPECT_TRUE(call.area_untouched());
        EXPECT_TRUE(call.text_intact());
    }
}

TEST(SpellCheckDispatch, NullTextIsAnEmptyText) {
    auto engine = engine_knowing({});
    CheckCall call("abc");
    call.in.text = nullptr;
    EXPECT_EQ(call.run(*engine, CommandVerifyBuffer).status, StatusNoErrors);
    EXPECT_EQ(call.run(*engine, CommandSuggest).status, StatusNoMoreSuggestions);
    EXPECT_EQ(call.out.suggestionCount, 0);
}

// Random texts of every byte value at every capacity the caller might give:
// the text comes back whole, and the sanitizer build sees every access.
TEST(SpellCheckDispatch, AnyBytesAnyCapacityStayInBounds) {
    auto engine = engine_knowing({"a", "an", "the", "it's", "x-ray", "rock'n"});
    engine->add_change("teh", "the");
    std::mt19937 random(1234);
    const uint16_t capacities[] = {0, 1, 2, 3, 20, 256};
    for (int round = 0; round < 600; ++round) {
        const size_t len = random() % (round % 50 == 0 ? 3000 : 60);
        std::string text(len, '\0');
        for (char& c : text) {
            const unsigned pick = random() % 4;
            c = pick == 0 ? static_cast<char>(random() % 256)
                          : pick == 1 ? " 'a-_9"[random() % 6]
                                      : static_cast<char>('a' + random() % 3);
        }
        engine->option_word = random() % 8;
        const uint16_t capacity = capacities[round % 6];
        for (uint32_t command : {1u, 2u, 3u, 4u, 7u}) {
            CheckCall call(text, capacity, static_cast<char>(random() % 256));
            call.run(*engine, command);
            ASSERT_TRUE(call.text_intact()) << round;
            if (command <= 2 && call.out.status != StatusNoErrors) {
                ASSERT_LE(call.out.errorOffset + call.out.errorLength, len);
                ASSERT_GE(call.out.errorLength, 1);
            }
        }
    }
}
