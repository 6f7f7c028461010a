// Ranked suggestions from the ranking library, bound at run time like the
// other libraries.  Without the library or its files the program keeps the
// engine's own order.
#pragma once

#include <string>
#include <vector>

#include "speller/host_libraries.h"

namespace lumo::tool {

class RankedSuggestions {
public:
    RankedSuggestions() = default;
    RankedSuggestions(const RankedSuggestions&) = delete;
    RankedSuggestions& operator=(const RankedSuggestions&) = delete;
    ~RankedSuggestions() { close(); }

    // Binds the library and opens it over the same dictionaries as the
    // front; false with the reason in why when ranking is unavailable.
    bool open(const std::string& main_dict, const std::string& user_dict, std::string& why);
    // The same with the library and the folder of its data files
    // (word-frequency.txt, main.rank) given, for hosts that are not the
    // program.
    bool open_with(const std::string& library, const std::string& data_dir,
                   const std::string& main_dict, const std::string& user_dict, std::string& why);
    void close();
    bool active() const { return ranker_ != nullptr; }
    bool uses_index() const { return active() && api_.uses_index(ranker_) == 1; }

    // What the session decided: words added or ignored, and pairs changed.
    void learn_word(const std::string& word);
    void learn_change(const std::string& word, const std::string& replacement);

    // Up to max suggestions for word (0: all it has), best first; empty
    // when inactive.
    std::vector<std::string> suggest(const std::string& word, size_t max) const;

private:
    RankerApi api_;
    LumoRanker* ranker_ = nullptr;
};

}  // namespace lumo::tool
