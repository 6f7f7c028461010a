// The engine the verification and suggestion targets drive: the shipped
// English word list as main dictionary, an empty user dictionary, a few
// ignore-always words and change-always pairs, among them a replacement
// longer than the front's 256-byte area and an empty one.
#pragma once

#include <cstring>
#include <set>
#include <string>

#include "engine.h"
#include "fuzz_support.h"

namespace lumo::fuzz {

inline lumo::engine::Engine& fixture_engine() {
    static lumo::engine::Engine* engine = [] {
        auto* e = new lumo::engine::Engine();
        uint32_t session = 0;
        e->init(&session);
        const std::string main_path = data_path("words/american-english-large");
        FUZZ_CHECK(e->open_main(main_path.c_str()) == 0, "cannot load %s", main_path.c_str());
        const std::string user_path = scratch_file("user.dic");
        FUZZ_CHECK(write_bytes(user_path, "", 0), "cannot write %s", user_path.c_str());
        FUZZ_CHECK(e->open_user(user_path.c_str()) == 0, "cannot load %s", user_path.c_str());
        e->add_word(UdrIgnoreAlways, "frobnicate");
        e->add_word(0, "lumospell");
        e->add_change("teh", "the");
        e->add_change("recieve", "receive");
        e->add_change("wrod", "");
        e->add_change("longword", std::string(300, 'x').c_str());
        return e;
    }();
    return *engine;
}

// Checks a CommandSuggest answer for word: at most 50 distinct known words,
// each one edit from the word or from a stem the suffix rule cuts it to,
// packed as the store holds them.  When nothing was placed, the area and
// bytesUsed keep what they held before (area_before, bytes_used_before).
inline void check_suggestion_answer(lumo::engine::Engine& engine, const std::string& word,
                                    const SpellReturnBuffer& out, const char* area_before,
                                    uint16_t bytes_used_before) {
    using namespace lumo::engine;
    const size_t capacity = out.suggestions != nullptr ? out.suggestionCapacity : 0;
    FUZZ_CHECK(out.status == StatusNoMoreSuggestions, "status %u", out.status);
    FUZZ_CHECK(out.suggestionCount <= SuggestionStoreEntries, "count %u", out.suggestionCount);
    if (word.size() <= 1 || word.size() > SuggestionWordMax)
        FUZZ_CHECK(out.suggestionCount == 0, "a word of %zu bytes got suggestions", word.size());
    if (out.suggestionCount == 0) {
        FUZZ_CHECK(out.suggestionBytesUsed == bytes_used_before, "bytes used changed");
        FUZZ_CHECK(capacity == 0 || std::memcmp(out.suggestions, area_before, capacity) == 0,
                   "area changed without a suggestion");
        return;
    }
    const auto placed = unpack_suggestions(out.suggestions, capacity, out.suggestionCount,
                                           out.suggestionBytesUsed);
    const auto stems = suffix_stems(word);
    std::set<std::string> distinct;
    const SuggestionStore& store = engine.suggestion_store;
    FUZZ_CHECK(placed.size() <= static_cast<size_t>(store.size()), "more placed than stored");
    for (size_t i = 0; i < placed.size(); ++i) {
        const std::string& s = placed[i];
        FUZZ_CHECK(distinct.insert(s).second, "suggestion '%s' given twice", s.c_str());
        FUZZ_CHECK(s == store.at(static_cast<int>(i)), "placed '%s' is not stored entry %zu",
                   s.c_str(), i);
        FUZZ_CHECK(engine.table().lookup(s.c_str(), ModeFind, WordTagLookupOnly) == LookupKnown,
                   "suggestion '%s' is no known word", s.c_str());
        bool near = false;
        for (const std::string& stem : stems) near = near || within_one_edit(stem, s);
        FUZZ_CHECK(near, "suggestion '%s' is not one edit from '%s' or a stem", s.c_str(),
                   word.c_str());
    }
    if (placed.size() < static_cast<size_t>(store.size())) {
        const size_t next = store.length_at(static_cast<int>(placed.size()));
        FUZZ_CHECK(out.suggestionBytesUsed + next + 1 >= capacity,
                   "stored suggestion %zu would have fit", placed.size());
    }
}

}  // namespace lumo::fuzz
