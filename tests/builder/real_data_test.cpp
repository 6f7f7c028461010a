// Builds from the real English-Japanese dictionary text shipped in data/ej.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "build_run.h"
#include "builder_test_support.h"
#include "engine.h"
#include "test_support.h"

using lumo::test::crlf_lines;
using lumo::test::read_file;
using lumo::test::ScratchDir;

namespace {

const std::string Sample = LUMOSPELL_DATA_DIR "/ej/ej-sample.sjis.txt";
const std::string Full = LUMOSPELL_DATA_DIR "/ej/ej-source-full.sjis.txt";

bool has(const std::vector<std::string>& words, const char* word) {
    return std::binary_search(words.begin(), words.end(), std::string(word));
}

// Every line ends in CR LF, and each word is greater than the one before
// it (std::string compares bytes as unsigned values).
void expect_sorted_unique(const std::vector<std::string>& words) {
    for (size_t i = 1; i < words.size(); ++i) ASSERT_LT(words[i - 1], words[i]) << "line " << i;
    for (const auto& word : words) ASSERT_FALSE(word.empty());
}

}  // namespace

TEST(RealData, SampleBuildsSortedUniqueAndTheSameTwice) {
    ScratchDir dir;
    const std::string first = dir.file("first.dic"), second = dir.file("second.dic");
    ASSERT_EQ(lumo::builder::make_dictionary(nullptr, Sample.c_str(), first.c_str()), 1);
    ASSERT_EQ(lumo::builder::make_dictionary(nullptr, Sample.c_str(), second.c_str()), 1);
    const std::string bytes = read_file(first);
    EXPECT_EQ(bytes, read_file(second));
    bool well_formed = false;
    const auto words = crlf_lines(bytes, &well_formed);
    EXPECT_TRUE(well_formed);
    expect_sorted_unique(words);
    // Close to the 5,877 distinct raw tokens the data's notes count: the
    // finishing rules merge "word." into "word" and drop "well-".
    EXPECT_GT(words.size(), 5800u);
    EXPECT_LT(words.size(), 5877u);
    for (const char* expected : {"aback", "abbey", "A-bomb", "above-mentioned", "Abkhaz", "Melaniparus",
                                 "thruppi", "commutative", "Bible"})
        EXPECT_TRUE(has(words, expected)) << expected;
    // Pronunciations are cut out ("w'Qn kr'QnIk@lz", "6 b'Qm", "@'b&k").
    for (const char* leaked : {"kr'QnIk", "w'Qn", "b'Qm", "b", "k"})
        EXPECT_FALSE(has(words, leaked)) << leaked;
}

TEST(RealData, FullSourceBuildsAndLoadsAsMainDictionary) {
    ScratchDir dir;
    const std::string output = dir.file("main.dic");
    ASSERT_EQ(lumo::builder::make_dictionary(nullptr, Full.c_str(), output.c_str()), 1);
    EXPECT_EQ(lumo::builder::DoneBytes, 3552268);
    const auto words = crlf_lines(read_file(output));
    expect_sorted_unique(words);
    EXPECT_GT(words.size(), 37000u);
    EXPECT_LT(words.size(), 37545u);

    auto engine = std::make_unique<lumo::engine::Engine>();
    uint32_t session = 0;
    ASSERT_EQ(engine->init(&session), 0);
    ASSERT_EQ(engine->open_main(output.c_str()), 0);
    size_t unknown = 0;
    for (const auto& word : words)
        if (engine->table().lookup(word.c_str(), lumo::engine::ModeFind, lumo::engine::WordTagLookupOnly) !=
            lumo::engine::LookupKnown)
            ++unknown;
    EXPECT_EQ(unknown, 0u);
    EXPECT_GT(engine->table().count(), 30000u);
    engine->terminate();
}
