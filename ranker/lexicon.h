// The known words as tries of their lower-cased spellings, walked with a
// bounded Damerau distance (adjacent exchanges count as one edit).
//
// The main dictionary's words sit in two frozen tries, one of the
// spellings and one of the spellings reversed: a word within two edits has
// at most one of them in the first half of the typed word or at most one
// in the second, so each walk may allow only one edit over its first half,
// which cuts away most of the shallow nodes.  Words added later go into a
// small growing trie that is walked in full.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/char_class.h"

namespace lumo::ranker {

constexpr uint32_t NoEntry = 0xFFFFFFFFu;
// A candidate is at most two edits longer than a word of the longest size.
constexpr size_t LexiconKeyMax = 64;

struct Entry {
    uint32_t form;    // offset of the spelling first read, in the arena
    uint32_t count;   // occurrences in the frequency list, 0 when absent
    uint8_t level;    // size level of the frequency list, 0 when absent
    uint8_t user;     // 1: added by the user or the session
    uint8_t blocked;  // 1: a change-always word, never offered
    uint8_t pad;
};

struct Match {
    uint32_t entry;
    uint8_t distance;
};

// Children of a node are contiguous and sorted by label_code, then label;
// letters holds one bit per code present, so that a child is found by a
// bit count without reading the children.
struct FrozenNode {
    uint32_t first;
    uint32_t entry;
    uint32_t letters;
    uint16_t children;
    uint8_t label;
    uint8_t band;  // the highest frequency_band of the words at or below this node
};

// a-z are 0-25, apostrophe 26, hyphen 27, every other byte 28.
inline unsigned label_code(uint8_t label) {
    if (lumo::common::is_lower(label)) return label - 'a';
    return label == '\'' ? 26u : label == '-' ? 27u : 28u;
}

// A word's sound keys (one or two) by their hashes; a table of them sorted
// by key, then entry.
struct SoundEntry {
    uint32_t key;
    uint32_t entry;
};

uint32_t sound_hash(const std::string& sound);
// Keys of one or two sounds would make most short words alike.
constexpr size_t SoundKeyMin = 3;

// What an index file holds besides entries and spellings, all within
// owner's memory.
struct FrozenParts {
    std::shared_ptr<const void> owner;
    const FrozenNode* forward = nullptr;
    size_t forward_nodes = 0;
    const FrozenNode* backward = nullptr;
    size_t backward_nodes = 0;
    const SoundEntry* sounds = nullptr;
    size_t sound_count = 0;
    // The tries of the common words (none when both sizes are 0), made with
    // these bounds.
    const FrozenNode* common = nullptr;
    size_t common_nodes = 0;
    const FrozenNode* common_backward = nullptr;
    size_t common_backward_nodes = 0;
    uint32_t common_min_count = 0;
    uint32_t common_min_len = 0;
};

// A frozen trie's nodes, owned by the lexicon (built, or an index file's
// view).
struct NodeView {
    const FrozenNode* data = nullptr;
    size_t size = 0;
    bool empty() const { return size == 0; }
    const FrozenNode& operator[](size_t i) const { return data[i]; }
};

class GrowingTrie {
public:
    GrowingTrie();
    // The node of key, made when missing; 0 for none (an empty key).
    uint32_t insert(const char* key, size_t len);
    uint32_t find(const char* key, size_t len) const;
    uint32_t& entry_at(uint32_t node) { return nodes_[node].entry; }
    uint32_t entry_at(uint32_t node) const { return nodes_[node].entry; }
    // The same words with children in label order, breadth first.
    std::vector<FrozenNode> freeze() const;
    void within(const char* key, size_t len, unsigned max, std::vector<Match>& out) const;
    void reserve(size_t nodes) { nodes_.reserve(nodes); }

private:
    struct Node {
        uint32_t child;
        uint32_t sibling;
        uint32_t entry;
        uint8_t label;
    };
    uint32_t child_of(uint32_t node, uint8_t label) const;
    std::vector<Node> nodes_;
    std::vector<uint32_t> root_;  // 256 direct children of the root
    friend struct GrowingWalk;
};

class Lexicon {
public:
    Lexicon() = default;
    // The views point into the lexicon's own storage.
    Lexicon(const Lexicon&) = delete;
    Lexicon& operator=(const Lexicon&) = delete;

