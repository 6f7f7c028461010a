// Ranked suggestions for a misspelt word through the ranking library,
// bound at run time like the other libraries.  Hosts that cannot find the
// library or its files fall back to the front's suggestions.
#pragma once

#include <string>
#include <vector>

#include "lumospell/ranker.h"

namespace lumo::tool {

class RankedSuggestions {
public:
    RankedSuggestions() = default;
    RankedSuggestions(const RankedSuggestions&) = delete;
    RankedSuggestions& operator=(const RankedSuggestions&) = delete;
    ~RankedSuggestions() { close(); }

    // Opens over the main and user dictionaries; the frequencies and the
    // index are looked for beside the main dictionary.  False (and no
    // ranking) when the library or the main dictionary cannot be read.
    bool open(const std::string& library, const std::string& main_dict,
              const std::string& user_dict);
    void close();
    bool is_open() const { return ranker_ != nullptr; }

    // Best first; empty when closed.
    std::vector<std::string> suggest(const std::string& word, size_t max_count);
    // A word the user added or chose to ignore.
    void learn(const std::string& word);

private:
    void* library_ = nullptr;
    LumoRanker* ranker_ = nullptr;
    decltype(&LumoRankOpen) open_ = nullptr;
    decltype(&LumoRankOpenUserDict) open_user_ = nullptr;
    decltype(&LumoRankAddWord) add_ = nullptr;
    decltype(&LumoRankSuggest) suggest_ = nullptr;
    decltype(&LumoRankClose) close_ = nullptr;
};

}  // namespace lumo::tool
