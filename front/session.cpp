// Binding the engine and opening and ending its session.
#include <cstring>

#include "error_box.h"
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
    if (engine<SpellInitFunction>(OrdinalSpellInit)(&engineSession, specialChars) != 0) {
        return 0;
    }
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
    engine<SpellTerminateFunction>(OrdinalSpellTerminate)(engineSession, 1);
    ops_.release(engineModule);
    engineModule = nullptr;
}

}  // namespace lumo::front
