#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_engine.h"

using lumo::test::FakeEngineFixture;
using lumo::test::shown_messages;
using Calls = std::vector<std::string>;

namespace {

// Writes strings one after another into the engine's suggestion area.
void place(SpellReturnBuffer* out, const std::vector<std::string>& strings, uint16_t status) {
    size_t pos = 0;
    for (const std::string& s : strings) {
        std::memcpy(out->suggestions + pos, s.c_str(), s.size() + 1);
        pos += s.size() + 1;
    }
    out->suggestions[pos] = '\0';
    out->suggestionCount = static_cast<uint16_t>(strings.size());
    out->status = status;
}

// An engine that reports the given word span and then offers suggestions
// in batches, the last one with StatusNoMoreSuggestions.
struct Scripted {
    uint16_t offset = 0, length = 0, status = StatusUnknownWord;
    std::vector<std::vector<std::string>> batches;
    size_t next_batch = 0;
    std::vector<std::string> suggested_words;  // what each suggestion call was asked for

    uint16_t operator()(uint32_t command, SpellInputBuffer* in, SpellReturnBuffer* out) {
        if (command == CommandVerifyBuffer) {
            out->status = status;
            if (status != 0) {
                out->errorOffset = offset;
                out->errorLength = length;
                std::strcpy(out->suggestions, "reported");
            }
            next_batch = 0;
            return 0;
        }
        suggested_words.emplace_back(in->text, in->textLength);
        const bool last = next_batch + 1 >= batches.size();
        place(out, next_batch < batches.size() ? batches[next_batch] : std::vector<std::string>{},
              last ? StatusNoMoreSuggestions : 0);
        ++next_batch;
        return 0;
    }
};

struct CheckFixture : FakeEngineFixture {
    Scripted script;
    CheckResult result{};
    CheckFixture() {
        EXPECT_TRUE(bind());
        engine.check = [this](uint32_t c, SpellInputBuffer* in, SpellReturnBuffer* out) {
            return script(c, in, out);
        };
    }
    std::vector<std::string> all_suggestions() {
        std::vector<std::string> got;
        char out[256];
        for (int more = front->suggestion_first(out); more; more = front->suggestion_next(out)) {
            got.emplace_back(out);
        }
        EXPECT_STREQ(out, "");
        return got;
    }
};

std::vector<std::string> numbered(int count, const char* prefix) {
    std::vector<std::string> strings;
    for (int i = 0; i < count; ++i) strings.push_back(prefix + std::to_string(i));
    return strings;
}

}  // namespace

TEST(Check, BuildsTheEngineRecordsOverTheFrontBuffers) {
    CheckFixture f;
    bool area_zeroed = false;
    SpellInputBuffer seen_in{};
    SpellReturnBuffer seen_out{};
    f.engine.check = [&](uint32_t, SpellInputBuffer* in, SpellReturnBuffer* out) {
        seen_in = *in;
        seen_out = *out;
        area_zeroed = true;
        for (int i = 0; i < 256; ++i) area_zeroed = area_zeroed && out->suggestions[i] == 0;
        return uint16_t{0};
    };
    std::memset(f.front->suggestionArea, 'z', sizeof f.front->suggestionArea);
    EXPECT_EQ(f.front->check("hello world", &f.result), CheckNoErrors);
    EXPECT_EQ(f.engine.calls, Calls{"SpellCheck 0 2"});
    EXPECT_EQ(seen_in.textLength, 11);
    EXPECT_EQ(seen_in.mainDictCount, 1);
    EXPECT_EQ(seen_in.userDictCount, 1);
    EXPECT_EQ(seen_in.spellState, 2);
    EXPECT_EQ(seen_in.text, f.front->textBuffer);
    EXPECT_EQ(seen_in.mainDicts, static_cast<void*>(f.front->mainDictRecord));
    EXPECT_EQ(seen_in.userDicts, static_cast<void*>(&f.front->userDictId));
    EXPECT_EQ(seen_out.errorOffset | seen_out.errorLength | seen_out.status |
                  seen_out.suggestionCount | seen_out.suggestionBytesUsed,
              0);
    EXPECT_EQ(seen_out.suggestionCapacity, 256);
    EXPECT_EQ(seen_out.suggestions, f.front->suggestionArea);
    EXPECT_EQ(seen_out.ratings, f.front->ratingArea);
    EXPECT_EQ(seen_out.ratingCapacity, 32);
    EXPECT_TRUE(area_zeroed);
}

