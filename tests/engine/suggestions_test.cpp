#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "check_call.h"
#include "engine.h"
#include "suggestions.h"

using namespace lumo::engine;
using lumo::test::CheckCall;
using lumo::test::know;

using Words = std::vector<std::string>;

namespace {

std::unique_ptr<Engine> engine_knowing(const Words& words) {
    auto engine = std::make_unique<Engine>();
    for (const std::string& w : words) engine->add_word(0, w.c_str());
    return engine;
}

// The worked example: teh itself is only a change-always word.
std::unique_ptr<Engine> teh_engine() {
    auto engine = engine_knowing({"eth", "the", "te", "tea", "ten", "teeh"});
    engine->add_change("teh", "the");
    return engine;
}

Words suggest(Engine& engine, const std::string& word, uint16_t capacity = 256) {
    CheckCall call(word, capacity);
    const SpellReturnBuffer& out = call.run(engine, CommandSuggest);
    EXPECT_EQ(out.status, StatusNoMoreSuggestions);
    EXPECT_TRUE(call.text_intact());
    if (out.suggestionCount > 0) {
        EXPECT_LT(out.suggestionBytesUsed, capacity) << word;
        EXPECT_EQ(call.area[out.suggestionBytesUsed], 0) << word;
    } else {
        EXPECT_TRUE(call.area_untouched()) << word;
    }
    return call.list();
}

// q, every two-letter word ending in q and every one beginning with q, qq aside.
std::unique_ptr<Engine> qq_engine() {
    Words words{"q"};
    for (char c = 'a'; c <= 'z'; ++c) {
        if (c == 'q') continue;
        words.push_back(std::string(1, c) + "q");
        words.push_back("q" + std::string(1, c));
    }
    return engine_knowing(words);
}

Words qq_expected() {
    Words words{"q"};
    for (char c = 'a'; c <= 'z'; ++c)
        if (c != 'q') words.push_back(std::string(1, c) + "q");
    for (char c = 'a'; c <= 'y'; ++c)
        if (c != 'q') words.push_back("q" + std::string(1, c));
    return words;
}

}  // namespace

TEST(Suggestions, WorkedExampleInPhaseOrder) {
    auto engine = teh_engine();
    CheckCall call("teh");
    const SpellReturnBuffer& out = call.run(*engine, CommandSuggest);
    EXPECT_EQ(out.status, StatusNoMoreSuggestions);
    EXPECT_EQ(out.suggestionCount, 6);
    EXPECT_EQ(out.suggestionBytesUsed, 24);
    EXPECT_EQ(call.list(), (Words{"eth", "the", "te", "tea", "ten", "teeh"}));
    EXPECT_EQ(call.area[24], 0);
    EXPECT_EQ(call.area[25], lumo::test::AreaFill);
    // Suggesting leaves the error fields alone.
    EXPECT_EQ(out.errorOffset, 0xAAAA);
    EXPECT_EQ(out.errorLength, 0xBBBB);
}

TEST(Suggestions, FollowTheCapitalPatternOfTheWord) {
    auto engine = teh_engine();
    EXPECT_EQ(suggest(*engine, "Teh"), (Words{"Eth", "The", "Te", "Tea", "Ten", "Teeh"}));
    EXPECT_EQ(suggest(*engine, "TEH"), (Words{"ETH", "THE", "TE", "TEA", "TEN", "TEEH"}));
    // Mixed capitals keep the candidates as built, so teEh and tEeh both appear.
    EXPECT_EQ(suggest(*engine, "tEh"),
              (Words{"Eth", "thE", "tE", "tEa", "tEn", "teEh", "tEeh"}));
}

