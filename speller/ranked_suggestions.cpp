#include "speller/ranked_suggestions.h"

#include <unistd.h>

#include "speller/dictionary_locations.h"

namespace lumo::tool {

namespace {
// The most suggestions one word gets, even when all are asked for.
constexpr size_t MaxRanked = 64;
}  // namespace

bool RankedSuggestions::open(const std::string& main_dict, const std::string& user_dict,
                             std::string& why) {
    const std::string library = find_library("liblumorank.so");
    if (library.empty()) {
        close();
        why = "cannot find liblumorank.so beside " + program_dir();
        return false;
    }
    return open_with(library, program_dir() + "/" LUMOSPELL_RELATIVE_DATADIR "/lumospell",
                     main_dict, user_dict, why);
}

bool RankedSuggestions::open_with(const std::string& library, const std::string& data_dir,
                                  const std::string& main_dict, const std::string& user_dict,
                                  std::string& why) {
    close();
    if (!bind_ranker(library, api_, why)) return false;
    // A variant's dictionary (en_GB.dic) has its own frequencies and index
    // beside it (en_GB-frequency.txt, en_GB.rank); any other, the general ones.
    const size_t slash = main_dict.find_last_of('/');
    std::string stem = main_dict.substr(slash == std::string::npos ? 0 : slash + 1);
    stem = stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".dic") == 0
               ? stem.substr(0, stem.size() - 4)
               : std::string();
    const bool variant =
        !stem.empty() && access((data_dir + "/" + stem + "-frequency.txt").c_str(), R_OK) == 0;
    const std::string frequency =
        data_dir + (variant ? "/" + stem + "-frequency.txt" : std::string("/word-frequency.txt"));
    if (access(frequency.c_str(), R_OK) != 0) {
        why = "cannot find the word frequencies (" + frequency + ")";
        return false;
    }
    // The index holds only the default dictionary; the library checks it
    // against both files and builds its own when it does not match.
    const std::string index_file =
        data_dir + "/" + (variant ? stem : std::string("main")) + ".rank";
    const std::string index = access(index_file.c_str(), R_OK) == 0 ? index_file : std::string();
    const int32_t code = api_.open(main_dict.c_str(), frequency.c_str(),
                                   index.empty() ? nullptr : index.c_str(), &ranker_);
    if (code != LumoRankOk) {
        why = "the ranker cannot open its files (code " + std::to_string(code) + ")";
        ranker_ = nullptr;
        return false;
    }
    if (access(user_dict.c_str(), F_OK) == 0 &&
        api_.open_user_dict(ranker_, user_dict.c_str()) != 0)
        why = "the ranker cannot read the user dictionary " + user_dict;
    return true;
}

void RankedSuggestions::close() {
    if (ranker_ != nullptr) api_.close(ranker_);
    ranker_ = nullptr;
}

void RankedSuggestions::learn_word(const std::string& word) {
    if (active()) api_.add_word(ranker_, word.c_str());
}

void RankedSuggestions::learn_change(const std::string& word, const std::string& replacement) {
    if (active()) api_.change_always(ranker_, word.c_str(), replacement.c_str());
}

std::vector<std::string> RankedSuggestions::suggest(const std::string& word, size_t max) const {
    std::vector<std::string> list;
    if (!active()) return list;
    const size_t count = (max == 0 || max > MaxRanked) ? MaxRanked : max;
    char area[MaxRanked * (LUMORANK_WORD_MAX + 1) + 1];
    const int32_t n =
        api_.suggest(ranker_, word.c_str(), area, sizeof area, static_cast<uint32_t>(count));
    const char* p = area;
    for (int32_t k = 0; k < n && *p != '\0'; ++k) {
        list.emplace_back(p);
        p += list.back().size() + 1;
    }
    return list;
}

}  // namespace lumo::tool