TEST(Check, NoErrorsLeavesOffsetZeroAndWordEmpty) {
    CheckFixture f;
    f.script.status = StatusNoErrors;
    std::strcpy(f.result.word, "stale");
    EXPECT_EQ(f.front->check("fine text", &f.result), CheckNoErrors);
    EXPECT_EQ(f.result.wordOffset, 0);
    EXPECT_STREQ(f.result.word, "");
    EXPECT_STREQ(f.result.replacement, "");
}

TEST(Check, WordIsCopiedFromTheHostTextNotTheMaskedCopy) {
    CheckFixture f;
    f.script.offset = 0;
    f.script.length = 9;
    EXPECT_EQ(f.front->check("ab@cd,teh more", &f.result), CheckUnknownWord);
    EXPECT_EQ(f.engine.checked_texts, Calls{"      teh more"});
    EXPECT_STREQ(f.result.word, "ab@cd,teh");
    EXPECT_STREQ(f.result.replacement, "reported");

    f.script.offset = 6;
    f.script.length = 3;
    EXPECT_EQ(f.front->check("ab@cd,teh more", &f.result), CheckUnknownWord);
    EXPECT_EQ(f.result.wordOffset, 6);
    EXPECT_STREQ(f.result.word, "teh");
}

TEST(Check, LongReportedWordIsCutTo255Bytes) {
    CheckFixture f;
    const std::string text(400, 'q');
    f.script.offset = 10;
    f.script.length = 300;
    EXPECT_EQ(f.front->check(text.c_str(), &f.result), CheckUnknownWord);
    EXPECT_EQ(f.result.wordOffset, 10);
    EXPECT_EQ(std::string(f.result.word), std::string(255, 'q'));
}

TEST(Check, SpanPastTheTextCopiesNothingBeyondIt) {
    CheckFixture f;
    f.script.offset = 3;
    f.script.length = 200;
    EXPECT_EQ(f.front->check("abcde", &f.result), CheckUnknownWord);
    EXPECT_STREQ(f.result.word, "de");
    f.script.offset = 60000;
    EXPECT_EQ(f.front->check("abcde", &f.result), CheckUnknownWord);
    EXPECT_STREQ(f.result.word, "");
}

TEST(Check, ReplacementNeedsATerminatorInsideTheArea) {
    CheckFixture f;
    f.engine.check = [](uint32_t, SpellInputBuffer*, SpellReturnBuffer* out) {
        std::memset(out->suggestions, 'r', 256);
        out->status = StatusChangeAlways;
        return uint16_t{0};
    };
    EXPECT_EQ(f.front->check("word", &f.result), CheckChangeAlways);
    EXPECT_STREQ(f.result.replacement, "");

    f.engine.check = [](uint32_t, SpellInputBuffer*, SpellReturnBuffer* out) {
        std::memset(out->suggestions, 'r', 255);
        out->status = StatusChangeAlways;
        return uint16_t{0};
    };
    EXPECT_EQ(f.front->check("word", &f.result), CheckChangeAlways);
    EXPECT_EQ(std::string(f.result.replacement), std::string(255, 'r'));
}

