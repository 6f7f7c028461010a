#include "word_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace lumo::engine;

namespace {
std::unique_ptr<WordTable> fresh_table() { return std::make_unique<WordTable>(); }
}  // namespace

TEST(WordHash, MatchesReferenceValues) {
    EXPECT_EQ(WordHash(""), 0u);
    EXPECT_EQ(WordHash("a"), 1536u);
    EXPECT_EQ(WordHash("A"), 1536u);
    EXPECT_EQ(WordHash("abc"), 410672u);
    EXPECT_EQ(WordHash("ABC"), 410672u);
    EXPECT_EQ(WordHash("the"), 466512u);
    EXPECT_EQ(WordHash("The"), 466512u);
    EXPECT_EQ(WordHash("hello"), 238006u);
}

TEST(WordTable, FindsWordsInAnyAsciiCaseAndKeepsFirstFormInserted) {
    auto table = fresh_table();
    char the[] = "the";
    char upper[] = "THE";
    EXPECT_EQ(table->lookup(the, ModeInsert, WordTagMain), LookupAbsent);
    EXPECT_EQ(table->lookup("The", ModeFind, WordTagLookupOnly), LookupKnown);
    EXPECT_EQ(table->lookup(upper, ModeInsert, WordTagUser), LookupKnown);
    const uint32_t home = WordHash("the");
    EXPECT_EQ(table->word_at(home), the);
    EXPECT_EQ(table->tag_at(home), WordTagMain);
    EXPECT_EQ(table->count(), 1u);
}

TEST(WordTable, ReportsChangeIndicesAndKnownForOtherTags) {
    auto table = fresh_table();
    char user[] = "mine", ignore[] = "foo", main_word[] = "dog", change1[] = "teh",
         change100[] = "wrng";
    table->lookup(user, ModeInsert, WordTagUser);
    table->lookup(ignore, ModeInsert, WordTagIgnoreAlways);
    table->lookup(main_word, ModeInsert, WordTagMain);
    table->lookup(change1, ModeInsert, 1);
    table->lookup(change100, ModeInsert, 100);
    EXPECT_EQ(table->lookup("MINE", ModeFind, 0), LookupKnown);
    EXPECT_EQ(table->lookup("Foo", ModeFind, 0), LookupKnown);
    EXPECT_EQ(table->lookup("dog", ModeFind, 0), LookupKnown);
    EXPECT_EQ(table->lookup("TEH", ModeFind, 0), 1);
    EXPECT_EQ(table->lookup("wrng", ModeFind, 0), 100);
    // A present word keeps its tag when inserted again.
    char again[] = "teh";
    EXPECT_EQ(table->lookup(again, ModeInsert, WordTagUser), 1);
}

TEST(WordTable, FindNeverInsertsWhateverTheTag) {
    auto table = fresh_table();
    EXPECT_EQ(table->lookup("ghost", ModeFind, WordTagMain), LookupAbsent);
    EXPECT_EQ(table->lookup("ghost", 3, WordTagMain), LookupAbsent);
    EXPECT_EQ(table->lookup("ghost", ModeFind, WordTagMain), LookupAbsent);
    EXPECT_EQ(table->count(), 0u);
}

TEST(WordTable, StoresTheEmptyWordAtSlotZero) {
    auto table = fresh_table();
    char empty[] = "";
    EXPECT_EQ(table->lookup(empty, ModeInsert, WordTagUser), LookupAbsent);
    EXPECT_EQ(table->word_at(0), empty);
    EXPECT_EQ(table->lookup("", ModeFind, 0), LookupKnown);
}

TEST(WordTable, FoldsOnlyAsciiLetters) {
    auto table = fresh_table();
    char lower[] = "caf\xE9", upper[] = "caf\xC9";
    // 0xE9 and 0xC9 share a home slot (OR 0x20) but are different words.
    ASSERT_EQ(WordHash(lower), WordHash(upper));
    table->lookup(lower, ModeInsert, WordTagMain);
    EXPECT_EQ(table->lookup(upper, ModeFind, 0), LookupAbsent);
    table->lookup(upper, ModeInsert, WordTagMain);
    EXPECT_EQ(table->count(), 2u);
    EXPECT_EQ(table->lookup("CAF\xE9", ModeFind, 0), LookupKnown);
    // '@' and '`' also share a hash value, but are not letters.
    char at[] = "a@b";
    table->lookup(at, ModeInsert, WordTagMain);
    EXPECT_EQ(table->lookup("a`b", ModeFind, 0), LookupAbsent);
}

