#include "lexicon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

using lumo::ranker::Lexicon;
using lumo::ranker::Match;
using lumo::ranker::NoEntry;

namespace {

// Edits with neighbours exchanged counted as one, each piece edited once.
unsigned edits(const std::string& a, const std::string& b) {
    std::vector<std::vector<unsigned>> d(a.size() + 1, std::vector<unsigned>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i) d[i][0] = static_cast<unsigned>(i);
    for (size_t j = 0; j <= b.size(); ++j) d[0][j] = static_cast<unsigned>(j);
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                                d[i - 1][j - 1] + (a[i - 1] != b[j - 1] ? 1u : 0u)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

}  // namespace

// The walks pick a node's children by a mask of letter codes, and look up
// apostrophes, hyphens and the bytes that share one code (here the halves
// of an é) apart: every word within reach is found, at its distance, with
// such bytes in the key, in the words, or both.
TEST(LexiconWalk, FindsEveryWordWithinReachWhateverItsBytes) {
    const std::string pieces[] = {"a", "b", "c", "'", "-", "\xc3", "\xa9", "\xc3\xa9", "e"};
    std::mt19937 random(29);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    auto make = [&](size_t most) {
        std::string w;
        for (size_t n = 1 + pick(most); w.size() < n;) w += pieces[pick(std::size(pieces))];
        return w;
    };
    std::vector<std::string> words;
    for (int i = 0; i < 400; ++i) words.push_back(make(9));
    std::vector<std::pair<const char*, size_t>> spans;
    for (const std::string& w : words) spans.emplace_back(w.data(), w.size());
    Lexicon lexicon;
    lexicon.build(spans);
    for (int k = 0; k < 300; ++k) {
        const std::string key = k % 2 == 0 ? make(10) : words[pick(words.size())] + pieces[pick(3)];
        for (unsigned max = 1; max <= 3; ++max) {
            std::map<uint32_t, unsigned> expected;
            for (uint32_t id = 0; id < lexicon.size(); ++id) {
                const unsigned e = edits(key, lexicon.form(id));
                if (e <= max) expected[id] = e;
            }
            std::vector<Match> split, whole;
            lexicon.within(key.data(), key.size(), max, split);
            lexicon.within_exhaustive(key.data(), key.size(), max, whole);
            for (const std::vector<Match>* found : {&split, &whole}) {
                std::map<uint32_t, unsigned> got;
                for (const Match& m : *found) got[m.entry] = m.distance;
                EXPECT_EQ(got.size(), found->size()) << key;
                EXPECT_EQ(got, expected) << key << " within " << max;
            }
        }
    }
}

// An index whose nodes share their blocks of children passes the checks of
// its bounds, but its paths multiply at every depth (26^depth here): the
// walk stops at a depth holding more nodes than the trie, and neither runs
// for ever nor fills the memory.
TEST(LexiconWalk, SharedBlocksOfADamagedIndexEndTheWalk) {
    constexpr uint32_t Layers = 40, Width = 26;
    std::vector<lumo::ranker::FrozenNode> nodes(1 + Layers * Width);
    auto layer_first = [](uint32_t layer) { return 1 + layer * Width; };
    nodes[0] = {layer_first(0), 0, (1u << Width) - 1, Width, 0, 9};
    for (uint32_t layer = 0; layer < Layers; ++layer)
        for (uint32_t k = 0; k < Width; ++k) {
            const bool last = layer + 1 == Layers;
            nodes[layer_first(layer) + k] = {
                last ? 0 : layer_first(layer + 1), last ? 0u : NoEntry,
                last ? 0 : (1u << Width) - 1,      static_cast<uint16_t>(last ? 0 : Width),
                static_cast<uint8_t>('a' + k),     9};
        }
    auto owner = std::make_shared<std::vector<lumo::ranker::FrozenNode>>(nodes);
    lumo::ranker::FrozenParts parts;
    parts.owner = owner;
    parts.forward = parts.backward = owner->data();
    parts.forward_nodes = parts.backward_nodes = owner->size();
    Lexicon lexicon;
    ASSERT_TRUE(lexicon.adopt(parts, {lumo::ranker::Entry{0, 0, 0, 0, 0, 0}}, {'a', '\0'}));
    const std::string key(Layers, 'a');
    std::vector<Match> found;
    for (unsigned max = 1; max <= 3; ++max) lexicon.within(key.data(), key.size(), max, found);
    EXPECT_LE(found.size(), 3u);
}