TEST(Check, EngineFailureShowsMessageAndLeavesResultAlone) {
    CheckFixture f;
    f.engine.check = [](uint32_t, SpellInputBuffer*, SpellReturnBuffer*) { return uint16_t{0x8904}; };
    std::memset(&f.result, 0x5A, sizeof f.result);
    CheckResult before = f.result;
    EXPECT_EQ(f.front->check("text", &f.result), CheckFailed);
    EXPECT_EQ(shown_messages, Calls{"LumoSpell|LumoSpell Error 35076,328"});
    EXPECT_EQ(std::memcmp(&before, &f.result, sizeof before), 0);
}

TEST(Check, UnboundOrNullArgumentsFailWithoutCallingTheEngine) {
    FakeEngineFixture f;
    CheckResult result{};
    EXPECT_EQ(f.front->check("text", &result), CheckFailed);
    ASSERT_TRUE(f.bind());
    EXPECT_TRUE(f.engine.calls.empty());
}

TEST(Check, OverlongTextReachesTheEngineCut) {
    CheckFixture f;
    f.script.status = StatusNoErrors;
    std::string text;
    while (text.size() < 100000) text += "words ";
    EXPECT_EQ(f.front->check(text.c_str(), &f.result), CheckNoErrors);
    // Stretch by stretch, each after the first from the blank that ended
    // the one before.
    ASSERT_GT(f.engine.checked_texts.size(), 1u);
    std::string seen = f.engine.checked_texts[0];
    for (size_t i = 1; i < f.engine.checked_texts.size(); ++i) {
        const std::string& stretch = f.engine.checked_texts[i];
        ASSERT_EQ(stretch[0], ' ');
        if (i + 1 < f.engine.checked_texts.size()) {
            EXPECT_GE(stretch.size(), f.engine.checked_texts[i - 1].size());
        }
        seen += stretch.substr(1);
    }
    EXPECT_EQ(seen, text.substr(0, seen.size()));
    EXPECT_LE(seen.size(), 16383u);
    EXPECT_EQ(seen.back(), ' ');
    EXPECT_EQ(f.front->textBuffer[seen.size()], '\0');
}

TEST(Check, LeadBytesComeFromTheFrontsSet) {
    const auto utf8 = lumo::platform::lead_bytes_for_codeset("UTF-8");
    FakeEngineFixture f(&utf8);
    ASSERT_TRUE(f.bind());
    CheckResult result{};
    f.front->check("\xE3\x81\x82" "abc", &result);
    EXPECT_EQ(f.engine.checked_texts, Calls{"   abc"});
}

TEST(Suggestions, CollectsEveryBatchAndHandsThemOutInOrder) {
    CheckFixture f;
    f.script.offset = 4;
    f.script.length = 3;
    f.script.batches = {{"the", "ten"}, {}, {"tea"}};
    ASSERT_EQ(f.front->check("see teh", &f.result), CheckUnknownWord);
    f.engine.calls.clear();
    EXPECT_EQ(f.all_suggestions(), (Calls{"the", "ten", "tea"}));
    EXPECT_EQ(f.engine.calls, (Calls{"SpellCheck 0 3", "SpellCheck 0 4", "SpellCheck 0 4"}));
    EXPECT_EQ(f.script.suggested_words, (Calls{"teh", "teh", "teh"}));
    char out[256] = "x";
    EXPECT_EQ(f.front->suggestion_next(out), 0);
    EXPECT_STREQ(out, "");
}

TEST(Suggestions, SecondRequestCollectsTheSameWordAgain) {
    CheckFixture f;
    f.script.offset = 0;
    f.script.length = 3;
    f.script.batches = {{"the"}};
    ASSERT_EQ(f.front->check("teh", &f.result), CheckUnknownWord);
    EXPECT_EQ(f.all_suggestions(), Calls{"the"});
    f.script.next_batch = 0;
    EXPECT_EQ(f.all_suggestions(), Calls{"the"});
    EXPECT_EQ(f.script.suggested_words, (Calls{"teh", "teh"}));
}

