// The front library's state and operations: binding the engine and its
// session, checking, suggestions and the user's word decisions.  The
// exports drive one process-global Front; tests make their own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine_binding.h"
#include "lead_bytes.h"
#include "lumospell/orthbridge.h"
#include "lumospell/orthex.h"
#include "prefilter.h"

namespace lumo::front {

constexpr std::size_t SpecialCharsSize = 11;
constexpr std::size_t MainDictRecordSize = 16;
constexpr std::size_t SuggestionAreaSize = 256;
constexpr std::size_t RatingAreaSize = 32;
constexpr int SuggestionListSize = 100;
constexpr std::size_t WordSize = 256;
constexpr std::size_t ReasonSize = 256;
constexpr std::size_t FailurePathSize = 1024;

class Front {
public:
    // leadBytes null: the system's set, asked for at the first check, so
    // that a host's own choice of locale is seen.
    explicit Front(const LibraryOps& ops = system_library_ops(),
                   const platform::LeadByteSet* leadBytes = nullptr)
        : ops_(ops), leadBytes_(leadBytes) {}
    // Frees the suggestion copies only; a bound engine is left as it is.
    ~Front() { release_suggestions(); }
    Front(const Front&) = delete;
    Front& operator=(const Front&) = delete;

    bool bound() const { return engineModule != nullptr; }

    // Every pointer passed in is valid and every string NUL-terminated:
    // the exports refuse null ones before calling.
    int init(const char* enginePath);
    int init2(const char* mainDictFile, const char* userDictFile, int languageId, int doubleByte);
    void terminate();

    int check(const char* text, CheckResult* result);
    int suggestion_first(char* out);
    int suggestion_next(char* out);
    int ignore_always(const char* word);
    int change_always(const char* word, const char* replacement);
    int add_word(const char* word);
    int mode(unsigned int flags);
    // The code of the last save (0 when it worked or had nothing to do) and
    // its reason, cut to fit reasonSize bytes.
    int save_result(char* reason, int reasonSize) const;
    // The step of the last failure (0: none) with its code, path and reason.
    int last_failure(int* code, char* path, int pathSize, char* reason, int reasonSize) const;

    platform::LibraryHandle engineModule = nullptr;
    EngineEntryPoints entryPoints;
    uint32_t engineSession = 0;
    unsigned char specialChars[SpecialCharsSize] = {};
    unsigned char mainDictRecord[MainDictRecordSize] = {};
    uint32_t userDictId = 0;
    char textBuffer[TextBufferSize] = {};
    SpellInputBuffer inputBuffer = {};
    SpellReturnBuffer returnBuffer = {};
    char suggestionArea[SuggestionAreaSize] = {};
    unsigned char ratingArea[RatingAreaSize] = {};
    char* suggestionList[SuggestionListSize] = {};
    int suggestionCursor = 0;
    int doubleByteText = 1;
    int maskWebAddresses = 1;
    int maskPaths = 0;
    uint16_t lastSaveCode = 0;
    char lastSaveReason[ReasonSize] = {};
    int failureStep = 0;
    uint16_t failureCode = 0;
    char failurePath[FailurePathSize] = {};
    char failureReason[ReasonSize] = {};
    char userDictPath[FailurePathSize] = {};

    // Keeps what failed; reason null takes the last system error's wording.
    // Called before anything else can change that error.
    void record_failure(int step, uint16_t code, const char* path, const char* reason = nullptr);

private:
    // Keeps a save's code with the reason the engine left and tells the
    // user when it failed; the reason must still be the last system error.
    void report_save(uint16_t code);
    template <typename FunctionPointer>
    FunctionPointer engine(int ordinal) const {
        return entryPoints.at<FunctionPointer>(ordinal);
    }
    PrefilterFlags prefilter_flags() const;
    void release_suggestions();
    // Copies the strings of the last answer into suggestionList; false when
    // the list is full.
    bool collect_batch();

    const LibraryOps& ops_;
    const platform::LeadByteSet* leadBytes_;
    LazyPrefilter prefilter_;
};

}  // namespace lumo::front
