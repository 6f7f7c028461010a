// Ranked suggestions for fix: the ranking library when it and its data lie
// beside the main dictionary, bound at run time; the front's otherwise.
#pragma once

#include <string>
#include <vector>

#include "lumospell/ranker.h"

namespace lumo::tool {

class RankedSuggestions {
public:
    RankedSuggestions() = default;
    ~RankedSuggestions();
    RankedSuggestions(const RankedSuggestions&) = delete;
    RankedSuggestions& operator=(const RankedSuggestions&) = delete;

    // False, and nothing bound, when the library or a file is missing.
    bool open(const std::string& library, const std::string& main_dict, const std::string& user_dict);
    bool is_open() const { return ranker_ != nullptr; }
    std::vector<std::string> suggest(const std::string& word, size_t count);
    void learn_word(const std::string& word);
    void learn_change(const std::string& word, const std::string& replacement);

private:
    void* library_ = nullptr;
    LumoRanker* ranker_ = nullptr;
    decltype(&LumoRankSuggest) suggest_ = nullptr;
    decltype(&LumoRankAddWord) add_word_ = nullptr;
    decltype(&LumoRankChangeAlways) change_always_ = nullptr;
    decltype(&LumoRankClose) close_ = nullptr;
};

}  // namespace lumo::tool
