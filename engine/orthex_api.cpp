// The engine's exports: each checks its arguments and hands the work,
// guarded, to the one process-global Engine.
#include <cstddef>

#include "common/export_guard.h"
#include "engine.h"
#include "lumospell/orthex.h"

using lumo::engine::Engine;

static_assert(offsetof(SpellInputBuffer, textLength) == 0, "record layout");
static_assert(offsetof(SpellInputBuffer, mainDictCount) == 2, "record layout");
static_assert(offsetof(SpellInputBuffer, userDictCount) == 4, "record layout");
static_assert(offsetof(SpellInputBuffer, spellState) == 6, "record layout");
static_assert(offsetof(SpellInputBuffer, text) == 8, "record layout");
static_assert(offsetof(SpellInputBuffer, mainDicts) == 8 + sizeof(void*), "record layout");
static_assert(offsetof(SpellInputBuffer, userDicts) == 8 + 2 * sizeof(void*), "record layout");
static_assert(sizeof(SpellInputBuffer) == 8 + 3 * sizeof(void*), "record layout");
static_assert(offsetof(SpellReturnBuffer, errorOffset) == 0, "record layout");
static_assert(offsetof(SpellReturnBuffer, errorLength) == 2, "record layout");
static_assert(offsetof(SpellReturnBuffer, status) == 4, "record layout");
static_assert(offsetof(SpellReturnBuffer, suggestionCount) == 6, "record layout");
static_assert(offsetof(SpellReturnBuffer, suggestionBytesUsed) == 8, "record layout");
static_assert(offsetof(SpellReturnBuffer, suggestionCapacity) == 10, "record layout");
static_assert(offsetof(SpellReturnBuffer, suggestions) == (sizeof(void*) == 4 ? 12 : 16),
              "record layout");
static_assert(offsetof(SpellReturnBuffer, ratings) ==
                  offsetof(SpellReturnBuffer, suggestions) + sizeof(void*),
              "record layout");
static_assert(offsetof(SpellReturnBuffer, ratingCapacity) ==
                  offsetof(SpellReturnBuffer, suggestions) + 2 * sizeof(void*),
              "record layout");
static_assert(sizeof(SpellReturnBuffer) == (sizeof(void*) == 4 ? 24 : 40), "record layout");

namespace {

using lumo::common::guarded;

Engine& engine() {
    static Engine instance;
    return instance;
}

uint16_t do_nothing() { return 0; }

}  // namespace

extern "C" {

uint16_t LUMOSPELL_CALL SpellVer(uint16_t* version, uint16_t* engine_id, uint16_t* type) {
    return guarded(uint16_t{0}, [&] {
        if (version != nullptr) *version = 0x0100;
        if (engine_id != nullptr) *engine_id = 0;
        if (type != nullptr) *type = 0;
        return uint16_t{0};
    });
}

uint16_t LUMOSPELL_CALL SpellInit(uint32_t* session, void* /*specialChars*/) {
    return guarded(SpellErrNoMemory, [&] { return engine().init(session); });
}

uint16_t LUMOSPELL_CALL SpellOptions(uint32_t /*session*/, uint32_t options) {
    return guarded(uint16_t{0}, [&] { return engine().set_options(options); });
}

uint16_t LUMOSPELL_CALL SpellCheck(uint32_t /*session*/, uint32_t command, SpellInputBuffer* input,
                                   SpellReturnBuffer* output) {
    if (input == nullptr || output == nullptr) return 0;
    return guarded(uint16_t{0}, [&] {
        engine().check(command, input, output);
        return uint16_t{0};
    });
}

uint16_t LUMOSPELL_CALL SpellTerminate(uint32_t /*session*/, uint32_t /*force*/) {
    return guarded(SpellErrUdrSave, [&] { return engine().terminate(); });
}

uint16_t LUMOSPELL_CALL SpellVerifyMdr(const char* path, uint16_t /*expectedLanguage*/,
                                       uint16_t* language) {
    if (path == nullptr) return SpellErrMdrAccess;
    return guarded(SpellErrMdrAccess, [&] { return engine().verify_main(path, language); });
}

uint16_t LUMOSPELL_CALL SpellOpenMdr(uint32_t /*session*/, const char* path,
                                     const char* /*exceptionPath*/, int /*create*/, int /*cache*/,
                                     uint16_t /*language*/, void* /*mainDictRecord*/) {
    if (path == nullptr) return SpellErrOpenMdr;
    return guarded(SpellErrOpenMdr, [&] { return engine().open_main(path); });
}

uint16_t LUMOSPELL_CALL SpellOpenUdr(uint32_t /*session*/, const char* path, int create,
                                     uint16_t /*udrType*/, uint32_t* /*userDictId*/,
                                     int* /*readOnly*/) {
    return guarded(SpellErrOpenUdr, [&] {
        // Refused like a file that cannot be opened: what the previous user
        // dictionary had pending is no longer saved.
        if (path == nullptr) return engine().refuse_user();
        return engine().open_user(path, create != 0);
    });
}

uint16_t LUMOSPELL_CALL SpellAddUdr(uint32_t /*session*/, uint32_t userDictId, const char* word) {
    if (word == nullptr) return SpellErrBadArgument;
    return guarded(SpellErrNoMemory, [&] { return engine().add_word(userDictId, word); });
}

uint16_t LUMOSPELL_CALL SpellAddChangeUdr(uint32_t /*session*/, uint32_t /*userDictId*/,
                                          const char* word, const char* replacement) {
    if (word == nullptr || replacement == nullptr) return SpellErrBadArgument;
    return guarded(SpellErrNoMemory, [&] { return engine().add_change(word, replacement); });
}

uint16_t LUMOSPELL_CALL SpellDelUdr(uint32_t, uint32_t, const char*) {
    return guarded(uint16_t{0}, do_nothing);
}
uint16_t LUMOSPELL_CALL SpellClearUdr(uint32_t, uint32_t) {
    return guarded(uint16_t{0}, do_nothing);
}
uint16_t LUMOSPELL_CALL SpellGetListUdr(uint32_t, uint32_t, char*, uint16_t) {
    return guarded(uint16_t{0}, do_nothing);
}
uint16_t LUMOSPELL_CALL SpellCloseMdr(uint32_t, void*) { return guarded(uint16_t{0}, do_nothing); }

uint16_t LUMOSPELL_CALL SpellGetSizeUdr(uint32_t /*session*/, uint32_t /*userDictId*/,
                                        uint16_t* count) {
    return guarded(uint16_t{0}, [&] {
        if (count != nullptr) *count = 0xFFFF;
        return uint16_t{0};
    });
}

uint16_t LUMOSPELL_CALL SpellCloseUdr(uint32_t /*session*/, uint32_t /*userDictId*/,
                                      uint32_t /*force*/) {
    return guarded(SpellErrUdrSave, [&] { return engine().close_user(); });
}

}  // extern "C"
