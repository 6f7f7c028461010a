// Suggestion generation: the known words one edit away from a word.
#pragma once

namespace lumo::engine {

constexpr int SuggestionStoreEntries = 50;

class SuggestionStore {
public:
    ~SuggestionStore() { clear(); }
    void clear() {
        for (char*& entry : entries_) {
            delete[] entry;
            entry = nullptr;
        }
    }

private:
    char* entries_[SuggestionStoreEntries] = {};
};

}  // namespace lumo::engine
