// The front's exports: each checks the host's arguments and hands the
// work, guarded, to the one process-global Front.
#include "common/export_guard.h"
#include "error_box.h"
#include "front.h"
#include "lumospell/orthbridge.h"

using lumo::common::guarded;
using lumo::front::Front;

namespace {
// Constructed when the library is loaded; its destructor frees only the
// suggestion copies and leaves a still-bound engine alone.
Front front;

// A word action's answer to a null word: refused once an engine is bound.
int bad_word() { return front.bound() ? LumoSpellErrBadArgument : 0; }
}  // namespace

extern "C" {

int LUMOSPELL_CALL LumoSpellInit(const char* enginePath) {
    if (enginePath == nullptr) return front.bound() ? 1 : 0;
    return guarded(0, [&] { return front.init(enginePath); });
}

int LUMOSPELL_CALL LumoSpellInit2(const char* mainDictFile, const char* userDictFile,
                                  int languageId, int doubleByte) {
    if (mainDictFile == nullptr || userDictFile == nullptr) return 0;
    return guarded(0,
                   [&] { return front.init2(mainDictFile, userDictFile, languageId, doubleByte); });
}

void LUMOSPELL_CALL LumoSpellTerminate(void) {
    guarded([] { front.terminate(); });
}

int LUMOSPELL_CALL LumoSpellCheck(const char* text, CheckResult* result) {
    if (text == nullptr || result == nullptr) return CheckFailed;
    return guarded(static_cast<int>(CheckFailed), [&] { return front.check(text, result); });
}

int LUMOSPELL_CALL LumoSpellGetSuggestionFirst(char* out) {
    if (out == nullptr) return 0;
    return guarded(0, [&] { return front.suggestion_first(out); });
}

int LUMOSPELL_CALL LumoSpellGetSuggestionNext(char* out) {
    if (out == nullptr) return 0;
    return guarded(0, [&] { return front.suggestion_next(out); });
}

int LUMOSPELL_CALL LumoSpellIgnoreAlways(const char* word) {
    if (word == nullptr) return bad_word();
    return guarded(0, [&] { return front.ignore_always(word); });
}

int LUMOSPELL_CALL LumoSpellChangeAlways(const char* word, const char* replacement) {
    if (word == nullptr || replacement == nullptr) return bad_word();
    return guarded(0, [&] { return front.change_always(word, replacement); });
}

int LUMOSPELL_CALL LumoSpellAddWord(const char* word) {
    if (word == nullptr) return bad_word();
    return guarded(0, [&] { return front.add_word(word); });
}

int LUMOSPELL_CALL LumoSpellMode(unsigned int flags) {
    return guarded(0, [&] { return front.mode(flags); });
}

int LUMOSPELL_CALL LumoSpellGetSaveResult(char* reason, int reasonSize) {
    return guarded(0, [&] { return front.save_result(reason, reasonSize); });
}

void LUMOSPELL_CALL LumoSpellSetMessageHandler(LumoSpellMessageHandler handler, void* context) {
    guarded([&] { lumo::front::set_message_handler(handler, context); });
}

int LUMOSPELL_CALL LumoSpellGetLastFailure(int* code, char* path, int pathSize, char* reason,
                                           int reasonSize) {
    return guarded(0, [&] { return front.last_failure(code, path, pathSize, reason, reasonSize); });
}

}  // extern "C"
