#include "ranked_suggestions.h"

#include <dlfcn.h>
#include <unistd.h>

namespace lumo::tool {

namespace {

template <typename F>
bool bind(void* library, const char* name, F& slot) {
    slot = reinterpret_cast<F>(dlsym(library, name));
    return slot != nullptr;
}

std::string beside(const std::string& path, const char* name) {
    const size_t slash = path.rfind('/');
    const std::string candidate =
        (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
    return access(candidate.c_str(), R_OK) == 0 ? candidate : std::string();
}

}  // namespace

bool RankedSuggestions::open(const std::string& library, const std::string& main_dict,
                             const std::string& user_dict) {
    close();
    if (library.empty()) return false;
    library_ = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_ == nullptr) return false;
    if (!bind(library_, "LumoRankOpen", open_) || !bind(library_, "LumoRankOpenUserDict", open_user_) ||
        !bind(library_, "LumoRankAddWord", add_) || !bind(library_, "LumoRankSuggest", suggest_) ||
        !bind(library_, "LumoRankClose", close_)) {
        close();
        return false;
    }
    const std::string frequency = beside(main_dict, "word-frequency.txt");
    const std::string index = beside(main_dict, "main.rank");
    if (open_(main_dict.c_str(), frequency.empty() ? nullptr : frequency.c_str(),
              index.empty() ? nullptr : index.c_str(), &ranker_) != LumoRankOk) {
        ranker_ = nullptr;
        close();
        return false;
    }
    // A user dictionary not yet written has no words to add.
    if (!user_dict.empty()) open_user_(ranker_, user_dict.c_str());
    return true;
}

void RankedSuggestions::close() {
    if (ranker_ != nullptr) close_(ranker_);
    ranker_ = nullptr;
    if (library_ != nullptr) dlclose(library_);
    library_ = nullptr;
}

std::vector<std::string> RankedSuggestions::suggest(const std::string& word, size_t max_count) {
    std::vector<std::string> list;
    if (ranker_ == nullptr || max_count == 0) return list;
    char area[4096];
    const int32_t n = suggest_(ranker_, word.c_str(), area, sizeof area,
                               static_cast<uint32_t>(max_count));
    const char* p = area;
    for (int32_t i = 0; i < n && *p; ++i) {
        list.emplace_back(p);
        p += list.back().size() + 1;
    }
    return list;
}

void RankedSuggestions::learn(const std::string& word) {
    if (ranker_ != nullptr) add_(ranker_, word.c_str());
}

}  // namespace lumo::tool