    // Builds the frozen tries from every spelling given (any case); the
    // first spelling of a lower-cased key is the one kept.
    void build(const std::vector<std::pair<const char*, size_t>>& words);
    // Takes frozen data (from an index file) as it is.  False when the
    // pieces do not fit together, and the lexicon is then unchanged.
    bool adopt(FrozenParts parts, std::vector<Entry> entries, std::vector<char> arena);

    // Adds a spelling after the build and returns its entry; a spelling
    // whose lower-cased form is known returns the existing entry.  NoEntry
    // for an empty or over-long spelling.
    uint32_t add(const char* word, size_t len);
    // The entry of a lower-cased key, NoEntry when unknown.
    uint32_t find(const char* key, size_t len) const;

    // Appends every entry whose key is within max_distance (1 to 3) of the
    // lower-cased key, each once; beyond one edit, entries of a lower
    // frequency_band than far_band may be left out (the walk passes over
    // the subtrees of rarer words).
    void within(const char* key, size_t len, unsigned max_distance, std::vector<Match>& out,
                uint8_t far_band = 0) const;
    // Gives the built tries' nodes their bands once the entries have their
    // counts (an index holds the bands).
    void mark_bands();

    // Appends every entry whose sound key hashes as sound's does; nothing
    // when more than limit do (a key that common says little).
    void sound_alike(const std::string& sound, size_t limit, std::vector<uint32_t>& out) const;

    // Whether entry has a sound key of that hash (keys of three sounds and
    // more only).
    bool sounds_as(uint32_t hash, uint32_t entry) const;

    // A small trie of the common words only (at least min_count in the
    // frequency list, at least min_len bytes), for walks that allow more
    // edits than the whole lexicon affords.
    void build_common(uint32_t min_count, size_t min_len);
    // Whether the tries of the common words were made with these bounds.
    bool has_common(uint32_t min_count, size_t min_len) const {
        return !common_.empty() && common_min_count_ == min_count && common_min_len_ == min_len;
    }
    // Appends every common word within max_distance (up to 3) of the key.
    void within_common(const char* key, size_t len, unsigned max_distance,
                       std::vector<Match>& out) const;

    // The same by one walk without the split, for checking the split.
    void within_exhaustive(const char* key, size_t len, unsigned max_distance,
                           std::vector<Match>& out) const;

    Entry& entry(uint32_t id) { return entries_[id]; }
    const Entry& entry(uint32_t id) const { return entries_[id]; }
    const char* form(uint32_t id) const { return arena_.data() + entries_[id].form; }
    size_t size() const { return entries_.size(); }

    NodeView forward() const { return forward_; }
    NodeView backward() const { return backward_; }
    NodeView common() const { return common_; }
    NodeView common_backward() const { return common_backward_; }
    uint32_t common_min_count() const { return common_min_count_; }
    size_t common_min_len() const { return common_min_len_; }
    const SoundEntry* sounds() const { return sounds_; }
    size_t sound_count() const { return sound_count_; }
    const std::vector<Entry>& entries() const { return entries_; }
    const std::vector<char>& arena() const { return arena_; }

private:
    uint32_t new_entry(const char* word, size_t len);

    std::vector<FrozenNode> built_forward_;
    std::vector<FrozenNode> built_backward_;
    std::vector<FrozenNode> built_common_;  // forward, as the main tries
    std::vector<FrozenNode> built_common_backward_;
    NodeView common_;
    NodeView common_backward_;
    uint32_t common_min_count_ = 0;
    size_t common_min_len_ = 0;
    std::vector<SoundEntry> built_sounds_;
    std::vector<SoundEntry> added_sounds_;  // words added later, unsorted
    std::shared_ptr<const void> adopted_;
    const SoundEntry* sounds_ = nullptr;
    size_t sound_count_ = 0;
    NodeView forward_;
    NodeView backward_;
    GrowingTrie added_;
    std::vector<Entry> entries_;
    std::vector<char> arena_;
    mutable std::vector<uint8_t> seen_;  // per entry, during one search
};

inline char fold(char c) { return lumo::common::to_lower(c); }

// 0 for a word no list counts, 1 for one only in the word lists, else
// 2 and up by the logarithm of its count.
uint8_t frequency_band(const Entry& e);
// The least band of the words counted at least count times.
uint8_t count_band(uint32_t count);

// The node of key in a frozen trie, 0 when absent (the root is node 0).
uint32_t frozen_find(NodeView nodes, const char* key, size_t len);

}  // namespace lumo::ranker
