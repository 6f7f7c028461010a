#include "headword_set.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "build_run.h"

using namespace lumo::builder;

namespace {

class HeadwordSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(reserve_headword_set());
        InsertCounter = 0;
        Cancelled = 0;
    }
    void TearDown() override {
        copy_headword = heap_copy_headword;
        release_headword_set();
    }
    // Stores as a build does, counted by the run's progress rhythm.
    static int32_t store(const char* word) {
        return AddHeadword(word, HeadwordModeStore, HeadwordTagBuild, count_stored_word);
    }
};

char* failing_copy(const char*, size_t) { return nullptr; }

}  // namespace

TEST(HeadwordHash, MatchesWorkedValuesWhateverTheLetterCase) {
    EXPECT_EQ(HeadwordHash("a"), 776u);
    EXPECT_EQ(HeadwordHash("A"), 776u);
    EXPECT_EQ(HeadwordHash("abc"), 56728u);
    EXPECT_EQ(HeadwordHash("ABC"), 56728u);
    // Long enough for the right shift to feed back; joiners hash as themselves.
    EXPECT_EQ(HeadwordHash("internationalization"), 767937u);
    EXPECT_EQ(HeadwordHash("x-ray"), 182024u);
    EXPECT_EQ(HeadwordHash("don't"), 591200u);
}

TEST_F(HeadwordSetTest, KeepsCaseVariantsApartAndEachWordOnce) {
    EXPECT_EQ(store("Apple"), HeadwordAbsent);
    EXPECT_EQ(store("apple"), HeadwordAbsent);
    EXPECT_EQ(store("Apple"), HeadwordPresent);
    EXPECT_EQ(store("apple"), HeadwordPresent);
    const uint32_t home = HeadwordHash("Apple");
    ASSERT_NE(HeadwordSet.word[home], nullptr);
    EXPECT_STREQ(HeadwordSet.word[home], "Apple");
    ASSERT_NE(HeadwordSet.word[home + 7], nullptr);
    EXPECT_STREQ(HeadwordSet.word[home + 7], "apple");
    EXPECT_EQ(HeadwordSet.tag[home], HeadwordTagBuild);
    EXPECT_EQ(stored_word_count, 2u);
    EXPECT_EQ(InsertCounter, 2);
}

TEST_F(HeadwordSetTest, AnswersSmallTagsOfPresentWordsAndNeverStoresOnLookUp) {
    AddHeadword("five", HeadwordModeStore, 5);
    AddHeadword("zero", HeadwordModeStore, 0);
    AddHeadword("hundred", HeadwordModeStore, 100);
    AddHeadword("big", HeadwordModeStore, 101);
    EXPECT_EQ(AddHeadword("five", 1, 0), 5);
    EXPECT_EQ(AddHeadword("hundred", 1, 0), 100);
    EXPECT_EQ(AddHeadword("zero", 1, 0), HeadwordPresent);
    EXPECT_EQ(AddHeadword("big", HeadwordModeStore, 7), HeadwordPresent);
    EXPECT_EQ(AddHeadword("Five", 0, 5), HeadwordAbsent);
    EXPECT_EQ(AddHeadword("Five", 3, 5), HeadwordAbsent);
    EXPECT_EQ(stored_word_count, 4u);
}

TEST_F(HeadwordSetTest, ProbeSequenceWrapsPastTheLastSlot) {
    // Find a word near the end of the set; its upper-case form has the
    // same home and must land 7 slots on, past slot 799999.
    char word[16] = "";
    uint32_t home = 0;
    for (int n = 0; n < 10000000 && home < HeadwordSlotCount - 7; ++n) {
        std::snprintf(word, sizeof word, "w%dq", n);
        home = HeadwordHash(word);
    }
    ASSERT_GE(home, HeadwordSlotCount - 7) << "no word found near the end";
    std::string upper(word);
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    store(word);
    store(upper.c_str());
    const uint32_t wrapped = home + 7 - HeadwordSlotCount;
    ASSERT_NE(HeadwordSet.word[wrapped], nullptr);
    EXPECT_EQ(upper, HeadwordSet.word[wrapped]);
    EXPECT_EQ(store(upper.c_str()), HeadwordPresent);
}

TEST_F(HeadwordSetTest, WordWithoutMemoryIsLostButCountsForProgress) {
    copy_headword = failing_copy;
    EXPECT_EQ(store("lost"), HeadwordAbsent);
    EXPECT_EQ(HeadwordSet.word[HeadwordHash("lost")], nullptr);
    EXPECT_EQ(stored_word_count, 0u);
    EXPECT_EQ(InsertCounter, 1);
    copy_headword = heap_copy_headword;
    EXPECT_EQ(store("lost"), HeadwordAbsent);
    EXPECT_STREQ(HeadwordSet.word[HeadwordHash("lost")], "lost");
    EXPECT_EQ(stored_word_count, 1u);
}

TEST_F(HeadwordSetTest, FullSetRefusesNewWordsAndEmptiesCompletely) {
    // A word family whose homes spread well enough to fill every slot quickly.
    char word[32];
    for (uint32_t n = 0; n < HeadwordSlotCount; ++n) {
        std::snprintf(word, sizeof word, "%uabcdefgh", n);
        ASSERT_EQ(store(word), HeadwordAbsent) << n;
    }
    EXPECT_EQ(stored_word_count, HeadwordSlotCount);
    const int32_t counter = InsertCounter;
    EXPECT_EQ(store("surplus"), HeadwordAbsent);
    EXPECT_EQ(AddHeadword("surplus", 1, 0), HeadwordAbsent);
    EXPECT_EQ(InsertCounter, counter);
    EXPECT_EQ(AddHeadword("12345abcdefgh", 1, 0), HeadwordPresent);

    empty_headword_set();
    for (uint32_t slot = 0; slot < HeadwordSlotCount; ++slot) {
        ASSERT_EQ(HeadwordSet.word[slot], nullptr);
        ASSERT_EQ(HeadwordSet.tag[slot], 0);
    }
    EXPECT_EQ(store("12345abcdefgh"), HeadwordAbsent);
}