TEST(Suggestions, StopsAtOneHundred) {
    CheckFixture f;
    f.script.length = 3;
    f.script.batches = {numbered(30, "a"), numbered(30, "b"), numbered(30, "c"),
                        numbered(30, "d"), numbered(30, "e")};
    ASSERT_EQ(f.front->check("abc", &f.result), CheckUnknownWord);
    f.engine.calls.clear();
    const auto got = f.all_suggestions();
    ASSERT_EQ(got.size(), 100u);
    EXPECT_EQ(got.front(), "a0");
    EXPECT_EQ(got.back(), "d9");
    EXPECT_EQ(f.engine.calls.size(), 4u) << "the engine is not asked again once full";
}

TEST(Suggestions, WordWithoutSuggestionsGivesNothing) {
    CheckFixture f;
    f.script.length = 3;
    f.script.batches = {{}};
    ASSERT_EQ(f.front->check("xqz", &f.result), CheckUnknownWord);
    char out[256] = "x";
    EXPECT_EQ(f.front->suggestion_first(out), 0);
    EXPECT_STREQ(out, "");
}

TEST(Suggestions, EngineThatNeverFinishesIsAskedABoundedNumberOfTimes) {
    CheckFixture f;
    f.script.length = 3;
    ASSERT_EQ(f.front->check("xqz", &f.result), CheckUnknownWord);
    f.engine.check = [](uint32_t, SpellInputBuffer*, SpellReturnBuffer* out) {
        out->suggestionCount = 0;
        out->status = 0;
        return uint16_t{0};
    };
    f.engine.calls.clear();
    char out[256];
    EXPECT_EQ(f.front->suggestion_first(out), 0);
    EXPECT_EQ(f.engine.calls.size(), 100u);
}

TEST(Suggestions, CountBeyondTheAreaReadsOnlyTheArea) {
    CheckFixture f;
    f.script.length = 3;
    ASSERT_EQ(f.front->check("xqz", &f.result), CheckUnknownWord);
    f.engine.check = [](uint32_t, SpellInputBuffer*, SpellReturnBuffer* out) {
        std::memset(out->suggestions, 'w', 256);
        out->suggestions[3] = '\0';
        out->suggestionCount = 500;
        out->status = StatusNoMoreSuggestions;
        return uint16_t{0};
    };
    EXPECT_EQ(f.all_suggestions(), Calls{"www"});
}

