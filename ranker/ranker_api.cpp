// The ranker's exports: argument checks, then the plain C++ ranker run
// through the one export guard; nothing is thrown across the C boundary.
#include <cstring>
#include <memory>

#include "common/export_guard.h"
#include "common/word_rules.h"
#include "lumospell/ranker.h"
#include "ranker.h"

using lumo::common::bounded_length;
using lumo::common::guarded;

struct LumoRanker {
    lumo::ranker::Ranker ranker;
};

namespace {
// Words the lexicon cannot hold are refused before they are copied.
constexpr size_t WordLimit = lumo::ranker::LexiconKeyMax;
constexpr int32_t OutOfMemory = LumoRankErrMemory;
}  // namespace

extern "C" {

LUMORANK_API const char* LUMOSPELL_CALL LumoRankVersion(void) LUMORANK_NOEXCEPT { return "1.0.0"; }

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankOpen(const char* mainDictPath,
                                                 const char* frequencyPath, const char* indexPath,
                                                 LumoRanker** ranker) LUMORANK_NOEXCEPT {
    if (ranker == nullptr) return LumoRankErrArgument;
    *ranker = nullptr;
    if (mainDictPath == nullptr) return LumoRankErrArgument;
    return guarded(OutOfMemory, [&]() -> int32_t {
        auto made = std::make_unique<LumoRanker>();
        const std::string frequency = frequencyPath != nullptr ? frequencyPath : "";
        const std::string index = indexPath != nullptr ? indexPath : "";
        const auto status =
            made->ranker.open(mainDictPath, frequencyPath != nullptr ? &frequency : nullptr,
                              indexPath != nullptr ? &index : nullptr);
        if (status != lumo::ranker::OpenStatus::Ok)
            return status == lumo::ranker::OpenStatus::MainDict ? LumoRankErrMainDict
                                                                : LumoRankErrFrequency;
        *ranker = made.release();
        return LumoRankOk;
    });
}

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankUsesIndex(const LumoRanker* ranker) LUMORANK_NOEXCEPT {
    if (ranker == nullptr) return 0;
    return guarded(int32_t{0}, [&]() -> int32_t { return ranker->ranker.from_index() ? 1 : 0; });
}

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankOpenUserDict(LumoRanker* ranker,
                                                         const char* path) LUMORANK_NOEXCEPT {
    if (ranker == nullptr || path == nullptr) return LumoRankErrArgument;
    return guarded(OutOfMemory, [&]() -> int32_t {
        return ranker->ranker.open_user(path) ? LumoRankOk : LumoRankErrUserDict;
    });
}

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankAddWord(LumoRanker* ranker,
                                                    const char* word) LUMORANK_NOEXCEPT {
    if (ranker == nullptr || word == nullptr) return LumoRankErrArgument;
    const size_t len = bounded_length(word, WordLimit + 1);
    if (len == 0 || len > WordLimit) return LumoRankErrArgument;
    return guarded(OutOfMemory, [&]() -> int32_t {
        return ranker->ranker.add_word(word, len) ? LumoRankOk : LumoRankErrArgument;
    });
}

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankChangeAlways(
    LumoRanker* ranker, const char* word, const char* replacement) LUMORANK_NOEXCEPT {
    if (ranker == nullptr || word == nullptr || replacement == nullptr) return LumoRankErrArgument;
    const size_t len = bounded_length(word, WordLimit + 1);
    const size_t rlen = bounded_length(replacement, WordLimit + 1);
    if (len == 0 || len > WordLimit || rlen == 0 || rlen > WordLimit) return LumoRankErrArgument;
    return guarded(OutOfMemory, [&]() -> int32_t {
        return ranker->ranker.change_always(word, len, std::string(replacement, rlen))
                   ? LumoRankOk
                   : LumoRankErrFull;
    });
}

LUMORANK_API int32_t LUMOSPELL_CALL LumoRankSuggest(LumoRanker* ranker, const char* word,
                                                    char* area, uint32_t capacity,
                                                    uint32_t maxCount) LUMORANK_NOEXCEPT {
    if (ranker == nullptr || area == nullptr || capacity == 0) return -1;
    area[0] = '\0';
    if (word == nullptr || maxCount == 0) return 0;
    // Only the ranking can fail, before anything is written: the area then
    // holds an empty list.
    return guarded(int32_t{0}, [&]() -> int32_t {
        const size_t len = bounded_length(word, LUMORANK_WORD_MAX + 1);
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
    });
}

LUMORANK_API void LUMOSPELL_CALL LumoRankClose(LumoRanker* ranker) LUMORANK_NOEXCEPT {
    if (ranker == nullptr) return;
    guarded([&] { delete ranker; });
}

}  // extern "C"
