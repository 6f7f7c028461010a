// Binding the engine and opening and ending its session.
#include <algorithm>
#include <cstring>

#include "error_box.h"
#include "files.h"
#include "front.h"

namespace lumo::front {

namespace {
constexpr int EnglishUs = 1033;
constexpr uint16_t LanguageNotReported = 0xFFFF;
}  // namespace

int Front::init(const char* enginePath) {
    if (engineModule != nullptr) return 1;
    platform::LibraryHandle library = ops_.load(enginePath);
    if (library == nullptr) return 0;
    for (int ordinal = 1; ordinal <= EngineEntryPointCount; ++ordinal) {
        void* function = ops_.find(library, ordinal, engine_function_name(ordinal));
        if (function == nullptr) {
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
    const uint16_t init_code =
        engine<SpellInitFunction>(OrdinalSpellInit)(&engineSession, specialChars);
    if (init_code == SpellErrUdrSave) report_save(init_code);
    if (init_code != 0) return 0;
    lastSaveCode = 0;
    lastSaveReason[0] = '\0';
    if (languageId == 0) languageId = EnglishUs;

    uint16_t reported = LanguageNotReported;
    uint16_t code = engine<SpellVerifyMdrFunction>(OrdinalSpellVerifyMdr)(
        mainDictFile, static_cast<uint16_t>(languageId), &reported);
    if (code != 0) {
        showErrorBox("LumoSpell Error %d %x %d", 112, static_cast<unsigned>(code),
                     static_cast<int>(reported));
        return 0;
    }
    if (reported != LanguageNotReported) languageId = reported;

    code = engine<SpellOpenMdrFunction>(OrdinalSpellOpenMdr)(
        engineSession, mainDictFile, nullptr, 0, 1, static_cast<uint16_t>(languageId),
        mainDictRecord);
    if (code != 0) {
        showErrorBox("LumoSpell Error %d %x", 124, static_cast<unsigned>(code));
        return 0;
    }

    int unused = 0;
    code = engine<SpellOpenUdrFunction>(OrdinalSpellOpenUdr)(
        engineSession, userDictFile, 1, UdrIgnoreAlways, &userDictId, &unused);
    if (code != 0) {
        showErrorBox("LumoSpell Error %d %x", 129, static_cast<unsigned>(code));
        return 0;
    }

    code = engine<SpellOptionsFunction>(OrdinalSpellOptions)(engineSession, 1);
    if (code != 0) {
        showErrorBox("LumoSpell Error %d %x", 134, static_cast<unsigned>(code));
        return 0;
    }
    doubleByteText = doubleByte;
    return 1;
}

void Front::terminate() {
    if (engineModule == nullptr) return;
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