TEST(Suggestions, EngineFailureDropsTheWholeRequest) {
    CheckFixture f;
    f.script.length = 3;
    f.script.batches = {{"old"}};
    ASSERT_EQ(f.front->check("olf", &f.result), CheckUnknownWord);
    EXPECT_EQ(f.all_suggestions(), Calls{"old"});
    int calls = 0;
    f.engine.check = [&calls](uint32_t, SpellInputBuffer*, SpellReturnBuffer* out) {
        if (++calls == 2) return uint16_t{1};
        place(out, {"new"}, 0);
        return uint16_t{0};
    };
    char out[256] = "x";
    EXPECT_EQ(f.front->suggestion_first(out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(f.front->suggestion_next(out), 0);
    EXPECT_TRUE(shown_messages.empty());
}

TEST(Suggestions, NewCheckKeepsHandingOutThePreviousList) {
    CheckFixture f;
    f.script.length = 3;
    f.script.batches = {{"one", "two"}};
    ASSERT_EQ(f.front->check("onr", &f.result), CheckUnknownWord);
    char out[256];
    ASSERT_EQ(f.front->suggestion_first(out), 1);
    ASSERT_EQ(f.front->check("other", &f.result), CheckUnknownWord);
    EXPECT_EQ(f.front->suggestion_next(out), 1);
    EXPECT_STREQ(out, "two");
}

TEST(Suggestions, BeforeAnyCheckOrWhileUnboundNothingIsCalled) {
    FakeEngineFixture f;
    char out[256] = "x";
    EXPECT_EQ(f.front->suggestion_first(out), 0);
    EXPECT_STREQ(out, "");
    std::strcpy(out, "x");
    EXPECT_EQ(f.front->suggestion_next(out), 0);
    EXPECT_STREQ(out, "");
    ASSERT_TRUE(f.bind());
    std::strcpy(out, "x");
    EXPECT_EQ(f.front->suggestion_first(out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_TRUE(f.engine.calls.empty());
}

TEST(WordActions, PassTheIdentifiersAndReturnTheEngineCodeUnchanged) {
    FakeEngineFixture f;
    ASSERT_TRUE(f.bind());
    f.engine.add_code = 0x8906;
    EXPECT_EQ(f.front->ignore_always("teh"), 0x8906);
    EXPECT_EQ(f.front->change_always("teh", "the"), 0x8906);
    EXPECT_EQ(f.front->add_word("LumoSpell"), 0x8906);
    EXPECT_EQ(f.engine.calls, (Calls{"SpellAddUdr 0 0xfffe teh", "SpellAddChangeUdr 0 0xfffd teh the",
                                     "SpellAddUdr 0 0 LumoSpell"}));
    EXPECT_TRUE(shown_messages.empty());
}

TEST(WordActions, AddWordPassesTheUserDictionaryIdentifierTheEngineGave) {
    FakeEngineFixture f;
    ASSERT_TRUE(f.bind());
    f.engine.open_udr_writes_id = 7;
    ASSERT_EQ(f.front->init2("m", "u", 0, 1), 1);
    f.engine.calls.clear();
    EXPECT_EQ(f.front->add_word("word"), 0);
    EXPECT_EQ(f.engine.calls, Calls{"SpellAddUdr 1 0x7 word"});
}

TEST(WordActions, UnboundReturnsZeroWithoutCalling) {
    FakeEngineFixture f;
    f.engine.add_code = 5;
    EXPECT_EQ(f.front->ignore_always("a"), 0);
    EXPECT_EQ(f.front->change_always("a", "b"), 0);
    EXPECT_EQ(f.front->add_word("a"), 0);
    EXPECT_TRUE(f.engine.calls.empty());
}

TEST(Mode, SetsMasksAndPassesTheLowFourteenBits) {
    FakeEngineFixture f;
    ASSERT_TRUE(f.bind());
    EXPECT_EQ(f.front->mode(0x8000 | 0x4000 | 2), 1);
    EXPECT_EQ(f.front->maskWebAddresses, 1);
    EXPECT_EQ(f.front->maskPaths, 1);
    EXPECT_EQ(f.front->mode(0), 1);
    EXPECT_EQ(f.front->maskWebAddresses, 0);
    EXPECT_EQ(f.front->maskPaths, 0);
    EXPECT_EQ(f.front->mode(0xFFFFFFFFu), 1);
    EXPECT_EQ(f.engine.calls, (Calls{"SpellOptions 0 2", "SpellOptions 0 0", "SpellOptions 0 16383"}));
}

TEST(Mode, MasksChangeEvenWhenTheEngineRefuses) {
    FakeEngineFixture f;
    ASSERT_TRUE(f.bind());
    f.engine.options_code = 1;
    EXPECT_EQ(f.front->mode(0x4000), 0);
    EXPECT_EQ(f.front->maskWebAddresses, 0);
    EXPECT_EQ(f.front->maskPaths, 1);
    CheckResult result{};
    f.front->check("a b@c d/e", &result);
    EXPECT_EQ(f.engine.checked_texts, Calls{"a b@c    "});
}

TEST(Mode, UnboundChangesNothing) {
    FakeEngineFixture f;
    EXPECT_EQ(f.front->mode(0x4000), 0);
    EXPECT_EQ(f.front->maskWebAddresses, 1);
    EXPECT_EQ(f.front->maskPaths, 0);
    EXPECT_TRUE(f.engine.calls.empty());
}
