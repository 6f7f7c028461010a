#include "headword_extraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "build_run.h"
#include "headword_set.h"

using namespace lumo::builder;

namespace {

using Words = std::vector<std::string>;

const std::string Marker = "\x81\x79\x94\xAD\x89\xB9\x81\x7A";  // pronunciation label
const std::string Bracket = "\x81\x79";                          // opening lenticular bracket
const std::string Closing = "\x81\x7A";

// Runs one piece through the extraction and returns the distinct words it
// stored, sorted.
Words extract(const std::string& piece) {
    EXPECT_TRUE(reserve_headword_set());
    Cancelled = 0;
    InsertCounter = 0;
    std::memset(LineBuffer, 0, LineBufferBytes);
    std::memcpy(LineBuffer, piece.data(), std::min(piece.size(), LineBufferBytes - 1));
    ExtractHeadwords(ExtractionRun{count_stored_word, &Cancelled});
    Words words;
    for (uint32_t slot = 0; slot < HeadwordSlotCount; ++slot)
        if (HeadwordSet.word[slot] != nullptr) words.emplace_back(HeadwordSet.word[slot]);
    std::sort(words.begin(), words.end());
    release_headword_set();
    return words;
}

std::string removed(std::string piece) {
    piece.push_back('\0');
    remove_pronunciation(piece.data());
    return std::string(piece.c_str());
}

}  // namespace

TEST(HeadwordFinishing, FollowsTheTableOfFinishedTokens) {
    const struct {
        const char* text;
        const char* stored;  // "" when nothing is stored
    } table[] = {
        {"etc.", "etc"},         {"Mrs.", "Mrs"},       {"x-ray.", "x-ray"},
        {"ETC.", "ETC."},        {"e.g.", "e.g."},      {"U.S.A.", "U.S.A."},
        {"Mr.", "Mr."},          {"a..", "a.."},        {"abc..", ""},
        {"dogs'", ""},           {"well-", ""},         {"don't", "don't"},
        {"3rd", "rd"},           {"{abc}def", "def"},   {"{ab-cd}", "cd"},
        {"A4", "A4"},            {"Co.Ltd.", "Co.Ltd."}, {"Dr.", "Dr."},
        {"ab.", "ab."},          {"abcd", "abcd"},      {"a", "a"},
    };
    for (const auto& row : table) {
        const Words expected = *row.stored ? Words{row.stored} : Words{};
        EXPECT_EQ(extract(std::string(" ") + row.text + "\r\n"), expected) << row.text;
    }
}

TEST(HeadwordFinishing, DropsFinalFullStopOfLowerCaseWord) {
    EXPECT_EQ(finished_length("end.", 4), 3u);
    EXPECT_EQ(finished_length("End.", 4), 3u);
    EXPECT_EQ(finished_length("END.", 4), 4u);
    EXPECT_EQ(finished_length("ab.", 3), 3u);
}

TEST(TokenScan, TakesEveryLetterInitialRunOfTheLine) {
    EXPECT_EQ(extract("\x81\xA1" "abandon  {v} : give up, leave.\r\n"),
              (Words{"abandon", "give", "leave", "up"}));
    // Joiners do not start a token; digits end nothing inside one.
    EXPECT_EQ(extract("--x ''y .z 2b b2b\r\n"), (Words{"b", "b2b", "x", "y", "z"}));
    // The brace skips one alphanumeric run only.
    EXPECT_EQ(extract("{n}{adj-na,n} {} {9x}y\r\n"), (Words{"n", "na", "y"}));
    EXPECT_EQ(extract("!@#$%^&*()_+=~`|\\/<>?;:\"[]\r\n"), Words{});
}

TEST(TokenScan, NeverReadsTheSecondByteOfADoubleByteCharacter) {
    // Katakana A is 0x83 0x41; a character ending in 0x7B looks like a brace.
    EXPECT_EQ(extract("\x83\x41" "\x83\x7B" "de\r\n"), (Words{"de"}));
    EXPECT_EQ(extract("\x83\x41\x83\x41\x83\x41\r\n"), Words{});
    // Single-byte katakana and 0x80, 0xA0, 0xFD-0xFF are plain separators.
    EXPECT_EQ(extract("a\xB1" "b\x80" "c\xA0" "d\xFD" "e\xFF" "f\r\n"),
              (Words{"a", "b", "c", "d", "e", "f"}));
    // A lead byte right before the end ends the scan without reading past it.
    EXPECT_EQ(extract("word \x88"), (Words{"word"}));
    EXPECT_EQ(extract("\xE0"), Words{});
}

TEST(PronunciationRemoval, CutsToTheEndOfTheLineWhenNoBracketFollows) {
    EXPECT_EQ(removed("aback" + Marker + "@'b&k\r\n"), "aback");
    EXPECT_EQ(extract("aback  {adv} : x" + Marker + "@'b&k, kr'QnIk@lz\r\n"),
              (Words{"aback", "x"}));
}

TEST(PronunciationRemoval, KeepsTheNextBracketAndWhatFollowsIt) {
    const std::string gloss = Bracket + "\x8C\xEA\x8B\x60" + Closing + "backwards\r\n";
    EXPECT_EQ(removed("aback" + Marker + "@'b&k" + gloss), "aback" + gloss);
    EXPECT_EQ(extract("aback" + Marker + "@'b&k" + gloss), (Words{"aback", "backwards"}));
    // The marker directly followed by a bracket loses only itself.
    EXPECT_EQ(removed("a" + Marker + Bracket + "z"), "a" + Bracket + "z");
}

TEST(PronunciationRemoval, HandlesOnlyTheFirstMarkerOfAPiece) {
    const std::string line = "a" + Marker + "pron" + Bracket + "b" + Marker + "second\r\n";
    EXPECT_EQ(extract(line), (Words{"a", "b", "second"}));
}

TEST(PronunciationRemoval, SearchesByteWiseAcrossCharacterBoundaries) {
    // 0x88 0x81 is one character, but its trail byte and the following 'y'
    // read as an opening bracket: the cut ends there, and the scan then
    // takes 0x81 'y' for a character, so only "e" is left of "ye".
    EXPECT_EQ(removed("w" + Marker + "skipped \x88\x81ye"), "w\x81ye");
    EXPECT_EQ(extract("w" + Marker + "skipped \x88\x81ye\r\n"), (Words{"e", "w"}));
    // The marker itself can start on a trail byte.
    EXPECT_EQ(removed("\x88" + Marker + "gone"), "\x88");
}
