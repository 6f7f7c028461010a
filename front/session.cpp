// Binding the engine and opening and ending its session.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "dynload.h"
#include "error_box.h"
#include "files.h"
#include "front.h"

namespace lumo::front {

namespace {
constexpr int EnglishUs = 1033;
constexpr uint16_t LanguageNotReported = 0xFFFF;

// Copies text into a buffer of size bytes, cut to fit and NUL-terminated.
void copy_cut(char* out, std::size_t size, const char* text) {
    if (out == nullptr || size == 0) return;
    const std::size_t length = std::min(std::strlen(text), size - 1);
    std::memcpy(out, text, length);
    out[length] = '\0';
}

std::size_t buffer_size(int size) { return size > 0 ? static_cast<std::size_t>(size) : 0; }
}  // namespace

void Front::record_failure(int step, uint16_t code, const char* path, const char* reason) {
    const int error = platform::last_system_error();
    failureStep = step;
    failureCode = code;
    copy_cut(failurePath, sizeof failurePath, path);
    failureReason[0] = '\0';
    if (reason != nullptr) {
        copy_cut(failureReason, sizeof failureReason, reason);
    } else if (error != 0) {
        platform::system_error_text(error, failureReason, sizeof failureReason);
    }
    if (failureReason[0] == '\0') copy_cut(failureReason, sizeof failureReason, "unknown reason");
}

int Front::last_failure(int* code, char* path, int pathSize, char* reason, int reasonSize) const {
    if (code != nullptr) *code = failureCode;
    copy_cut(path, buffer_size(pathSize), failurePath);
    copy_cut(reason, buffer_size(reasonSize), failureReason);
    return failureStep;
}

int Front::init(const char* enginePath) {
    if (engineModule != nullptr) return 1;
    platform::set_last_system_error(0);
    platform::LibraryHandle library = ops_.load(enginePath);
    if (library == nullptr) {
        char reason[ReasonSize];
        platform::library_error_text(reason, sizeof reason);
        record_failure(LumoSpellStepLoadEngine, 0, enginePath,
                       reason[0] != '\0' ? reason : nullptr);
        return 0;
    }
    for (int ordinal = 1; ordinal <= EngineEntryPointCount; ++ordinal) {
        void* function = ops_.find(library, ordinal, engine_function_name(ordinal));
        if (function == nullptr) {
            char reason[ReasonSize];
            std::snprintf(reason, sizeof reason, "the library lacks %s",
                          engine_function_name(ordinal));
            record_failure(LumoSpellStepLoadEngine, 0, enginePath, reason);
            ops_.release(library);
            return 0;
        }
        entryPoints.slots[ordinal - 1] = function;
    }
    engineModule = library;
    return 1;
}

int Front::init2(const char* mainDictFile, const char* userDictFile, int languageId,
                 int doubleByte) {
    if (engineModule == nullptr) return 0;
    std::memset(specialChars, 0, sizeof specialChars);
    // A reopen saves the words added so far; the old session stays open
    // when that fails.
    platform::set_last_system_error(0);
    const uint16_t init_code =
        engine<SpellInitFunction>(OrdinalSpellInit)(&engineSession, specialChars);
    if (init_code == SpellErrUdrSave) report_save(init_code);
    if (init_code != 0) return 0;
    lastSaveCode = 0;
    lastSaveReason[0] = '\0';
    if (languageId == 0) languageId = EnglishUs;

    copy_cut(userDictPath, sizeof userDictPath, userDictFile);

    uint16_t reported = LanguageNotReported;
    platform::set_last_system_error(0);
    uint16_t code = engine<SpellVerifyMdrFunction>(OrdinalSpellVerifyMdr)(
        mainDictFile, static_cast<uint16_t>(languageId), &reported);
    if (code != 0) {
        record_failure(LumoSpellStepFindMainDict, code, mainDictFile);
        showErrorBox("LumoSpell Error %d %x %d", 112, static_cast<unsigned>(code),
                     static_cast<int>(reported));
        return 0;
    }
    if (reported != LanguageNotReported) languageId = reported;

    platform::set_last_system_error(0);
    code = engine<SpellOpenMdrFunction>(OrdinalSpellOpenMdr)(
        engineSession, mainDictFile, nullptr, 0, 1, static_cast<uint16_t>(languageId),
        mainDictRecord);
    if (code != 0) {
        record_failure(LumoSpellStepOpenMainDict, code, mainDictFile);
        showErrorBox("LumoSpell Error %d %x", 124, static_cast<unsigned>(code));
        return 0;
    }

    int unused = 0;
    platform::set_last_system_error(0);
    code = engine<SpellOpenUdrFunction>(OrdinalSpellOpenUdr)(engineSession, userDictFile, 1,
                                                             UdrIgnoreAlways, &userDictId, &unused);
    if (code != 0) {
        record_failure(LumoSpellStepOpenUserDict, code, userDictFile);
        showErrorBox("LumoSpell Error %d %x", 129, static_cast<unsigned>(code));
        return 0;
    }

    platform::set_last_system_error(0);
    code = engine<SpellOptionsFunction>(OrdinalSpellOptions)(engineSession, 1);
    if (code != 0) {
        record_failure(LumoSpellStepOptions, code, mainDictFile);
        showErrorBox("LumoSpell Error %d %x", 134, static_cast<unsigned>(code));
        return 0;
    }
    doubleByteText = doubleByte;
    failureStep = 0;
    failureCode = 0;
    failurePath[0] = '\0';
    failureReason[0] = '\0';
    return 1;
}

void Front::terminate() {
    if (engineModule == nullptr) return;
    platform::set_last_system_error(0);
    report_save(engine<SpellTerminateFunction>(OrdinalSpellTerminate)(engineSession, 1));
    ops_.release(engineModule);
    engineModule = nullptr;
}

void Front::report_save(uint16_t code) {
    const int error = platform::last_system_error();
    lastSaveCode = code;
    lastSaveReason[0] = '\0';
    if (code == 0) return;
    if (error != 0) platform::system_error_text(error, lastSaveReason, sizeof lastSaveReason);
    if (lastSaveReason[0] == '\0') std::strcpy(lastSaveReason, "unknown reason");
    record_failure(LumoSpellStepSaveFailed, code, userDictPath, lastSaveReason);
    showErrorBox("LumoSpell Error %d %x: the user dictionary could not be saved: %s",
                 static_cast<int>(LumoSpellStepSaveFailed), static_cast<unsigned>(code),
                 lastSaveReason);
}

int Front::save_result(char* reason, int reasonSize) const {
    if (reason != nullptr && reasonSize > 0) {
        const std::size_t room = static_cast<std::size_t>(reasonSize) - 1;
        const std::size_t length = std::min(std::strlen(lastSaveReason), room);
        std::memcpy(reason, lastSaveReason, length);
        reason[length] = '\0';
    }
    return lastSaveCode;
}

}  // namespace lumo::front
