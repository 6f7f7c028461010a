#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "channel.h"
#include "common/word_list_syntax.h"
#include "word_lists.h"

using namespace lumo::ranker;

namespace {

float cost(const char* typed, const char* word) {
    return typo_cost(typed, std::strlen(typed), word, std::strlen(word), ChannelWeights{});
}

}  // namespace

TEST(TypoCost, CommonSlipsCostLessThanOtherEdits) {
    const struct {
        const char* typed;
        const char* cheaper;  // a likelier slip ...
        const char* dearer;   // ... than this one, for the same typed string
    } cases[] = {
        {"teh", "the", "tea"},          // exchange below replacement
        {"untill", "until", "untidy"},  // doubled letter below insertion
        {"ocur", "occur", "ocular"},    // dropped double below other edits
        {"seperate", "separate", "sewerate"},  // vowel for vowel
        {"wprd", "word", "ward"},       // keyboard neighbour below far key
        {"bred", "bread", "brand"},     // a dropped vowel below two edits
        {"dont", "don't", "done"},      // a left-out apostrophe is cheap
        {"xat", "cxat", "bat"},         // first letters cost more
        {"qord", "word", "pord"},       // neighbours across rows, not across the board
        {"bxt", "bzt", "bnt"},          // letters alike in sound, whatever the keys
    };
    for (const auto& c : cases)
        EXPECT_LT(cost(c.typed, c.cheaper), cost(c.typed, c.dearer)) << c.typed;
    EXPECT_EQ(cost("word", "word"), 0.0f);
    // Bytes beyond the letters are neither vowels, keys nor sounds.
    EXPECT_GT(cost("b\xe9t", "bet"), cost("bat", "bet"));
    EXPECT_GT(cost("b\xe9t", "bxt"), cost("bzt", "bxt"));
}

TEST(SoundKey, WordsThatSoundAlikeShareIt) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"fone", "phone", true},   {"nite", "knight", true}, {"wich", "which", true},
        {"sience", "science", true}, {"kat", "cat", true},   {"cat", "dog", false},
        {"wich", "wick", false},   {"", "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sound_key(c.a, std::strlen(c.a)) == sound_key(c.b, std::strlen(c.b)), c.same)
            << c.a << " " << c.b;
}

TEST(SoundKey, AmbiguousSpellingsShareOneOfTheirKeys) {
    const struct {
        const char* a;
        const char* b;
        bool shared;
    } cases[] = {
        {"nessecary", "necessary", true}, {"fisiks", "physics", true},
        {"sycology", "psychology", true}, {"skool", "school", true},
        {"tuff", "tough", true},          {"cat", "dog", false},
        {"psychology", "sociology", false},
    };
    for (const auto& c : cases) {
        std::string a[2], b[2];
        const size_t na = sound_keys(c.a, std::strlen(c.a), a);
        const size_t nb = sound_keys(c.b, std::strlen(c.b), b);
        EXPECT_EQ(a[0], sound_key(c.a, std::strlen(c.a)));
        bool shared = false;
        for (size_t i = 0; i < na; ++i)
            for (size_t j = 0; j < nb; ++j) shared = shared || a[i] == b[j];
        EXPECT_EQ(shared, c.shared) << c.a << " " << c.b;
    }
}

TEST(EditTable, LearnedEditsLowerTheirCostOnly) {
    const std::string path = ::testing::TempDir() + "/lumorank-edits.txt";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    // Typed, word, nats, pairs: the middle one costs more than the
    // built-in substitution and is never used.
    std::fputs("#lumorank-edits 1 3\nie\tei\t0.1\t9\nsio\ttio\t9\t1\nent\tant\t0.2\t5\n", f);
    std::fclose(f);
    const ChannelWeights w;
    EditTable table;
    ASSERT_EQ(table.load(path, w), EditTable::LoadResult::Ok);
    EXPECT_EQ(table.size(), 3u);
    std::vector<EditTable::Hit> hits;
    auto learned = [&](const char* typed, const char* word) {
        table.match(typed, std::strlen(typed), w, hits);
        return typo_cost(typed, std::strlen(typed), word, std::strlen(word), w, hits);
    };
    EXPECT_LT(learned("recieve", "receive"), cost("recieve", "receive"));
    EXPECT_LT(learned("independent", "independant"), cost("independent", "independant"));
    EXPECT_EQ(learned("teh", "the"), cost("teh", "the"));
    EXPECT_EQ(learned("nasion", "nation"), cost("nasion", "nation"));
    EXPECT_EQ(table.load(path + ".none", w), EditTable::LoadResult::Missing);
    EXPECT_TRUE(table.empty());
}

TEST(ApplyCapitals, TheEnginesRule) {
    const struct {
        const char* pattern;
        const char* text;
        const char* want;
    } cases[] = {
        {"teh", "The", "the"},     {"Teh", "the", "The"},     {"TEH", "the", "THE"},
        {"tEh", "The", "The"},     {"Alot", "a lot", "A lot"}, {"123", "Ab", "ab"},
        {"\xc3\xa9t", "Et", "et"}, {"", "The", "the"},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        apply_capitals(text, c.pattern, std::strlen(c.pattern));
        EXPECT_EQ(text, c.want) << c.pattern;
    }
}

TEST(WordListPiece, SplitsAsTheEngineDoes) {
    const struct {
        const char* piece;
        std::vector<std::string> words;
    } cases[] = {
        {"one\r\n", {"one"}},
        {"one two\tthree,four\n", {"one", "two", "three", "four"}},
        {" , lead\n", {"lead"}},              // the empty word between is dropped
        {"a\x01" "b\n", {"a", "b"}},         // a control byte after a word separates
        {"a \x01" "b\n", {"a"}},             // ... where a word would begin, ends the line
        {"caf\xc3\xa9\n", {"caf\xc3\xa9"}},  // high bytes are word bytes
        {"", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> got;
        split_word_piece(c.piece, std::strlen(c.piece),
                         [&](const char* w, size_t n) { got.emplace_back(w, n); });
        EXPECT_EQ(got, c.words) << c.piece;
    }
}

TEST(WordListPiece, SharedSplitKeepsTheEnginesEmptyWordsAndStopsAtANul) {
    const struct {
        std::string piece;
        std::vector<std::string> words;
    } cases[] = {
        {"one ,two\n", {"one", "", "two"}},
        {"a,,b", {"a", "", "b"}},
        {",", {""}},
        {std::string("ab\0cd\n", 6), {"ab"}},  // a NUL ends the piece as its end does
        {"x \x01y", {"x"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> got;
        const size_t n = lumo::common::split_word_list_piece(
            c.piece.data(), c.piece.size(), [&](const char* w, size_t len) { got.emplace_back(w, len); });
        EXPECT_EQ(got, c.words) << c.piece;
        EXPECT_EQ(n, c.words.size());
    }
}