TEST(Suggestions, LettersComeFromTheCandidateNotTheTable) {
    auto engine = engine_knowing({"London", "A12"});
    EXPECT_EQ(suggest(*engine, "londn"), (Words{"london"}));
    EXPECT_EQ(suggest(*engine, "Londn"), (Words{"London"}));
    EXPECT_EQ(suggest(*engine, "LONDN"), (Words{"LONDON"}));
    // A word without letters counts as having no capitals.
    EXPECT_EQ(suggest(*engine, "12"), (Words{"a12"}));
}

TEST(Suggestions, KnownWordIsOfferedOnceAndDuplicatesAreDropped) {
    auto engine = engine_knowing({"hello", "cat"});
    EXPECT_EQ(suggest(*engine, "hello"), (Words{"hello"}));
    EXPECT_EQ(suggest(*engine, "Cat"), (Words{"Cat"}));
    EXPECT_EQ(suggest(*engine, "helllo"), (Words{"hello"}));
}

TEST(Suggestions, OnlyWordsOfTwoToFortyBytesAreSearched) {
    const std::string x39(39, 'x'), x40(40, 'x');
    auto engine = engine_knowing({"a", x39, x40});
    EXPECT_EQ(suggest(*engine, "ab"), (Words{"a"}));
    EXPECT_EQ(suggest(*engine, x39 + "q"), (Words{x39, x40}));

    for (const std::string& word :
         {std::string(), std::string("b"), x40 + "q", std::string(255, 'x'),
          std::string(20000, 'x')}) {
        CheckCall call(word);
        call.out.suggestionCount = 9;
        call.out.suggestionBytesUsed = 77;
        call.run(*engine, CommandSuggest);
        EXPECT_EQ(call.out.status, StatusNoMoreSuggestions);
        EXPECT_EQ(call.out.suggestionCount, 0) << word.size();
        EXPECT_EQ(call.out.suggestionBytesUsed, 77) << word.size();
        EXPECT_TRUE(call.area_untouched());
        EXPECT_TRUE(call.text_intact());
    }
}

TEST(Suggestions, WordEndsAtTextLengthOrAnEarlierNul) {
    auto engine = teh_engine();
    CheckCall call("teh", 256, 'x');
    call.run(*engine, CommandSuggest);
    EXPECT_EQ(call.out.suggestionCount, 6);
    EXPECT_TRUE(call.text_intact());

    auto short_engine = engine_knowing({"t"});
    EXPECT_EQ(suggest(*short_engine, std::string("te\0h", 4)), (Words{"t"}));
}

TEST(Suggestions, FullStoreEndsGeneration) {
    auto engine = qq_engine();
    CheckCall call("qq");
    call.run(*engine, CommandSuggest);
    EXPECT_EQ(call.out.suggestionCount, 50);
    EXPECT_EQ(call.out.suggestionBytesUsed, 149);
    EXPECT_EQ(call.list(), qq_expected());
    EXPECT_EQ(call.area[149], 0);
}

TEST(Suggestions, PackingStopsAtTheFirstStringThatDoesNotFit) {
    auto engine = qq_engine();
    CheckCall twenty("qq", 20);
    twenty.run(*engine, CommandSuggest);
    EXPECT_EQ(twenty.out.suggestionCount, 6);
    EXPECT_EQ(twenty.out.suggestionBytesUsed, 17);
    EXPECT_EQ(twenty.list(), (Words{"q", "aq", "bq", "cq", "dq", "eq"}));
    EXPECT_EQ(twenty.area[17], 0);
    EXPECT_EQ(twenty.area[18], lumo::test::AreaFill);

    CheckCall three("qq", 3);
    three.run(*engine, CommandSuggest);
    EXPECT_EQ(three.out.suggestionCount, 1);
    EXPECT_EQ(three.out.suggestionBytesUsed, 2);
    EXPECT_EQ(std::string(three.area.get(), 3), std::string("q\0\0", 3));

    for (int capacity : {0, 1, 2}) {
        CheckCall call("qq", static_cast<uint16_t>(capacity));
        call.out.suggestionBytesUsed = 77;
        call.run(*engine, CommandSuggest);
        EXPECT_EQ(call.out.suggestionCount, 0);
        EXPECT_EQ(call.out.suggestionBytesUsed, 77);
        EXPECT_TRUE(call.area_untouched());
    }

    // ba does not fit in 3 bytes; the shorter b after it is not placed either.
    auto other = engine_knowing({"ba", "b"});
    CheckCall call("ab", 3);
    call.run(*other, CommandSuggest);
    EXPECT_EQ(call.out.suggestionCount, 0);
    EXPECT_TRUE(call.area_untouched());
}