// Finds a word with a first byte >= 0x80 and a given home slot by trying
// two-byte tails.
static std::string word_with_home_below(uint32_t limit, unsigned char first) {
    for (int a = 1; a < 256; ++a)
        for (int b = 1; b < 256; ++b)
            for (int c = 1; c < 256; ++c) {
                std::string w{static_cast<char>(first), static_cast<char>(a), static_cast<char>(b),
                              static_cast<char>(c)};
                if (WordHash(w.c_str()) < limit) return w;
            }
    return {};
}

TEST(WordTable, HighFirstByteStepsBackwardAndWrapsAround) {
    auto table = fresh_table();
    // First byte 0xF0: (0xF0 | 0x20) as a signed byte is -16, a step of -80.
    std::string word = word_with_home_below(80, 0xF0);
    ASSERT_FALSE(word.empty());
    const uint32_t home = WordHash(word.c_str());
    // Occupy the home slot with a word of the same hash but other bytes.
    std::string blocker = word;
    blocker[0] = static_cast<char>(0xD0);  // same after OR 0x20
    ASSERT_EQ(WordHash(blocker.c_str()), home);
    table->lookup(blocker.c_str(), ModeInsert, WordTagMain);
    table->lookup(word.c_str(), ModeInsert, WordTagMain);
    const uint32_t expected = home + WordTableSlots - 80;
    EXPECT_EQ(table->word_at(expected), word.c_str());
    EXPECT_EQ(table->lookup(word.c_str(), ModeFind, 0), LookupKnown);
}

TEST(WordTable, ProbesFirstByLetterStepThenBy999) {
    auto table = fresh_table();
    // '@' and '`' hash alike but are different words.
    char w1[] = "x@@", w2[] = "x@`", w3[] = "x`@";
    ASSERT_EQ(WordHash(w1), WordHash(w2));
    ASSERT_EQ(WordHash(w1), WordHash(w3));
    table->lookup(w1, ModeInsert, WordTagMain);
    table->lookup(w2, ModeInsert, WordTagMain);
    table->lookup(w3, ModeInsert, WordTagMain);
    const uint32_t home = WordHash(w1);
    const uint32_t second = (home + 5 * 'x') % WordTableSlots;
    EXPECT_EQ(table->word_at(home), w1);
    EXPECT_EQ(table->word_at(second), w2);
    EXPECT_EQ(table->word_at((second + 999) % WordTableSlots), w3);
    char again[] = "X@`";
    EXPECT_EQ(table->lookup(again, ModeInsert, WordTagUser), LookupKnown);
    EXPECT_EQ(table->count(), 3u);
}

TEST(WordTable, GivesUpAfterAFullProbePath) {
    auto table = fresh_table();
    // Occupy the home slot of "q", its first step and the 200000 slots that
    // steps of 999 reach from there, each by a word stored at its own home.
    std::vector<bool> needed(WordTableSlots, false);
    const uint32_t home = WordHash("q");
    needed[home] = true;
    for (uint32_t s = (home + 5 * 'q') % WordTableSlots, n = 0; n < WordTableSlots / 3;
         ++n, s = (s + 999) % WordTableSlots)
        needed[s] = true;
    size_t missing = 0;
    for (bool b : needed) missing += b;
    std::vector<std::string> fillers;
    fillers.reserve(missing);  // the table keeps addresses: no reallocation
    uint64_t state = 88172645463325252ull;
    for (uint32_t i = 0; missing > 0 && i < 30000000; ++i) {
        char name[8];
        for (int k = 0; k < 7; ++k) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            name[k] = static_cast<char>('a' + state % 26);
        }
        name[7] = '\0';
        const uint32_t h = WordHash(name);
        if (!needed[h]) continue;
        needed[h] = false;
        --missing;
        fillers.emplace_back(name);
        table->lookup(fillers.back().c_str(), ModeInsert, WordTagMain);
    }
    ASSERT_EQ(missing, 0u);
    char q[] = "q";
    EXPECT_EQ(table->lookup(q, ModeInsert, WordTagUser), LookupAbsent);
    EXPECT_EQ(table->lookup("q", ModeFind, 0), LookupAbsent);
    EXPECT_EQ(table->count(), fillers.size());
}

namespace {

// The table as the rules read, with nothing but the word addresses: every
// occupied slot on the path is compared.
struct PlainTable {
    std::vector<const char*> words = std::vector<const char*>(WordTableSlots, nullptr);
    std::vector<uint8_t> tags = std::vector<uint8_t>(WordTableSlots, 0);

