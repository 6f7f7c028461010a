#include "fix_suggestions.h"

#include <dlfcn.h>
#include <unistd.h>


namespace lumo::tool {

namespace {

template <typename F>
bool bind(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
    return function != nullptr;
}

}  // namespace

RankedSuggestions::~RankedSuggestions() {
    if (ranker_) close_(ranker_);
    if (library_) dlclose(library_);
}

bool RankedSuggestions::open(const std::string& library, const std::string& main_dict,
                             const std::string& user_dict) {
    if (library.empty()) return false;
    const size_t slash = main_dict.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : main_dict.substr(0, slash);
    const std::string frequency = folder + "/word-frequency.txt";
    const std::string index = folder + "/main.rank";
    if (access(frequency.c_str(), R_OK) != 0) return false;
    library_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) return false;
    decltype(&LumoRankOpen) open_ranker = nullptr;
    decltype(&LumoRankOpenUserDict) open_user = nullptr;
    const bool bound = bind(library_, "LumoRankOpen", open_ranker) &&
                       bind(library_, "LumoRankOpenUserDict", open_user) &&
                       bind(library_, "LumoRankSuggest", suggest_) &&
                       bind(library_, "LumoRankAddWord", add_word_) &&
                       bind(library_, "LumoRankChangeAlways", change_always_) &&
                       bind(library_, "LumoRankClose", close_);
    if (!bound || open_ranker(main_dict.c_str(), frequency.c_str(),
                              access(index.c_str(), R_OK) == 0 ? index.c_str() : nullptr,
                              &ranker_) != LumoRankOk) {
        ranker_ = nullptr;
        dlclose(library_);
        library_ = nullptr;
        return false;
    }
    open_user(ranker_, user_dict.c_str());
    return true;
}

std::vector<std::string> RankedSuggestions::suggest(const std::string& word, size_t count) {
    std::vector<std::string> list;
    if (!ranker_) return list;
    char area[4096];
    const int n = suggest_(ranker_, word.c_str(), area, sizeof area, static_cast<uint32_t>(count));
    const char* p = area;
    for (int k = 0; k < n && *p; ++k) {
        list.emplace_back(p);
        p += list.back().size() + 1;
    }
    return list;
}

void RankedSuggestions::learn_word(const std::string& word) {
    if (ranker_) add_word_(ranker_, word.c_str());
}

void RankedSuggestions::learn_change(const std::string& word, const std::string& replacement) {
    if (ranker_) change_always_(ranker_, word.c_str(), replacement.c_str());
}

}  // namespace lumo::tool