TEST(Suggestions, SuffixRetrySearchesTheStem) {
    auto engine = engine_knowing({"jump", "a"});
    EXPECT_EQ(suggest(*engine, "JUMPZING"), (Words{"JUMP"}));
    EXPECT_EQ(suggest(*engine, "xing"), (Words{"a"}));
    EXPECT_EQ(suggest(*engine, "xest"), (Words{"a"}));
    EXPECT_EQ(suggest(*engine, "xed"), (Words{"a"}));
    EXPECT_EQ(suggest(*engine, "xER"), (Words{"a"}));
    // Cut to nothing, "ing" would find "a" by insertion: it is not cut.
    EXPECT_EQ(suggest(*engine, "ing"), Words{});
    EXPECT_EQ(suggest(*engine, "jumpzong"), Words{});
}

TEST(Suggestions, SuffixRetryRepeatsOnTheShortenedWord) {
    auto engine = engine_knowing({"a"});
    EXPECT_EQ(suggest(*engine, "qinger"), (Words{"a"}));
    know(*engine, {"qin"});
    EXPECT_EQ(suggest(*engine, "qinger"), (Words{"qin"}));
}

TEST(Suggestions, NothingFoundKeepsTheAreaAndBytesUsed) {
    auto engine = engine_knowing({"a"});
    CheckCall call("zzzz");
    call.out.suggestionBytesUsed = 77;
    call.run(*engine, CommandSuggest);
    EXPECT_EQ(call.out.suggestionCount, 0);
    EXPECT_EQ(call.out.suggestionBytesUsed, 77);
    EXPECT_TRUE(call.area_untouched());
}

TEST(SuggestionStore, AddSuggestionRecasesThenDeduplicates) {
    auto store = std::make_unique<SuggestionStore>();
    char a[] = "WoRd", b[] = "word", c[] = "wORD", d[] = "xY";
    EXPECT_TRUE(store->AddSuggestion(a, "abc"));
    EXPECT_STREQ(a, "word");
    EXPECT_TRUE(store->AddSuggestion(b, "ABC"));
    EXPECT_STREQ(b, "WORD");
    EXPECT_TRUE(store->AddSuggestion(c, "Abc"));
    EXPECT_STREQ(c, "Word");
    EXPECT_TRUE(store->AddSuggestion(d, "aBc"));
    EXPECT_STREQ(d, "xY");
    EXPECT_EQ(store->size(), 4);
    char again[] = "WORD";
    EXPECT_TRUE(store->AddSuggestion(again, "ABC"));
    EXPECT_EQ(store->size(), 4);
}

TEST(SuggestionStore, FailsOnlyForANewStringWhenFull) {
    auto store = std::make_unique<SuggestionStore>();
    for (int i = 0; i < SuggestionStoreEntries; ++i) {
        std::string word = "w" + std::to_string(i);
        ASSERT_TRUE(store->AddSuggestion(word.data(), "w"));
    }
    std::string old_one = "w7", new_one = "w50";
    EXPECT_TRUE(store->AddSuggestion(old_one.data(), "w"));
    EXPECT_FALSE(store->AddSuggestion(new_one.data(), "w"));
    EXPECT_EQ(store->size(), SuggestionStoreEntries);
    store->clear();
    EXPECT_TRUE(store->AddSuggestion(new_one.data(), "w"));
    EXPECT_STREQ(store->at(0), "w50");
}