    int lookup(const char* word, int mode, uint8_t tag) {
        int64_t s = WordHash(word);
        const int64_t first_step = 5 * static_cast<signed char>(word[0] | 0x20);
        for (uint32_t n = 0; n < WordTableSlots; ++n) {
            if (words[s] == nullptr) {
                if (mode == ModeInsert) words[s] = word, tags[s] = tag;
                return LookupAbsent;
            }
            if (equal_ignoring_ascii_case(word, words[s]))
                return tags[s] >= 1 && tags[s] <= 100 ? tags[s] : LookupKnown;
            s = ((s + (n == 0 ? first_step : 999)) % WordTableSlots + WordTableSlots) %
                WordTableSlots;
        }
        return LookupAbsent;
    }
};

}  // namespace

TEST(WordTable, PlacesAndAnswersAsThePlainTableAtAHighFill) {
    // Words that crowd into few residue classes, in two letter cases, with
    // high first bytes, filled to over 90 % of the slots.
    std::vector<std::string> words;
    for (uint32_t i = 0; words.size() < 620000; ++i) {
        std::string w = std::to_string(i * 2654435761u);
        w[0] = "aZ\xE9q"[i % 4];
        words.push_back(i % 5 == 0 ? w + "S" : w);
        if (i % 7 == 0) words.push_back(i % 5 == 0 ? w + "s" : w);
    }
    auto table = fresh_table();
    auto plain = std::make_unique<PlainTable>();
    for (size_t i = 0; i < words.size(); ++i) {
        const auto tag = static_cast<uint8_t>(i % 3 == 0 ? 255 : i % 101);
        ASSERT_EQ(table->lookup(words[i].c_str(), ModeInsert, tag),
                  plain->lookup(words[i].c_str(), ModeInsert, tag))
            << words[i];
    }
    EXPECT_GT(table->count(), WordTableSlots * 9 / 10);
    for (uint32_t slot = 0; slot < WordTableSlots; ++slot) {
        ASSERT_EQ(table->word_at(slot), plain->words[slot]) << "slot " << slot;
        ASSERT_EQ(table->tag_at(slot), plain->tags[slot]) << "slot " << slot;
    }
    for (const std::string probe : {"1x", "ZZ", "a", "\xE9", "q0", "A0S"})
        EXPECT_EQ(table->lookup(probe.c_str(), ModeFind, WordTagLookupOnly),
                  plain->lookup(probe.c_str(), ModeFind, WordTagLookupOnly));
}

// Verification's look-up compares eight bytes at a time inside the word
// block: every stored word against every probe, the probe's hash forced to
// the stored word's so that the compare is reached, the probe alone in an
// allocation of its own length so that a read past it is caught.
TEST(WordTable, FindComparesAsTheByteByByteFoldAtEveryLength) {
    const std::string list =
        "a Ab abcdefg abcdefgh AbCdEfGhI abcdefghijklmno abcdefghijklmnop "
        "abcdefghijklmnopq caf\xE9 a@b[c x";
    std::vector<std::string> stored, probes = {"caf\xC9", "A`B{C"};
    std::istringstream in(list);
    for (std::string w; in >> w;) {
        stored.push_back(w);
        std::string upper = w, last = w;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        last.back() = static_cast<char>(last.back() ^ 0x20);
        probes.insert(probes.end(), {w, upper, w.substr(1), w + "s", last});
    }
    std::string block;
    for (const std::string& w : stored) block += w + '\0';
    for (const bool whole_block : {true, false}) {
        // Without the word block the words are looked up through their
        // addresses, byte by byte.
        std::vector<char> words(block.begin(), block.end());
        auto table = fresh_table();
        if (whole_block) table->set_word_block(words.data(), words.size());
        for (size_t at = 0; at < words.size(); at += std::strlen(&words[at]) + 1)
            table->lookup(&words[at], ModeInsert, WordTagMain);
        for (const std::string& s : stored) {
            const uint32_t hash = WordTable::hash_of(s.data(), s.size());
            for (const std::string& p : probes) {
                if (p.empty()) continue;
                std::unique_ptr<char[]> alone(new char[p.size()]);
                std::memcpy(alone.get(), p.data(), p.size());
                const bool same = equal_ignoring_ascii_case(s.c_str(), p.c_str());
                for (const size_t readable : {p.size(), p.size() + 64}) {
                    std::string roomy = p + std::string(64, 'e');
                    const char* text = readable == p.size() ? alone.get() : roomy.data();
                    EXPECT_EQ(table->find(text, p.size(), hash, readable) == LookupKnown, same)
                        << s << " / " << p << " / " << readable;
                }
            }
        }
    }
}
