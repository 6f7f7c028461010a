#include "suggestions.h"

#include <cstring>
#include <utility>

#include "common/char_class.h"
#include "common/word_rules.h"

namespace lumo::engine {

using namespace lumo::common;

bool SuggestionStore::AddSuggestion(char* candidate, const char* pattern_word) {
    apply_capitals(candidate, std::strlen(candidate), pattern_word, std::strlen(pattern_word));

    const size_t len = strnlen(candidate, EntryBytes);
    for (int i = 0; i < used_; ++i) {
        if (lengths_[i] == len && std::memcmp(entries_[i], candidate, len) == 0) return true;
    }
    if (used_ == SuggestionStoreEntries) return false;
    // Generation never builds a candidate this long; one that is offered
    // from elsewhere is dropped like a copy that could not be made.
    if (len >= EntryBytes) return true;
    std::memcpy(entries_[used_], candidate, len);
    entries_[used_][len] = 0;
    lengths_[used_] = static_cast<uint8_t>(len);
    ++used_;
    return true;
}

namespace {

// Both buffers are far larger than a word of 40 bytes plus one insertion.
constexpr size_t WorkBytes = 256;

struct Search {
    WordTable& table;
    SuggestionStore& store;
    char word[WorkBytes];
    size_t len;
    char candidate[WorkBytes];
    unsigned hits;
    bool recased;  // AddSuggestion changed the candidate buffer in place
};

// False once the store is full: the pass ends there.
inline bool offer(Search& s) {
    if (s.table.lookup(s.candidate, ModeFind, WordTagLookupOnly) != LookupKnown) return true;
    s.recased = true;
    if (!s.store.AddSuggestion(s.candidate, s.word)) return false;
    ++s.hits;
    return true;
}

// One pass of 54*len + 25 candidates, in the order transpositions,
// deletions, substitutions a..z, insertions a..z.
bool run_pass(Search& s) {
    const char* w = s.word;
    const size_t len = s.len;
    char* c = s.candidate;

    for (size_t i = 0; i + 1 < len; ++i) {
        std::memcpy(c, w, len + 1);
        std::swap(c[i], c[i + 1]);
        if (!offer(s)) return false;
    }
    for (size_t i = 0; i < len; ++i) {
        std::memcpy(c, w, i);
        std::memcpy(c + i, w + i + 1, len - i);
        if (!offer(s)) return false;
    }
    for (size_t i = 0; i < len; ++i) {
        std::memcpy(c, w, len + 1);
        s.recased = false;
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            if (s.recased) {
                std::memcpy(c, w, len + 1);
                s.recased = false;
            }
            c[i] = letter;
            if (!offer(s)) return false;
        }
    }
    for (size_t i = 0; i <= len; ++i) {
        std::memcpy(c, w, i);
        std::memcpy(c + i + 1, w + i, len - i + 1);
        s.recased = false;
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            if (s.recased) {
                std::memcpy(c, w, i);
                std::memcpy(c + i + 1, w + i, len - i + 1);
                s.recased = false;
            }
            c[i] = letter;
            if (!offer(s)) return false;
        }
    }
    return true;
}

// Places the stored strings one after another, each with its NUL, and one
// more NUL behind the last; a string that does not fit ends the list.
void pack(const SuggestionStore& store, SpellReturnBuffer* output) {
    char* area = output->suggestions;
    const size_t capacity = area != nullptr ? output->suggestionCapacity : 0;
    size_t pos = 0;
    for (int i = 0; i < store.size(); ++i) {
        const size_t n = store.length_at(i);
        if (pos + n + 1 >= capacity) break;
        std::memcpy(area + pos, store.at(i), n + 1);
        ++output->suggestionCount;
        pos += n + 1;
        area[pos] = 0;
        output->suggestionBytesUsed = static_cast<uint16_t>(pos);
    }
}

}  // namespace

void GenerateSuggestions(WordTable& table, SuggestionStore& store, const char* word,
                         SpellReturnBuffer* output) {
    output->suggestionCount = 0;
    const size_t len = word != nullptr ? strnlen(word, SuggestionWordMax + 1) : 0;
    if (len <= 1 || len > SuggestionWordMax) return;

    Search s{table, store, {}, len, {}, 0, false};
    std::memcpy(s.word, word, len);
    s.word[len] = 0;
    store.clear();

    while (run_pass(s) && s.hits == 0) {
        const size_t cut = suffix_cut(s.word, s.len);
        if (cut == 0) break;
        s.len -= cut;
        s.word[s.len] = 0;
    }
    pack(store, output);
}

}  // namespace lumo::engine
