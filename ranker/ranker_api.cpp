// The ranker's exports: argument checks, then the plain C++ ranker; nothing
// is thrown across the C boundary.
#include <cstring>
#include <new>

#include "lumospell/ranker.h"
#include "ranker.h"

struct LumoRanker {
    lumo::ranker::Ranker ranker;
};

namespace {

size_t bounded(const char* s, size_t limit) {
    size_t n = 0;
    while (n < limit && s[n] != '\0') ++n;
    return n;
}

// Words the lexicon cannot hold are refused before they are copied.
constexpr size_t WordLimit = lumo::ranker::LexiconKeyMax;

}  // namespace

extern "C" {

LUMORANK_API const char* LUMOSPELL_CALL LumoRankVersion(void) LUMORANK_NOEXCEPT { return "1.0.0"; }

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankOpen(const char* mainDictPath,
                                                 const char* frequencyPath, const char* indexPath,
                                                 LumoRanker** ranker) LUMORANK_NOEXCEPT {
    if (ranker == nullptr) return LumoRankErrArgument;
    *ranker = nullptr;
    if (mainDictPath == nullptr) return LumoRankErrArgument;
    try {
        auto* made = new LumoRanker;
        const std::string frequency = frequencyPath != nullptr ? frequencyPath : "";
        const std::string index = indexPath != nullptr ? indexPath : "";
        const auto status =
            made->ranker.open(mainDictPath, frequencyPath != nullptr ? &frequency : nullptr,
                              indexPath != nullptr ? &index : nullptr);
        if (status != lumo::ranker::OpenStatus::Ok) {
            delete made;
            return status == lumo::ranker::OpenStatus::MainDict ? LumoRankErrMainDict
                                                                 : LumoRankErrFrequency;
        }
        *ranker = made;
        return LumoRankOk;
    } catch (const std::bad_alloc&) {
        return LumoRankErrMemory;
    } catch (...) {
        return LumoRankErrMemory;
    }
}

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankUsesIndex(const LumoRanker* ranker) LUMORANK_NOEXCEPT {
    return ranker != nullptr && ranker->ranker.from_index() ? 1 : 0;
}

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankOpenUserDict(LumoRanker* ranker,
                                                         const char* path) LUMORANK_NOEXCEPT {
    if (ranker == nullptr || path == nullptr) return LumoRankErrArgument;
    try {
        return ranker->ranker.open_user(path) ? LumoRankOk : LumoRankErrUserDict;
    } catch (...) {
        return LumoRankErrMemory;
    }
}

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankAddWord(LumoRanker* ranker,
                                                    const char* word) LUMORANK_NOEXCEPT {
    if (ranker == nullptr || word == nullptr) return LumoRankErrArgument;
    const size_t len = bounded(word, WordLimit + 1);
    if (len == 0 || len > WordLimit) return LumoRankErrArgument;
    try {
        return ranker->ranker.add_word(word, len) ? LumoRankOk : LumoRankErrArgument;
    } catch (...) {
        return LumoRankErrMemory;
    }
}

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankChangeAlways(LumoRanker* ranker, const char* word,
                                                         const char* replacement)
    LUMORANK_NOEXCEPT {
    if (ranker == nullptr || word == nullptr || replacement == nullptr) return LumoRankErrArgument;
    const size_t len = bounded(word, WordLimit + 1);
    const size_t rlen = bounded(replacement, WordLimit + 1);
    if (len == 0 || len > WordLimit || rlen == 0 || rlen > WordLimit) return LumoRankErrArgument;
    try {
        return ranker->ranker.change_always(word, len, std::string(replacement, rlen))
                   ? LumoRankOk
                   : LumoRankErrFull;
    } catch (...) {
        return LumoRankErrMemory;
    }
}

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankSuggest(LumoRanker* ranker, const char* word,
                                                    char* area, uint32_t capacity,
                                                    uint32_t maxCount) LUMORANK_NOEXCEPT {
    if (ranker == nullptr || area == nullptr || capacity == 0) return -1;
    area[0] = '\0';
    if (word == nullptr || maxCount == 0) return 0;
    try {
        const size_t len = bounded(word, LUMORANK_WORD_MAX + 1);
        const auto list = ranker->ranker.suggest(word, len, maxCount);
        size_t pos = 0;
        int32_t placed = 0;
        for (const std::string& s : list) {
            // Each string, its NUL and the list's final NUL must fit.
            if (pos + s.size() + 2 > capacity) break;
            std::memcpy(area + pos, s.c_str(), s.size() + 1);
            pos += s.size() + 1;
            area[pos] = '\0';
            ++placed;
        }
        return placed;
    } catch (...) {
        area[0] = '\0';
        return 0;
    }
}

LUMORANK_API void LUMOSPELL_CALL LumoRankClose(LumoRanker* ranker) LUMORANK_NOEXCEPT {
    delete ranker;
}

}  // extern "C"
